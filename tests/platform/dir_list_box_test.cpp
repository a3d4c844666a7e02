#include "platform/qt/dir_list_box.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QListWidget>
#include <QSignalSpy>
#include <QTest>

#include "platform/file_ops.h"
#include "platform/path_text.h"
#include "platform/qt/drives.h"
#include "platform/qt/qt_timer.h"
#include "platform/qt/text.h"
#include "support/temp_folder.h"

namespace quorrel::platform {
namespace {

const auto Text = [](const std::filesystem::path& path) { return ToQString(ToText(path)); };

// A snapshot still being copied sits in a hidden folder: File > Load never offers it.
TEST(DirListBoxTest, OpensOnlyFoldersOnADoubleClickListsNoHiddenOneAndSignalsOnlyRealChanges)
{
    const test::TempFolder temp;
    const std::filesystem::path top = temp.folder("top/beta").parent_path();
    HideFile(temp.folder("top/.quorrel-new-Hero-06-12-2026-15-04-09"));
    DirListBox box;
    QSignalSpy changes(&box, &DirListBox::Change);
    box.resize(200, 400);
    box.show();
    ASSERT_TRUE(box.setPath(Text(top) + QChar(kPathSeparator)));
    EXPECT_EQ(box.path(), Text(top));
    const QList<QListWidgetItem*> beta = box.list().findItems("beta", Qt::MatchExactly);
    ASSERT_EQ(beta.size(), 1);
    EXPECT_TRUE(box.list().findItems(".quorrel", Qt::MatchStartsWith).empty());
    EXPECT_TRUE(box.setPath(Text(top / "beta" / "..")));
    EXPECT_FALSE(box.setPath(Text(temp.path() / "missing")));
    EXPECT_EQ(box.path(), Text(top));
    EXPECT_EQ(changes.count(), 1) << "the same folder written another way is no change";

    const QPoint centre = box.list().visualItemRect(beta.front()).center();
    QTest::mouseClick(box.list().viewport(), Qt::LeftButton, {}, centre);  // the press first
    QTest::mouseDClick(box.list().viewport(), Qt::LeftButton, {}, centre);
    EXPECT_EQ(box.path(), Text(top / "beta"));
    EXPECT_EQ(changes.count(), 2);

    const QString root = Text(temp.path().root_path());
    ASSERT_TRUE(box.setPath(root));
    EXPECT_EQ(box.path(), root) << "a root keeps its separator";
}

// Every folder lies on a listed drive; the kernel's own file systems are no drives.
TEST(DrivesTest, EveryFolderLiesOnAListedDriveThatOpensAsAFolder)
{
    const test::TempFolder temp;
    const QString inside = Text(temp.folder("inside"));
    const QString before = QDir::currentPath();
    QDir::setCurrent(inside);
    const QStringList drives = ListDrives();
    for (const QString& folder : {inside, Text(temp.path().root_path())}) {
        // Windows lists the drive in lower case, and a path may name it in either.
        EXPECT_TRUE(drives.contains(DriveOf(folder), Qt::CaseInsensitive)) << folder.toStdString();
    }
#ifdef Q_OS_WIN
    EXPECT_EQ(CurrentDirectoryOfDrive(DriveOf(inside)), inside) << "no trailing backslash";
#else
    // The kernel's own file systems, mounted everywhere, hold no player's files.
    EXPECT_FALSE(drives.contains("/proc") || drives.contains("/sys"))
        << drives.join(" ").toStdString();
#endif
    QDir::setCurrent(before);  // a current folder cannot be removed
}

// A bare QTimer with interval 0 fires on every pass of the event loop; the snapshot timer must
// never tick then, or a refresh time of 0 would check the save folder without pause.
TEST(QtTimerTest, IntervalZeroNeverTicks)
{
    QtTimer timer;
    int ticks = 0;
    QObject::connect(&timer, &QtTimer::Tick, [&ticks] { ++ticks; });
    timer.setInterval(0);
    timer.setEnabled(true);
    for (int pass = 0; pass < 100; ++pass) {
        QCoreApplication::processEvents();
    }
    EXPECT_EQ(ticks, 0);
}

}  // namespace
}  // namespace quorrel::platform
