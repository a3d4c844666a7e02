#include "platform/qt/single_instance.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLockFile>
#include <QSignalSpy>
#include <QTest>
#include <filesystem>
#include <functional>
#include <memory>

#include "support/temp_folder.h"

namespace quorrel::platform {
namespace {

namespace fs = std::filesystem;

constexpr uid_t kNobody = 65534;

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
    EXPECT_EQ(QFileInfo(first.lockFile()).absolutePath(), fallback_);
    EXPECT_FALSE(SingleInstance(blocked("blocked"), fallback_).Claim());
    EXPECT_TRUE(SingleInstance(blocked("blocked too"), fallback_).Claim())
        << "each settings file has a lock of its own there";
}

// What a copy that is not running here can leave where the lock goes: a portable copy carried on
// a stick or a synced folder after a crash, a lock cut short, a folder or a link.
struct LeftBehind {
    const char* what;
    std::function<void(const fs::path& lock)> place;
    bool lockBeside;  // taken over in place, or (where nothing can be removed) in the fallback
};

TEST_F(SingleInstanceTest, ALockWhoseHolderCannotBeConfirmedAliveIsTakenOver)
{
    const std::string self = std::to_string(QCoreApplication::applicationPid());
    const LeftBehind table[] = {
        {"an empty lock", [](const fs::path& lock) { test::WriteFile(lock, ""); }, true},
        {"a garbled lock",
         [](const fs::path& lock) { test::WriteFile(lock, std::string("\xff\x01zz\n\0\n", 7)); },
         true},
        // The holder's number is a live process here (this test), but on another machine.
        {"another machine's lock",
         [&self](const fs::path& lock) {
             test::WriteFile(lock, self + "\nquorrel\nanother-machine\n");
         },
         true},
        {"an empty folder", [](const fs::path& lock) { fs::create_directory(lock); }, true},
        {"a folder holding a file",
         [](const fs::path& lock) {
             fs::create_directory(lock);
             test::WriteFile(lock / "kept", "a player's file");
         },
         false},
        {"a dangling link",
         [](const fs::path& lock) { fs::create_symlink(lock.parent_path() / "gone", lock); },
         true},
    };
    for (const LeftBehind& row : table) {
        SCOPED_TRACE(row.what);
        const QString settings = SettingsIn(row.what);
        const fs::path lock = settings.toStdString() + ".lock";
        row.place(lock);

        SingleInstance instance(settings, fallback_);
        EXPECT_TRUE(instance.Claim());
        const QString held = row.lockBeside ? settings + ".lock" : fallback_;
        EXPECT_TRUE(instance.lockFile().startsWith(held)) << instance.lockFile().toStdString();
        qint64 holder = 0;
        QString host;
        QString application;
        EXPECT_TRUE(QLockFile(instance.lockFile()).getLockInfo(&holder, &host, &application));
        EXPECT_EQ(holder, QCoreApplication::applicationPid());
        EXPECT_FALSE(fs::exists(lock.parent_path() / "gone")) << "a link is not followed";
        if (!row.lockBeside) {
            EXPECT_EQ(test::ReadFile(lock / "kept"), "a player's file");
        }
    }
}

// Another user on the same machine can put a socket where this user's copies meet; a start never
// talks to it.
TEST_F(SingleInstanceTest, AStartNeverTalksToAnotherUsersSocket)
{
    const QString settings = SettingsIn("portable");
    QLockFile running(settings + ".lock");  // a live copy here holds the lock
    ASSERT_TRUE(running.tryLock(0));

    QLocalServer squatter;
    squatter.listen(SingleInstance::ServerName(settings));
    ASSERT_TRUE(squatter.isListening()) << squatter.errorString().toStdString();
    const QByteArray socketFile = QFile::encodeName(squatter.fullServerName());
    ASSERT_EQ(::chown(socketFile.constData(), kNobody, kNobody), 0);

    SingleInstance second(settings, fallback_);
    second.Claim();
    QTest::qWait(200);
    EXPECT_FALSE(squatter.hasPendingConnections());
}

// The folder that holds the socket is the user's own, and nobody else may create in it.
TEST_F(SingleInstanceTest, TheSocketLivesInAFolderOnlyTheUserCanCreateIn)
{
    const QFileInfo socket(SingleInstance::ServerName(SettingsIn("portable")));
    ASSERT_TRUE(socket.isAbsolute()) << socket.filePath().toStdString();
    struct stat folder {};
    ASSERT_EQ(::lstat(QFile::encodeName(socket.absolutePath()).constData(), &folder), 0);
    EXPECT_TRUE(S_ISDIR(folder.st_mode));
    EXPECT_EQ(folder.st_uid, ::geteuid());
    EXPECT_EQ(folder.st_mode & 07777, 0700u);
}

}  // namespace
}  // namespace quorrel::platform
