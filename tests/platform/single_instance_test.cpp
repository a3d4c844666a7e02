#include "platform/qt/single_instance.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QSignalSpy>
#include <memory>

#include "platform/operating_system.h"
#include "support/temp_folder.h"

namespace quorrel::platform {
namespace {

class SingleInstanceTest : public ::testing::Test {
protected:
    QString SettingsIn(const std::string& folder)
    {
        return QString::fromStdString((temp_.folder(folder) / "Settings.ini").string());
    }

    test::TempFolder temp_;
    QString fallback_ = QString::fromStdString((temp_.path() / "runtime").string());
};

TEST_F(SingleInstanceTest, ASecondStartOnTheSameSettingsWakesTheFirstWhileOtherSettingsRunAlongside)
{
    const QString settings = SettingsIn("portable");
    auto first = std::make_unique<SingleInstance>(settings, fallback_);
    ASSERT_TRUE(first->Claim());
    EXPECT_EQ(QFileInfo(first->lockFile()), QFileInfo(settings + ".lock"));
    QSignalSpy woken(first.get(), &SingleInstance::AnotherStart);

    if (platform::HostOperatingSystem() == platform::OperatingSystem::Windows) {
        GTEST_SKIP() << "known fault on Windows (seen under Wine): a second start on the same "
                        "file reached through \"..\" is refused but does not wake the first";
    }
    // The same file, reached another way.
    SingleInstance second(SettingsIn("portable/../portable"), fallback_);
    EXPECT_FALSE(second.Claim());
    ASSERT_TRUE(woken.wait(10000));

    SingleInstance another(SettingsIn("another copy"), fallback_);
    EXPECT_TRUE(another.Claim());

    first.reset();  // the first copy ends
    EXPECT_FALSE(QFileInfo::exists(settings + ".lock"));
    SingleInstance next(settings, fallback_);
    EXPECT_TRUE(next.Claim());
    EXPECT_EQ(woken.count(), 1);
}

TEST_F(SingleInstanceTest, SettingsWhoseFolderCannotHoldTheLockAreGuardedFromTheFallbackFolder)
{
    // As root every folder takes files; a file where the folder should be does not.
    const auto blocked = [this](const std::string& name) {
        test::WriteFile(temp_.path() / name, "");
        return QString::fromStdString((temp_.path() / name / "Settings.ini").string());
    };
    SingleInstance first(blocked("blocked"), fallback_);
    ASSERT_TRUE(first.Claim());
    EXPECT_EQ(QFileInfo(first.lockFile()).absolutePath(), QDir::fromNativeSeparators(fallback_));
    EXPECT_FALSE(SingleInstance(blocked("blocked"), fallback_).Claim());
    EXPECT_TRUE(SingleInstance(blocked("blocked too"), fallback_).Claim())
        << "each settings file has a lock of its own there";
}

}  // namespace
}  // namespace quorrel::platform
