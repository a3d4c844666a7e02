#include <gtest/gtest.h>
#ifndef _WIN32
#include <signal.h>
#endif

#include <QLockFile>
#include <QProcess>
#include <QTest>
#include <filesystem>
#include <functional>
#include <memory>

#include "platform/operating_system.h"
#include "support/temp_folder.h"

namespace quorrel {
namespace {

namespace fs = std::filesystem;

// A copy of the program in a folder of its own, as a player unpacks it: its settings and their
// lock go there.
class PortableCopy {
public:
    PortableCopy() { fs::copy_file(QUORREL_PROGRAM, folder_.path() / "quorrel"); }

    std::unique_ptr<QProcess> Start() const
    {
        auto process = std::make_unique<QProcess>();
        process->setWorkingDirectory(QString::fromStdString(folder_.text()));
        process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process->start(QString::fromStdString((folder_.path() / "quorrel").string()), {});
        EXPECT_TRUE(process->waitForStarted(10000));
        return process;
    }

    fs::path Lock() const { return folder_.path() / "Settings.ini.lock"; }

    // The process that holds the lock now, 0 for none.
    qint64 LockHolder() const
    {
        qint64 pid = 0;
        QString host;
        QString application;
        const QString lock = QString::fromStdString(Lock().string());
        return QLockFile(lock).getLockInfo(&pid, &host, &application) ? pid : 0;
    }

    // Whether the process came up and holds the lock (false as soon as it ends).
    bool Running(const QProcess& process) const
    {
        QTest::qWaitFor(
            [&] {
                return LockHolder() == process.processId() ||
                       process.state() == QProcess::NotRunning;
            },
            20000);
        return process.state() == QProcess::Running && LockHolder() == process.processId();
    }

private:
    test::TempFolder folder_;
};

// Each scenario starts copies of the Linux program; on Windows, the Windows desktop suite starts
// quorrel.exe twice instead.
class SecondStartTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (platform::HostOperatingSystem() == platform::OperatingSystem::Windows) {
            GTEST_SKIP() << "starts the Linux program; quorrel.exe is started twice by the "
                            "Windows desktop suite";
        }
    }
};

TEST_F(SecondStartTest, ASecondStartEndsAtOnceAndACrashBlocksNothing)
{
    const PortableCopy copy;
    const auto first = copy.Start();
    ASSERT_TRUE(copy.Running(*first));

    const auto second = copy.Start();
    ASSERT_TRUE(second->waitForFinished(20000));
    EXPECT_EQ(second->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second->exitCode(), 0);
    EXPECT_EQ(first->state(), QProcess::Running);

    // The first copy crashes and leaves its lock and its socket behind.
    const qint64 crashed = first->processId();
    first->kill();
    first->waitForFinished(10000);
    EXPECT_EQ(copy.LockHolder(), crashed);
    const auto third = copy.Start();
    EXPECT_TRUE(copy.Running(*third));
    third->kill();
    third->waitForFinished(10000);
}

// What a copy that is not running here can leave in place of the lock: the program starts.
TEST_F(SecondStartTest, ALockLeftByACopyThatIsNotRunningHereBlocksNothing)
{
    const std::pair<const char*, std::function<void(const fs::path&)>> table[] = {
        {"an empty lock", [](const fs::path& lock) { test::WriteFile(lock, ""); }},
        {"a garbled lock", [](const fs::path& lock) { test::WriteFile(lock, "\x01\xfe?\n\n"); }},
        {"another machine's lock",
         [](const fs::path& lock) { test::WriteFile(lock, "1\nquorrel\nthe-stick-s-first-pc\n"); }},
        {"a folder", [](const fs::path& lock) { fs::create_directory(lock); }},
        {"a dangling link",
         [](const fs::path& lock) { fs::create_symlink(lock.parent_path() / "gone", lock); }},
    };
    for (const auto& [what, place] : table) {
        SCOPED_TRACE(what);
        const PortableCopy copy;
        place(copy.Lock());
        const auto process = copy.Start();
        EXPECT_TRUE(copy.Running(*process));
        process->kill();
        process->waitForFinished(10000);
    }
}

// Two starts at once that both find a stale lock: one takes it over, the other brings it forward.
TEST_F(SecondStartTest, TwoStartsOnAStaleLockEndWithOneCopy)
{
    for (int attempt = 0; attempt < 5; ++attempt) {
        SCOPED_TRACE(attempt);
        const PortableCopy copy;
        test::WriteFile(copy.Lock(), "garbled");
        const auto one = copy.Start();
        const auto other = copy.Start();
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                return one->state() == QProcess::NotRunning ||
                       other->state() == QProcess::NotRunning;
            },
            20000));
        QProcess& ended = one->state() == QProcess::NotRunning ? *one : *other;
        QProcess& running = &ended == one.get() ? *other : *one;
        EXPECT_EQ(ended.exitCode(), 0);
        EXPECT_TRUE(copy.Running(running));
        running.kill();
        running.waitForFinished(10000);
    }
}

#ifndef _WIN32
// A copy that runs but does not answer (here stopped by a signal) is not passed over in silence:
// the second start says so in a box, which waits for the player.
TEST_F(SecondStartTest, ACopyThatDoesNotAnswerIsReportedNotPassedOver)
{
    const PortableCopy copy;
    const auto first = copy.Start();
    ASSERT_TRUE(copy.Running(*first));
    ::kill(static_cast<pid_t>(first->processId()), SIGSTOP);

    const auto second = copy.Start();
    EXPECT_FALSE(second->waitForFinished(10000))
        << "ended with exit code " << second->exitCode() << " and nothing shown";
    second->kill();
    second->waitForFinished(10000);
    ::kill(static_cast<pid_t>(first->processId()), SIGCONT);
    first->kill();
    first->waitForFinished(10000);
}

#endif

}  // namespace
}  // namespace quorrel
