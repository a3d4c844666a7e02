#include "platform/qt/single_instance.h"

#include <gtest/gtest.h>

#include <QFileInfo>
#include <QSignalSpy>
#include <memory>

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

    SingleInstance second(settings, fallback_);
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
    test::WriteFile(temp_.path() / "blocked", "");
    const QString settings =
        QString::fromStdString((temp_.path() / "blocked" / "Settings.ini").string());
    SingleInstance first(settings, fallback_);
    ASSERT_TRUE(first.Claim());
    EXPECT_EQ(QFileInfo(first.lockFile()).absolutePath(), fallback_);
    EXPECT_TRUE(QFileInfo(first.lockFile()).fileName().startsWith("quorrel-"));

    SingleInstance second(settings, fallback_);
    EXPECT_FALSE(second.Claim());
}

TEST(SingleInstanceNameTest, NamesAreShortAndFollowTheFullPath)
{
    const QString name = SingleInstance::ServerName("/a/Settings.ini");
    EXPECT_EQ(name.size(), 48) << name.toStdString();
    EXPECT_EQ(name, SingleInstance::ServerName("/a/b/../Settings.ini"));
    EXPECT_NE(name, SingleInstance::ServerName("/b/Settings.ini"));
}

}  // namespace
}  // namespace quorrel::platform
