#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

// What the Windows tests need of Windows itself, kept apart so that <windows.h> and its macros
// (CopyFile among them) never meet the program's own names.
namespace quorrel::test {

// Writing under HKEY_LOCAL_MACHINE is for a throw-away Wine prefix only.
bool RunningUnderWine();

// The folder that holds the running test program, and the programs built beside it.
std::string ProgramDirectory();

void SetHiddenAndSystem(const std::filesystem::path& file, bool hidden, bool system);

// Stores exactly these bytes, creating the key: a string written without its NUL stays without.
void SetMachineValue(const std::string& key, const std::string& name, std::uint32_t type,
                     std::string_view bytes);
void DeleteMachineValue(const std::string& key, const std::string& name);

}  // namespace quorrel::test
