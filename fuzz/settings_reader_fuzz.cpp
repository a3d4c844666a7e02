// Settings.ini as anyone may have written it: whatever the bytes, the reader either fails or
// gives three lines that are bounded, free of NULs and CRs, and that read back the same once
// written as UTF-8.
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <stdexcept>
#include <string>

#include "settings/settings_file.h"

namespace {

bool Read(const std::string& bytes, quorrel::Settings& settings)
{
    std::istringstream in(bytes);
    try {
        quorrel::ReadSettings(in, settings);
        return true;
    } catch (const std::runtime_error&) {
        return false;
    }
}

void Require(bool condition)
{
    if (!condition) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    quorrel::Settings settings;
    if (!Read(std::string(reinterpret_cast<const char*>(data), size), settings)) {
        return 0;
    }
    for (const std::string* line :
         {&settings.SaveGameDir, &settings.SnapshotDir, &settings.RefreshTime}) {
        Require(line->size() <= 32 * 1024);
        Require(line->find('\0') == std::string::npos);
        Require(line->find('\r') == std::string::npos);
    }
    // Written back as UTF-8 after its mark, as the writer writes text that the code page may not
    // hold: then even a folder whose name starts with the mark's own character reads back whole.
    quorrel::Settings again;
    Require(Read("\xEF\xBB\xBF" + settings.SaveGameDir + "\r\n" + settings.SnapshotDir + "\r\n" +
                     settings.RefreshTime + "\r\n",
                 again));
    Require(again == settings);
    return 0;
}
