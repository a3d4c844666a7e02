#include "platform/qt/dir_list_box.h"

#include <gtest/gtest.h>

#include <QListWidget>
#include <QSignalSpy>
#include <QTest>

#include "platform/path_text.h"
#include "platform/qt/drive_list_box.h"
#include "platform/qt/text.h"
#include "support/temp_folder.h"

namespace quorrel::platform {
namespace {

QString Text(const std::filesystem::path& path)
{
    return ToQString(ToText(path));
}

QStringList Entries(DirListBox& box)
{
    QStringList names;
    for (int i = 0; i < box.list().count(); ++i) {
        names << box.list().item(i)->text();
    }
    return names;
}

void DoubleClick(DirListBox& box, const QString& name)
{
    const QList<QListWidgetItem*> items = box.list().findItems(name, Qt::MatchExactly);
    ASSERT_EQ(items.size(), 1) << name.toStdString();
    const QPoint centre = box.list().visualItemRect(items.front()).center();
    QTest::mouseClick(box.list().viewport(), Qt::LeftButton, {}, centre);
    QTest::mouseDClick(box.list().viewport(), Qt::LeftButton, {}, centre);
}

class DirListBoxTest : public ::testing::Test {
protected:
    DirListBoxTest()
    {
        for (const char* name : {"beta", "Alpha", "gamma", ".hidden"}) {
            temp_.folder(std::string("top/") + name);
        }
        test::WriteFile(temp_.path() / "top" / "file.txt", "not a folder");
        box_.resize(200, 400);
        box_.show();
    }

    test::TempFolder temp_;
    DirListBox box_;
    QSignalSpy changes_{&box_, &DirListBox::Change};
};

TEST_F(DirListBoxTest, ReportsTheOpenFolderAsAFullPathAndSignalsOnlyRealChanges)
{
    const QString top = Text(temp_.path() / "top");
    ASSERT_TRUE(box_.setPath(top + QChar(kPathSeparator)));
    EXPECT_EQ(box_.path(), top);
    EXPECT_EQ(changes_.count(), 1);

    EXPECT_TRUE(box_.setPath(Text(temp_.path() / "top" / "beta" / "..")));
    EXPECT_EQ(changes_.count(), 1) << "the same folder written another way is no change";

    EXPECT_FALSE(box_.setPath(Text(temp_.path() / "missing")));
    EXPECT_FALSE(box_.setPath(Text(temp_.path() / "top" / "file.txt")));
    EXPECT_FALSE(box_.setPath(QString()));
    EXPECT_EQ(box_.path(), top);
    EXPECT_EQ(changes_.count(), 1);

    const QString root = Text(temp_.path().root_path());
    ASSERT_TRUE(box_.setPath(root));
    EXPECT_EQ(box_.path(), root) << "a root keeps its separator";
}

TEST_F(DirListBoxTest, ShowsTheChainThenTheVisibleSubFolders)
{
    ASSERT_TRUE(box_.setPath(Text(temp_.path() / "top")));
    const QStringList entries = Entries(box_);
    ASSERT_GE(entries.size(), 4);
    EXPECT_EQ(entries.front(), Text(temp_.path().root_path()));
    EXPECT_EQ(entries.mid(entries.size() - 4), QStringList({"top", "Alpha", "beta", "gamma"}));
    EXPECT_EQ(box_.list().currentItem()->text(), "top") << "the open folder is highlighted";
}

TEST_F(DirListBoxTest, DoubleClickOpensASubFolderOrAParent)
{
    ASSERT_TRUE(box_.setPath(Text(temp_.path() / "top")));
    changes_.clear();

    QTest::mouseClick(
        box_.list().viewport(), Qt::LeftButton, {},
        box_.list().visualItemRect(box_.list().findItems("beta", {}).front()).center());
    EXPECT_EQ(changes_.count(), 0) << "a single click only highlights";

    DoubleClick(box_, "beta");
    EXPECT_EQ(box_.path(), Text(temp_.path() / "top" / "beta"));
    EXPECT_EQ(changes_.count(), 1);

    DoubleClick(box_, "top");
    EXPECT_EQ(box_.path(), Text(temp_.path() / "top"));

    std::filesystem::remove(temp_.path() / "top" / "gamma");
    DoubleClick(box_, "gamma");
    EXPECT_EQ(box_.path(), Text(temp_.path() / "top"));
    EXPECT_TRUE(box_.list().findItems("gamma", {}).isEmpty()) << "a vanished folder disappears";
    EXPECT_EQ(changes_.count(), 2);
}

TEST(DriveListBoxTest, StartsOnTheCurrentDriveAndSignalsOnlyRealChanges)
{
    DriveListBox box;
    QSignalSpy changes(&box, &DriveListBox::Change);
    ASSERT_GT(box.count(), 0);
    EXPECT_EQ(box.drive(), box.currentText());

    const QString start = box.drive();
    box.setDrive(start);
    EXPECT_EQ(changes.count(), 0);

    // A second drive, as a machine with a stick plugged in would list it.
    box.addItem("other");
    box.setCurrentIndex(box.count() - 1);
    EXPECT_EQ(changes.count(), 1);
    EXPECT_EQ(box.drive(), "other");

    box.setDriveQuietly(start);
    EXPECT_EQ(box.drive(), start);
    EXPECT_EQ(changes.count(), 1);

    box.setDrive("no such drive");
    EXPECT_EQ(box.drive(), start);
    EXPECT_EQ(changes.count(), 1);
}

}  // namespace
}  // namespace quorrel::platform
