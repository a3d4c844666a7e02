#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// What the Windows tests need of Windows itself, kept out of the tests so that <windows.h> and
// its macros (CopyFile, among others) never meet the program's own names.
namespace quorrel::test {

// Whether the tests run under Wine rather than on a Windows machine.
bool RunningUnderWine();

// A drive root that the tests may write into: the drive that scripts/test-windows.sh maps to a
// folder of its own (QUORREL_TEST_DRIVE, such as "Q:"), or else drive C: of a Wine prefix. Empty
// on a Windows machine, whose C:\ is no place for tests.
std::string ScratchDriveRoot();

// The text in the ANSI code page, or nothing when the code page lacks one of its characters.
std::optional<std::string> InAnsiCodePage(std::wstring_view text);

void SetFileAttributeBits(const std::filesystem::path& file, bool hidden, bool system);

// The contents of a file that another process is to write, once it is there; empty when it has
// not come within the time allowed.
std::string WaitForFile(const std::filesystem::path& file, std::chrono::seconds allowed);

// The program that records how it was started: it writes the show command it was given into
// show_command.txt beside itself. It is built beside the test program.
std::filesystem::path ShowProbeProgram();

// A key under HKEY_LOCAL_MACHINE that a test writes to. A key the test created is removed with
// everything in it at the end; in a key that was there before, only the values written go.
class MachineKey {
public:
    explicit MachineKey(std::string subKey);
    ~MachineKey();
    MachineKey(const MachineKey&) = delete;
    MachineKey& operator=(const MachineKey&) = delete;

    const std::string& name() const { return subKey_; }

    // Stores exactly these bytes: a string without its NUL stays without it.
    void SetValue(const std::string& valueName, std::uint32_t type, std::string_view bytes);
    void DeleteValue(const std::string& valueName);

private:
    std::string subKey_;
    bool created_ = false;
    std::vector<std::string> written_;
};

}  // namespace quorrel::test
