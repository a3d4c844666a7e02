#include <gtest/gtest.h>

#include <QLockFile>
#include <QProcess>
#include <QTest>

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
        QLockFile(QString::fromStdString(Lock().string())).getLockInfo(&pid, nullptr, nullptr);
        return pid;
    }

    // Whether the process came up and holds the lock (false as soon as it ends).
    bool Running(const QProcess& process) const
    {
        const auto up = [&] { return LockHolder() == process.processId(); };
        (void)QTest::qWaitFor([&] { return up() || process.state() == QProcess::NotRunning; },
                              20000);
        return process.state() == QProcess::Running && up();
    }

private:
    test::TempFolder folder_;
};

void End(QProcess& process)
{
    process.kill();
    process.waitForFinished(10000);
}

// Two starts at once on a stale lock: one takes it over, the other brings it forward and ends at
// once. A crash blocks nothing. (A stuck first copy is reported in a box, as the desktop suite
// sees.)
TEST(SecondStartTest, TwoStartsOnAStaleLockEndWithOneCopyAndACrashBlocksNothing)
{
    for (int attempt = 0; attempt < 5; ++attempt) {
        SCOPED_TRACE(attempt);
        const PortableCopy copy;
        test::WriteFile(copy.Lock(), "garbled");
        const auto one = copy.Start();
        const auto other = copy.Start();
        const auto ended = [](const QProcess& p) { return p.state() == QProcess::NotRunning; };
        ASSERT_TRUE(QTest::qWaitFor([&] { return ended(*one) || ended(*other); }, 20000));
        QProcess& stopped = ended(*one) ? *one : *other;
        QProcess& running = &stopped == one.get() ? *other : *one;
        EXPECT_EQ(stopped.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(stopped.exitCode(), 0);
        ASSERT_TRUE(copy.Running(running));
        // The copy crashes and leaves its lock and its socket behind.
        const qint64 crashed = running.processId();
        End(running);
        EXPECT_EQ(copy.LockHolder(), crashed);
        if (attempt == 0) {
            const auto next = copy.Start();
            EXPECT_TRUE(copy.Running(*next));
            End(*next);
        }
    }
}

}  // namespace
}  // namespace quorrel
