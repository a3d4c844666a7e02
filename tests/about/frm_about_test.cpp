#include "about/frm_about.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "about/start_sys_info.h"
#include "platform/path_text.h"
#include "support/gui_fakes.h"

#ifdef Q_OS_WIN
#include "platform/code_page.h"
#include "platform/windows_test_support.h"
#endif

namespace quorrel {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using platform::kRegSz;
using platform::ToText;

// A stand-in for the tool that records in started.txt beside itself that it ran (Windows: how).
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

// What the stand-in in a folder recorded, once it has (it runs in its own time), cleared.
std::string Record(const fs::path& folder)
{
    std::string record;
    (void)QTest::qWaitFor(
        [&] { return !(record = test::ReadFile(folder / "started.txt")).empty(); }, 30000);
    fs::remove(folder / "started.txt");
    return record;
}

TEST(FrmAboutTest, TheBoxShowsWhereTheSettingsAreAndWithoutARegistryTheDesktopsToolStarts)
{
    test::FakeServices fakes;
    frmAbout dialog(nullptr, fakes.dialogs, "/home/player/settings", nullptr);
    EXPECT_TRUE(dialog.findChild<QLabel*>("lblDescription")->text().endsWith("/player/settings"));
#ifndef Q_OS_WIN
    // Linux and macOS have no registry: the desktop's own tool found on PATH is started.
    const fs::path tools = fakes.folder.folder("tools");
    WriteStandIn(tools / "hardinfo");
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QByteArray::fromStdString(tools.string()));
    dialog.StartSysInfo();
    qputenv("PATH", path);
    EXPECT_EQ(Record(tools), kStarted);
#endif
}

// From a registry held in memory and, under Wine, from Wine's own in a throw-away prefix.
TEST(FrmAboutTest, SystemInfoStartsTheToolThatTheRegistryNamesOrSaysItIsUnavailable)
{
    const test::TempFolder temp;
    // Blanks must not cut the program's name short; the accent is in the registry's code page.
    const fs::path named = temp.path() / platform::ToPath("Outils \xc3\xa9t\xc3\xa9");
    const fs::path located = temp.folder("Shared Tools");
    fs::create_directory(named);
    const std::string info = ToText(named / "info.exe");
    WriteStandIn(named / "info.exe");
    WriteStandIn(located / "MSINFO32.EXE");
    const std::string a1023(1023, 'a');
    struct Row {
        std::optional<std::string> path;  // the full path's bytes, if any
        std::optional<fs::path> folder;   // the folder of MSINFO32.EXE, if any
        fs::path started;                 // none: the box says the tool is unavailable
    };
    const Row rows[] = {
        {info + '\0', located, named},     // the full path comes first,
        {info, std::nullopt, named},       // stored with its NUL or without,
        {std::nullopt, located, located},  // then MSINFO32.EXE in the folder
        // Once a full path is read, the folder is not looked at: no data, the longest value...
        {"", located, {}},
        {a1023 + '\0', located, {}},
        // ... but a value longer than the buffer is not read, even where only its UTF-8 is.
        {a1023 + "a\0"s, located, located},
        {a1023.substr(1) + "\xc3\xa9\0"s, located, located},
        {std::nullopt, std::nullopt, {}},  // last, so that the registry is left clean
    };
    // store(key, name, type, bytes) stores exactly these bytes, a text in the registry's own
    // encoding, or removes the value (none): false when that encoding lacks one of its characters.
    const auto run = [&](const char* name, platform::Registry& registry, const auto& store) {
        for (const Row& row : rows) {
            const auto index = static_cast<std::size_t>(&row - rows);
            SCOPED_TRACE(testing::Message() << name << " registry, row " << index);
            const auto folder = row.folder ? std::optional(ToText(*row.folder)) : std::nullopt;
            ASSERT_TRUE(
                store("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", "PATH", kRegSz, row.path) &&
                store("SOFTWARE\\Microsoft\\Shared Tools Location", "MSINFO", kRegSz, folder))
                << "the registry's code page lacks a character of the row";
            test::RecordingDialogs dialogs;
            frmAbout box(&registry, dialogs, "", nullptr);
            box.findChild<QPushButton*>("cmdSysInfo")->click();
            EXPECT_EQ(dialogs.prompts(),
                      row.started.empty() ? QStringList{kSysInfoUnavailable} : QStringList{});
            EXPECT_EQ(row.started.empty() ? kStarted : Record(row.started), kStarted);
        }
    };
    test::MemoryRegistry memory;
    run("in memory", memory, [&memory](const auto&... value) {
        memory.Set(platform::kHKeyLocalMachine, value...);
        return true;
    });
#ifdef Q_OS_WIN
    if (test::RunningUnderWine()) {
        run("Wine's", *platform::MakeSystemRegistry(),
            [](const std::string& key, const std::string& name, std::uint32_t type,
               const std::optional<std::string>& bytes) {
                const auto text = bytes ? platform::ToCodePage(*bytes) : std::nullopt;
                if (!bytes) {
                    test::DeleteMachineValue(key, name);
                } else if (text) {
                    test::SetMachineValue(key, name, type, *text);
                }
                return !bytes || text.has_value();
            });
    }
#endif
}

}  // namespace
}  // namespace quorrel
