#include "windows_test_support.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace quorrel::test {

bool RunningUnderWine()
{
    // Wine's ntdll has a function that no Windows ntdll has.
    const HMODULE ntdll = ::GetModuleHandleA("ntdll.dll");
    return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

std::string ProgramDirectory()
{
    char name[MAX_PATH] = {};
    const std::string path(name, ::GetModuleFileNameA(nullptr, name, MAX_PATH));
    return path.substr(0, path.find_last_of('\\'));
}

void SetHiddenAndSystem(const std::filesystem::path& file, bool hidden, bool system)
{
    const DWORD bits = (hidden ? FILE_ATTRIBUTE_HIDDEN : 0) | (system ? FILE_ATTRIBUTE_SYSTEM : 0);
    EXPECT_TRUE(::SetFileAttributesW(file.c_str(), bits != 0 ? bits : FILE_ATTRIBUTE_NORMAL));
}

void SetMachineValue(const std::string& key, const std::string& name, std::uint32_t type,
                     std::string_view bytes)
{
    // Windows counts in a NUL left out of the length when one follows the data in memory.
    const std::string data = std::string(bytes) + '#';
    EXPECT_EQ(::RegSetKeyValueA(HKEY_LOCAL_MACHINE, key.c_str(), name.c_str(), type, data.data(),
                                static_cast<DWORD>(bytes.size())),
              ERROR_SUCCESS)
        << key << "\\" << name;
}

void DeleteMachineValue(const std::string& key, const std::string& name)
{
    ::RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, key.c_str(), name.c_str());
}

}  // namespace quorrel::test
