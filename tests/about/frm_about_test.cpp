#include "about/frm_about.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <chrono>
#include <thread>

#include "about/start_sys_info.h"
#include "support/gui_fakes.h"
#include "support/registries_under_test.h"

namespace quorrel {
namespace {

namespace fs = std::filesystem;

// A stand-in for the tool records in started.txt beside itself that it ran: on Windows, the show
// command it was given.
#ifdef Q_OS_WIN
const std::string kStarted = "1";
void WriteStandIn(const fs::path& file)
{
    fs::copy_file(fs::path(test::ProgramDirectory()) / "quorrel_show_probe.exe", file);
}
#else
const std::string kStarted = "started";
void WriteStandIn(const fs::path& file)
{
    test::WriteFile(file, "#!/bin/sh\nprintf started > \"${0%/*}/started.txt\"\n");
    fs::permissions(file, fs::perms::owner_all);
}
#endif

// What the stand-in in a folder recorded, once it has: it runs in its own time.
std::string Record(const fs::path& folder)
{
    std::string record;
    for (int tries = 0; record.empty() && tries < 1500; ++tries) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        record = test::ReadFile(folder / "started.txt");
    }
    return record;
}

class FrmAboutTest : public ::testing::Test {
protected:
    test::FakeServices fakes_;
    frmAbout dialog_{&fakes_.registry, fakes_.dialogs, "/settings", nullptr};
};

TEST_F(FrmAboutTest, TheDescriptionNamesTheSettingsFolderAndALongOneLosesItsMiddle)
{
    EXPECT_EQ(dialog_.findChild<QLabel*>("lblDescription")->text(),
              "by the Quorrel developers\nSettings: /settings");

    // A folder too long for the box keeps its two ends, and the tip has all of it.
    const QString deep = "/home/player/" + QString("very long folder name/").repeated(10) + "end";
    frmAbout box(&fakes_.registry, fakes_.dialogs, deep, nullptr);
    const auto* description = box.findChild<QLabel*>("lblDescription");
    const QString line = description->text().section('\n', 1);
    EXPECT_TRUE(line.startsWith("Settings: /h")) << line.toStdString();
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

// The tool is started from the registry held in memory and, under Wine, from Wine's own.
TEST_F(FrmAboutTest, SystemInfoStartsTheToolThatTheRegistryNamesOrSaysItIsUnavailable)
{
    using namespace std::string_literals;
    // Blanks in the folders' names must not cut the program's name short.
    const fs::path named = fakes_.folder.folder("Named Tool");
    const fs::path located = fakes_.folder.folder("Shared Tools");
    const std::string info = (named / "info.exe").string();
    WriteStandIn(info);
    WriteStandIn(located / "MSINFO32.EXE");
    test::WriteFile(named / "notes.txt", "no program");
    struct Row {
        std::string path;  // the full path, if any
        std::uint32_t type;
        fs::path folder;  // the folder of MSINFO32.EXE, if any
        fs::path started;
    };
    const Row rows[] = {
        {"", platform::kRegSz, {}, {}},
        {info + '\0', platform::kRegSz, located, named},  // the full path comes first
        {"", platform::kRegSz, located, located},         // then MSINFO32.EXE
        {"", platform::kRegSz, named, {}},                // a folder without MSINFO32.EXE
        // Once the full path is read, the folder is no longer looked at: a path that names no
        // program, an expandable string (read as nothing) and an empty string.
        {(named / "missing.exe").string(), platform::kRegSz, located, {}},
        {named.string(), platform::kRegSz, located, {}},
        {(named / "notes.txt").string(), platform::kRegSz, located, {}},
        {info + '\0', platform::kRegExpandSz, located, {}},
        {"\0"s, platform::kRegSz, located, {}},
    };
    test::OnEveryRegistry([&](const test::RegistryUnderTest& store) {
        for (const Row& row : rows) {
            SCOPED_TRACE(testing::Message()
                         << store.name << " registry: " << row.path << ", " << row.folder);
            store.clear();
            if (!row.path.empty()) {
                store.set("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", "Path", row.type, row.path);
            }
            if (!row.folder.empty()) {
                store.set("SOFTWARE\\Microsoft\\Shared Tools Location", "MsInfo", platform::kRegSz,
                          row.folder.string());
            }
            test::RecordingDialogs dialogs;
            frmAbout box(&store.registry, dialogs, "", nullptr);
            box.findChild<QPushButton*>("cmdSysInfo")->click();
            EXPECT_EQ(dialogs.prompts(),
                      row.started.empty() ? QStringList{kSysInfoUnavailable} : QStringList{});
            if (!row.started.empty()) {
                EXPECT_EQ(Record(row.started), kStarted);
                fs::remove(row.started / "started.txt");
            }
        }
    });
}

#ifndef Q_OS_WIN
// Linux and macOS have no registry: the desktop's own tool found on PATH is started, the closest
// match to msinfo32 first.
TEST_F(FrmAboutTest, WithoutARegistrySystemInfoStartsTheDesktopsOwnTool)
{
    const fs::path unusable = fakes_.folder.folder("unusable");
    const fs::path monitor = fakes_.folder.folder("monitor");
    const fs::path hardinfo = fakes_.folder.folder("hardinfo");
    // Neither a file that cannot be run nor a folder is a program.
    test::WriteFile(unusable / "hardinfo", "");
    fs::create_directory(unusable / "hardinfo2");
    WriteStandIn(monitor / "gnome-system-monitor");
    WriteStandIn(hardinfo / "hardinfo");
    const QByteArray path = qgetenv("PATH");
    frmAbout box(nullptr, fakes_.dialogs, "", nullptr);
    for (const std::string& folders :
         {unusable.string() + ":" + monitor.string() + ":" + hardinfo.string(),
          unusable.string()}) {
        qputenv("PATH", QByteArray::fromStdString(folders));
        box.StartSysInfo();
    }
    qputenv("PATH", path);
    EXPECT_EQ(fakes_.dialogs.prompts(), QStringList{kSysInfoUnavailable}) << "none on the path";
    EXPECT_EQ(Record(hardinfo), kStarted);
}
#endif

}  // namespace
}  // namespace quorrel
