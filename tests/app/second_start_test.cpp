#include <gtest/gtest.h>

#include <QLocalSocket>
#include <QLockFile>
#include <QProcess>
#include <QTest>
#include <filesystem>
#include <memory>

#include "platform/qt/single_instance.h"
#include "support/temp_folder.h"

namespace quorrel {
namespace {

namespace fs = std::filesystem;

// A copy of the program in a folder of its own, as a player unpacks it: its settings, their
// lock and its log all go there.
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

    QString settings() const
    {
        return QString::fromStdString((folder_.path() / "Settings.ini").string());
    }

    // The process that holds the lock now, 0 for none.
    qint64 LockHolder() const
    {
        QLockFile lock(settings() + ".lock");
        qint64 pid = 0;
        QString host;
        QString application;
        return lock.getLockInfo(&pid, &host, &application) ? pid : 0;
    }

    // Waits until the process has taken the lock and listens for a second start.
    bool Running(const QProcess& process) const
    {
        return QTest::qWaitFor(
            [&] {
                QLocalSocket socket;
                socket.connectToServer(platform::SingleInstance::ServerName(settings()));
                return LockHolder() == process.processId() && socket.waitForConnected(100);
            },
            20000);
    }

private:
    test::TempFolder folder_;
};

void Stop(QProcess& process)
{
    process.kill();
    process.waitForFinished(10000);
}

TEST(SecondStartTest, ASecondStartEndsAtOnceAnotherCopyRunsAndACrashBlocksNothing)
{
    const PortableCopy copy;
    const auto first = copy.Start();
    ASSERT_TRUE(copy.Running(*first));

    const auto second = copy.Start();
    ASSERT_TRUE(second->waitForFinished(20000));
    EXPECT_EQ(second->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second->exitCode(), 0);
    EXPECT_EQ(first->state(), QProcess::Running);

    const PortableCopy another;
    const auto alongside = another.Start();
    EXPECT_TRUE(another.Running(*alongside));
    EXPECT_EQ(first->state(), QProcess::Running);
    Stop(*alongside);

    // The first copy crashes and leaves its lock and its socket behind.
    const qint64 crashed = first->processId();
    Stop(*first);
    EXPECT_EQ(copy.LockHolder(), crashed);
    const auto third = copy.Start();
    EXPECT_TRUE(copy.Running(*third));
    Stop(*third);
}

}  // namespace
}  // namespace quorrel
