#include <gtest/gtest.h>

#include <QLockFile>
#include <QProcess>
#include <QTest>
#include <filesystem>
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

    // The process that holds the lock now, 0 for none.
    qint64 LockHolder() const
    {
        qint64 pid = 0;
        QString host;
        QString application;
        const QString lock =
            QString::fromStdString((folder_.path() / "Settings.ini.lock").string());
        return QLockFile(lock).getLockInfo(&pid, &host, &application) ? pid : 0;
    }

    bool Running(const QProcess& process) const
    {
        return QTest::qWaitFor([&] { return LockHolder() == process.processId(); }, 20000);
    }

private:
    test::TempFolder folder_;
};

TEST(SecondStartTest, ASecondStartEndsAtOnceAndACrashBlocksNothing)
{
    if (platform::HostOperatingSystem() == platform::OperatingSystem::Windows) {
        GTEST_SKIP() << "starts the Linux program; quorrel.exe is started twice by the Windows "
                        "desktop suite";
    }
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

}  // namespace
}  // namespace quorrel
