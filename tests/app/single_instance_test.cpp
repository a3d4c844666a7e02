#include "app/single_instance.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <unistd.h>
#endif

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLockFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>

#include "app/socket_folder.h"
#include "support/temp_folder.h"

namespace quorrel {
namespace {

namespace fs = std::filesystem;
using Outcome = SingleInstance::Outcome;
#ifndef _WIN32
constexpr uid_t kNobody = 65534;
#endif

class SingleInstanceTest : public ::testing::Test {
protected:
    QString SettingsIn(const std::string& folder)
    {
        return QString::fromStdString((temp_.folder(folder) / "Settings.ini").string());
    }
    test::TempFolder temp_;
    QString fallback_ = QString::fromStdString((temp_.path() / "runtime").string());
};

// The fallback folder is made only when needed: a portable copy writes nothing outside its folder.
TEST_F(SingleInstanceTest, ASecondStartOnTheSameSettingsWakesTheFirstWhileOtherSettingsRunAlongside)
{
    const QString settings = SettingsIn("portable");
    auto first = std::make_unique<SingleInstance>(settings, fallback_);
    ASSERT_EQ(first->Claim(), Outcome::Runs);
    QSignalSpy woken(first.get(), &SingleInstance::AnotherStart);
    EXPECT_EQ(SingleInstance(SettingsIn("portable/../portable"), fallback_).Claim(),
              Outcome::AnotherCopyCameForward);
    EXPECT_EQ(woken.count(), 1);
    EXPECT_EQ(SingleInstance(SettingsIn("another copy"), fallback_).Claim(), Outcome::Runs);
    EXPECT_FALSE(QFileInfo::exists(fallback_));
    first.reset();  // the first copy ends, and lets the lock go
    EXPECT_EQ(SingleInstance(settings, fallback_).Claim(), Outcome::Runs);
}

// What a copy not running here leaves is taken over, in place or, where nothing can be removed, in
// the fallback folder. A lock whose holder runs here is believed, even when it does not answer.
TEST_F(SingleInstanceTest, ALockIsTakenOverUnlessItsHolderRunsHere)
{
    QLockFile running(SettingsIn("held") + ".lock");  // held by this process, which runs
    ASSERT_TRUE(running.tryLock(0));
    QLocalServer deaf;      // takes connections but never reads them
    QLocalServer squatter;  // another user's
    std::vector<std::unique_ptr<QLockFile>> live;
    const auto holdHere = [&live](const fs::path& lock) {
        live.push_back(std::make_unique<QLockFile>(QString::fromStdString(lock.string())));
        ASSERT_TRUE(live.back()->tryLock(0));
    };
    enum Where { Beside, InFallback, Nowhere };
    const std::tuple<const char*, std::function<void(const fs::path&)>, Where> table[] = {
        {"a folder holding a file",
         [](const fs::path& lock) {
             fs::create_directory(lock);
             test::WriteFile(lock / "kept", "a player's file");
         },
         InFallback},
        // A process number is used again: under Wine the first program of a prefix always has the
        // same one. A lock naming this very process, left before it started, is no such sign.
        {"a lock left by an earlier process with this number",
         [&](const fs::path& lock) {
             ASSERT_TRUE(QFile::copy(running.fileName(), QString::fromStdString(lock.string())));
             fs::last_write_time(lock, fs::last_write_time(lock) - std::chrono::hours(1));
         },
         Beside},
#ifndef _WIN32  // making a link takes a privilege on Windows
        {"a dangling link",
         [](const fs::path& lock) { fs::create_symlink(lock.parent_path() / "gone", lock); },
         Beside},
#endif
        {"a live holder that does not answer",
         [&](const fs::path& lock) {
             holdHere(lock);
             ASSERT_TRUE(deaf.listen(
                 SingleInstance::ServerName(QString::fromStdString(lock.string()).chopped(5))));
         },
         Nowhere},
#ifndef _WIN32
        // Another user's socket where this user's copies meet: a start never talks to it.
        {"a live holder whose socket another user put there",
         [&](const fs::path& lock) {
             holdHere(lock);
             squatter.listen(
                 SingleInstance::ServerName(QString::fromStdString(lock.string()).chopped(5)));
             ASSERT_EQ(::chown(QFile::encodeName(squatter.fullServerName()), kNobody, kNobody), 0);
         },
         Nowhere},
#endif
    };
    for (const auto& [what, place, where] : table) {
        SCOPED_TRACE(what);
        const QString settings = SettingsIn(what);
        const fs::path lock = settings.toStdString() + ".lock";
        place(lock);
        SingleInstance instance(settings, fallback_);
        EXPECT_EQ(instance.Claim(),
                  where == Nowhere ? Outcome::AnotherCopyDoesNotAnswer : Outcome::Runs);
        const QString held = where == Beside ? settings + ".lock" : fallback_;
        EXPECT_TRUE(where == Nowhere || QDir::fromNativeSeparators(instance.lockFile())
                                            .startsWith(QDir::fromNativeSeparators(held)))
            << instance.lockFile().toStdString();
        qint64 holder = 0;
        EXPECT_TRUE(QLockFile(instance.lockFile()).getLockInfo(&holder, nullptr, nullptr) &&
                    holder == QCoreApplication::applicationPid());
        EXPECT_TRUE(live.empty() || live.back()->isLocked());
        EXPECT_FALSE(fs::exists(lock.parent_path() / "gone")) << "a link is not followed";
        EXPECT_EQ(fs::is_directory(lock) ? test::ReadFile(lock / "kept") : "a player's file",
                  "a player's file");
        QTest::qWait(where == Nowhere ? 200 : 0);
        EXPECT_EQ(deaf.hasPendingConnections(), deaf.isListening());
        EXPECT_FALSE(squatter.hasPendingConnections());
        EXPECT_EQ(QDir(fallback_).entryList({"*.lock"}, QDir::Files).isEmpty(), where != InFallback)
            << "no second lock elsewhere";
    }
}

#ifndef _WIN32

// Which folder takes the socket: the session's runtime folder only when it is the user's own with
// mode 0700 (it is never changed), otherwise the first own folder that is or can be made so.
TEST_F(SingleInstanceTest, TheSocketFolderIsTheFirstThatOnlyTheUserCanCreateIn)
{
    const auto path = [this](const std::string& name) { return temp_.path() / name; };
    const auto text = [](const fs::path& folder) { return QString::fromStdString(folder); };
    const auto folderWith = [&](const std::string& name, fs::perms mode, uid_t owner) {
        fs::create_directory(path(name));
        fs::permissions(path(name), mode);
        EXPECT_EQ(::chown(path(name).c_str(), owner, owner), 0);
        return text(path(name));
    };
    const QString good = folderWith("runtime 0700", fs::perms::owner_all, ::geteuid());
    const QString open = folderWith("runtime 0755", fs::perms(0755), ::geteuid());
    const QString theirs = folderWith("runtime of nobody", fs::perms::owner_all, kNobody);
    fs::create_directory_symlink(path("runtime 0700"), path("link to runtime"));
    const QString ownMissing = text(path("own/sockets"));                         // made
    const QString ownOpen = folderWith("own 0777", fs::perms::all, ::geteuid());  // put back
    const QString squatted = folderWith("squatted", fs::perms::owner_all, kNobody);
    const std::tuple<const char*, QString, QStringList, QString> table[] = {
        {"the runtime folder", good, {ownMissing}, good},
        {"a runtime folder others may enter", open, {ownMissing}, ownMissing},
        {"another user's runtime folder", theirs, {ownMissing}, ownMissing},
        {"a link as the runtime folder", text(path("link to runtime")), {ownMissing}, ownMissing},
        {"an own folder others could enter", QString(), {ownOpen}, ownOpen},
        {"an own folder another user took first", QString(), {squatted, ownMissing}, ownMissing},
        {"nothing will do", open, {squatted}, QString()},
    };
    for (const auto& [what, runtime, own, chosen] : table) {
        SCOPED_TRACE(what);
        EXPECT_EQ(PrivateSocketFolder(runtime, own, 8).toStdString(), chosen.toStdString());
    }
    EXPECT_EQ(fs::status(path("runtime 0755")).permissions(), fs::perms(0755)) << "left as it was";
    EXPECT_EQ(fs::status(path("own/sockets")).permissions(), fs::perms::owner_all);
    EXPECT_EQ(fs::status(path("own 0777")).permissions(), fs::perms::owner_all);
}

#endif

#ifdef QUORREL_PROGRAM  // the Linux program; on Windows the desktop suite starts quorrel.exe twice

// Two starts at once of a portable copy on a stale lock: one takes it over, the other brings it
// forward and ends at once. A crash blocks nothing.
TEST(SecondStartTest, TwoStartsOnAStaleLockEndWithOneCopyAndACrashBlocksNothing)
{
    const test::TempFolder folder;
    const QString copy = QString::fromStdString(folder.text());
    fs::copy_file(QUORREL_PROGRAM, folder.path() / "quorrel");
    test::WriteFile(folder.path() / "Settings.ini.lock", "garbled");
    const auto holder = [&copy] {
        qint64 pid = 0;
        QLockFile(copy + "/Settings.ini.lock").getLockInfo(&pid, nullptr, nullptr);
        return pid;
    };
    std::vector<std::unique_ptr<QProcess>> started;
    const auto start = [&]() -> QProcess& {
        QProcess& process = *started.emplace_back(std::make_unique<QProcess>());
        process.setWorkingDirectory(copy);
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(copy + "/quorrel", {});
        EXPECT_TRUE(process.waitForStarted(10000));
        return process;
    };
    const auto ended = [](const QProcess& p) { return p.state() == QProcess::NotRunning; };
    // Whether the copy came up holding the lock; then it crashes, leaving lock and socket behind.
    const auto ranThenCrashed = [&](QProcess& process) {
        const qint64 pid = process.processId();
        (void)QTest::qWaitFor([&] { return holder() == pid || ended(process); }, 20000);
        const bool ran = !ended(process) && holder() == pid;
        process.kill();
        process.waitForFinished(10000);
        EXPECT_EQ(holder(), pid);
        return ran;
    };
    QProcess& one = start();
    QProcess& other = start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return ended(one) || ended(other); }, 20000));
    QProcess& stopped = ended(one) ? one : other;
    EXPECT_EQ(std::pair(stopped.exitStatus(), stopped.exitCode()),
              std::pair(QProcess::NormalExit, 0));
    ASSERT_TRUE(ranThenCrashed(&stopped == &one ? other : one));
    EXPECT_TRUE(ranThenCrashed(start())) << "the next start takes over";
}

#endif

}  // namespace
}  // namespace quorrel
