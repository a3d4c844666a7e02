// File services on Windows semantics: hidden and system files.
#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>

#include "platform/file_system.h"
#include "platform/path_text.h"
#include "support/listed_names.h"
#include "support/temp_folder.h"
#include "windows_test_support.h"

namespace quorrel::platform {
namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;
using test::ListedNames;
using test::TempFolder;
using test::WriteFile;

TEST(WindowsPathsTest, HiddenAndSystemFilesAreNotListed)
{
    const TempFolder folder;
    const std::tuple<const char*, bool, bool> files[] = {{"Hero.d2s", false, false},
                                                         {"Hero.key", false, false},
                                                         {"Hero.map", true, false},
                                                         {"Thumbs.db", false, true},
                                                         {"desktop.ini", true, true}};
    for (const auto& [name, hidden, system] : files) {
        WriteFile(folder.path() / name, "x");
        test::SetHiddenAndSystem(folder.path() / name, hidden, system);
    }
    EXPECT_EQ(ListedNames(folder.text()), (Names{"Hero.d2s", "Hero.key"}));
    for (const auto& [name, hidden, system] : files) {
        EXPECT_EQ(IsOrdinaryFile(JoinPath(folder.text(), name)), !hidden && !system) << name;
        EXPECT_EQ(IsHiddenOrSystem(folder.text(), name), hidden || system) << name;
    }
}

}  // namespace
}  // namespace quorrel::platform
