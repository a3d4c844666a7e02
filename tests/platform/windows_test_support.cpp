#include "windows_test_support.h"

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <thread>

#include "platform/file_system.h"
#include "platform/path_text.h"

namespace quorrel::test {

namespace fs = std::filesystem;

bool RunningUnderWine()
{
    // Wine's ntdll has a function that no Windows ntdll has.
    const HMODULE ntdll = ::GetModuleHandleA("ntdll.dll");
    return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

std::string ScratchDriveRoot()
{
    if (const char* drive = std::getenv("QUORREL_TEST_DRIVE"); drive != nullptr && *drive != '\0') {
        return std::string(drive) + "\\";
    }
    return RunningUnderWine() ? "C:\\" : "";
}

std::optional<std::string> InAnsiCodePage(std::wstring_view text)
{
    BOOL lossy = FALSE;
    const int length = ::WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                             nullptr, 0, nullptr, &lossy);
    if (length <= 0 || lossy) {
        return std::nullopt;
    }
    std::string ansi(static_cast<std::size_t>(length), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), ansi.data(),
                          length, nullptr, nullptr);
    return ansi;
}

void SetFileAttributeBits(const fs::path& file, bool hidden, bool system)
{
    DWORD attributes = FILE_ATTRIBUTE_NORMAL;
    if (hidden || system) {
        attributes = (hidden ? FILE_ATTRIBUTE_HIDDEN : 0) | (system ? FILE_ATTRIBUTE_SYSTEM : 0);
    }
    if (!::SetFileAttributesW(file.c_str(), attributes)) {
        throw std::runtime_error("Cannot set the attributes of " + file.string());
    }
}

std::string WaitForFile(const fs::path& file, std::chrono::seconds allowed)
{
    const auto deadline = std::chrono::steady_clock::now() + allowed;
    while (std::chrono::steady_clock::now() < deadline) {
        std::ifstream in(file, std::ios::binary);
        std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (!content.empty()) {
            return content;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return {};
}

fs::path ShowProbeProgram()
{
    return platform::ToPath(
        platform::JoinPath(platform::ApplicationDirectory(), "quorrel_show_probe.exe"));
}

MachineKey::MachineKey(std::string subKey) : subKey_(std::move(subKey))
{
    HKEY key = nullptr;
    DWORD disposition = 0;
    if (::RegCreateKeyExA(HKEY_LOCAL_MACHINE, subKey_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                          nullptr, &key, &disposition) != ERROR_SUCCESS) {
        throw std::runtime_error("Cannot create the registry key " + subKey_);
    }
    ::RegCloseKey(key);
    created_ = disposition == REG_CREATED_NEW_KEY;
}

MachineKey::~MachineKey()
{
    if (created_) {
        ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, subKey_.c_str());
        ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, subKey_.c_str());
        return;
    }
    for (const std::string& valueName : written_) {
        DeleteValue(valueName);
    }
}

void MachineKey::SetValue(const std::string& valueName, std::uint32_t type, std::string_view bytes)
{
    // Windows counts in a NUL that the caller left out when one follows the data in memory, so
    // the data is followed by something else.
    std::vector<char> data(bytes.begin(), bytes.end());
    data.push_back('#');
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, subKey_.c_str(), 0, KEY_SET_VALUE, &key) !=
        ERROR_SUCCESS) {
        throw std::runtime_error("Cannot open the registry key " + subKey_);
    }
    const LONG status = ::RegSetValueExA(key, valueName.c_str(), 0, type,
                                         reinterpret_cast<const BYTE*>(data.data()),
                                         static_cast<DWORD>(bytes.size()));
    ::RegCloseKey(key);
    if (status != ERROR_SUCCESS) {
        throw std::runtime_error("Cannot write the registry value " + valueName);
    }
    if (std::find(written_.begin(), written_.end(), valueName) == written_.end()) {
        written_.push_back(valueName);
    }
}

void MachineKey::DeleteValue(const std::string& valueName)
{
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, subKey_.c_str(), 0, KEY_SET_VALUE, &key) ==
        ERROR_SUCCESS) {
        ::RegDeleteValueA(key, valueName.c_str());
        ::RegCloseKey(key);
    }
}

}  // namespace quorrel::test
