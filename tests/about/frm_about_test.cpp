#include "about/frm_about.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "platform/operating_system.h"
#include "support/gui_fakes.h"

namespace quorrel {
namespace {

class FrmAboutTest : public ::testing::Test {
protected:
    QString Label(const char* name) { return dialog_.findChild<QLabel*>(name)->text(); }

    test::FakeServices fakes_;
    frmAbout dialog_{fakes_.registry, fakes_.programStarter, fakes_.dialogs,
                     "/home/player/.config/Quorrel", nullptr};
};

TEST_F(FrmAboutTest, LoadingFillsCaptionTitleVersionAndTheFolderOfTheSettings)
{
    if (platform::HostOperatingSystem() == platform::OperatingSystem::Windows) {
        GTEST_SKIP() << "the settings folder shown is a Linux one; the Windows desktop suite "
                        "looks at the box";
    }
    EXPECT_EQ(dialog_.windowTitle(), "About Quorrel");
    EXPECT_EQ(Label("lblTitle"), "Quorrel");
    EXPECT_EQ(Label("lblVersion"), "Version " QUORREL_VERSION);
    EXPECT_EQ(Label("lblDescription"),
              "by the Quorrel developers\nSettings: /home/player/.config/Quorrel");

    // A folder too long for the box keeps its two ends, and the tip has all of it.
    const QString deep = "/home/player/" + QString("very long folder name/").repeated(10) + "end";
    frmAbout box(fakes_.registry, fakes_.programStarter, fakes_.dialogs, deep, nullptr);
    const auto* description = box.findChild<QLabel*>("lblDescription");
    const QString line = description->text().section('\n', 1);
    EXPECT_TRUE(line.startsWith("Settings: /home/player/")) << line.toStdString();
    EXPECT_TRUE(line.endsWith("/end")) << line.toStdString();
    EXPECT_LE(description->fontMetrics().horizontalAdvance(line), description->width());
    EXPECT_EQ(description->toolTip(), deep);
}

TEST_F(FrmAboutTest, EnterAndEscCloseTheBox)
{
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
        dialog_.setResult(QDialog::Rejected);
        dialog_.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog_));
        QTest::keyClick(&dialog_, key);
        EXPECT_FALSE(dialog_.isVisible()) << key;
        EXPECT_EQ(dialog_.result(), QDialog::Accepted) << key;
    }
}

TEST_F(FrmAboutTest, SystemInfoStartsTheToolOrSaysItIsUnavailableAndTheBoxStaysOpen)
{
    dialog_.show();
    auto* cmdSysInfo = dialog_.findChild<QPushButton*>("cmdSysInfo");
    cmdSysInfo->click();
    EXPECT_EQ(fakes_.dialogs.prompts(),
              QStringList{"System Information Is Unavailable At This Time"});
    EXPECT_EQ(fakes_.dialogs.boxes.at(0).icon, platform::MsgBoxIcon::None);

    const std::string tool = (fakes_.folder.path() / "tool").string();
    test::WriteFile(tool, "");
    fakes_.registry.SetString(platform::kHKeyLocalMachine,
                              "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", "PATH", tool);
    cmdSysInfo->click();
    ASSERT_EQ(fakes_.programStarter.started.size(), 1u);
    EXPECT_EQ(fakes_.programStarter.started[0].program, tool);
    EXPECT_EQ(fakes_.dialogs.boxes.size(), 1u);
    EXPECT_TRUE(dialog_.isVisible());
}

}  // namespace
}  // namespace quorrel
