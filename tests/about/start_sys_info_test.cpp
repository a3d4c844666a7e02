#include "about/start_sys_info.h"

#include <gtest/gtest.h>

#include <tuple>

#include "platform/memory_registry.h"
#include "platform/path_text.h"
#include "support/fake_program_starter.h"
#include "support/temp_folder.h"

namespace quorrel {
namespace {

TEST(StartSysInfoTest, StartsTheFullPathElseMSINFO32InTheFolderElseNothing)
{
    const test::TempFolder withTool;
    const test::TempFolder empty;
    const std::string tool = (withTool.path() / "tool").string();
    const std::string msinfo = platform::JoinPath(withTool.text(), "MSINFO32.EXE");
    test::WriteFile(tool, "");
    test::WriteFile(msinfo, "");

    // The full path's type (0: none) and text, the folder (empty: none), the program started.
    using Case = std::tuple<std::uint32_t, std::string, std::string, std::string>;
    for (const auto& [pathType, path, folder, started] : {
             Case{platform::kRegSz, tool, withTool.text(), tool},
             Case{0, "", withTool.text(), msinfo},
             Case{0, "", empty.text(), ""},
             Case{0, "", "", ""},
             // Once the full path is read, the folder is no longer looked at: a path that cannot
             // be started, an expandable string (read as nothing) and a value without data.
             Case{platform::kRegSz, (withTool.path() / "gone.exe").string(), withTool.text(), ""},
             Case{platform::kRegExpandSz, tool, withTool.text(), ""},
             Case{platform::kRegSz, "", withTool.text(), ""},
         }) {
        SCOPED_TRACE(path + " | " + folder);
        platform::MemoryRegistry registry;
        if (pathType != 0) {
            registry.SetValue(platform::kHKeyLocalMachine,
                              "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", "PATH", pathType,
                              {path.begin(), path.end()});
        }
        if (!folder.empty()) {
            registry.SetString(platform::kHKeyLocalMachine,
                               "SOFTWARE\\Microsoft\\Shared Tools Location", "MSINFO", folder);
        }
        test::RecordingProgramStarter starter;
        bool reported = false;  // a start that could not be made
        try {
            StartSysInfo(registry, starter);
        } catch (const std::exception&) {
            reported = true;
        }
        EXPECT_EQ(reported, started.empty());
        ASSERT_EQ(starter.started.size(), started.empty() ? 0u : 1u);
        if (!started.empty()) {
            EXPECT_EQ(starter.started[0].program, started);
            EXPECT_EQ(starter.started[0].showCommand, platform::ProgramStarter::kShowNormal);
        }
    }
}

}  // namespace
}  // namespace quorrel
