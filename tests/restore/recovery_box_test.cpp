#include "restore/recovery_box.h"

#include <gtest/gtest.h>

#include <QWidget>
#include <system_error>

#include "platform/operating_system.h"
#include "support/gui_fakes.h"
#include "support/temp_folder.h"

namespace quorrel {
namespace {

namespace fs = std::filesystem;
using namespace test;

TEST(RecoveryBoxTest, ASaveFolderThatCannotBeReadIsSaidToBeSoAndNotAnInterruptedRestore)
{
    if (platform::HostOperatingSystem() == platform::OperatingSystem::Windows) {
        GTEST_SKIP() << "the unreadable folder is a link to itself, and making a link takes a "
                        "privilege on Windows";
    }
    // A link to itself: the system refuses to look inside it, as it does a folder that the
    // player may not read.
    TempFolder root;
    const fs::path save = root.path() / "save";
    fs::create_symlink(save, save);
    RecordingDialogs dialogs;
    QWidget parent;
    EXPECT_FALSE(RecoverSaveFolder(&parent, save.string(), platform::SystemFiles(), dialogs));
    ASSERT_EQ(dialogs.boxes.size(), 1u);
    const QString box = dialogs.boxes[0].prompt;
    EXPECT_FALSE(box.contains("interrupted")) << box.toStdString();
    EXPECT_TRUE(box.startsWith("Quorrel cannot read the save game directory\n" +
                               QString::fromStdString(save.string())))
        << box.toStdString();
    EXPECT_TRUE(box.contains(QString::fromStdString(
        std::make_error_code(std::errc::too_many_symbolic_link_levels).message())))
        << box.toStdString();
    EXPECT_EQ(dialogs.boxes[0].icon, platform::MsgBoxIcon::Critical);

    // A folder that is there and readable, or not there at all, has nothing to say.
    dialogs.boxes.clear();
    EXPECT_TRUE(RecoverSaveFolder(&parent, root.text(), platform::SystemFiles(), dialogs));
    EXPECT_TRUE(RecoverSaveFolder(&parent, (root.path() / "gone").string(), platform::SystemFiles(),
                                  dialogs));
    EXPECT_TRUE(dialogs.boxes.empty());
}

}  // namespace
}  // namespace quorrel
