#include "settings/settings_file.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <system_error>

#include "platform/path_text.h"

namespace quorrel {

namespace fs = std::filesystem;

namespace {

// Reads one line by the file's rules; false when the end of the file comes first.
bool ReadLine(std::istream& in, std::string& line)
{
    std::istream::int_type c = in.get();
    if (c == std::istream::traits_type::eof()) {
        return false;
    }
    line.clear();
    while (c != std::istream::traits_type::eof() && c != '\r') {
        line.push_back(static_cast<char>(c));
        c = in.get();
    }
    if (c == '\r' && in.peek() == '\n') {
        in.get();
    }
    return true;
}

}  // namespace

std::string SettingsFilePath(const std::string& applicationDirectory)
{
    return platform::JoinPath(applicationDirectory, "Settings.ini");
}

bool ReadSettingsFile(Module1& state, const std::string& file)
{
    std::ifstream in(platform::ToPath(file), std::ios::binary);
    if (!in) {
        return false;
    }
    std::string line;
    for (std::string* setting : {&state.SaveGameDir, &state.SnapshotDir, &state.RefreshTime}) {
        if (!ReadLine(in, line)) {
            return false;
        }
        *setting = line;
    }
    return true;
}

void WriteSettingsFile(const Module1& state, const std::string& file)
{
    const fs::path target = platform::ToPath(file);
    fs::path temporary = target;
    temporary += ".new";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        for (const std::string* setting :
             {&state.SaveGameDir, &state.SnapshotDir, &state.RefreshTime}) {
            out << *setting << "\r\n";
        }
        out.close();
        if (!out) {
            const int reason = errno;
            std::error_code ignored;
            fs::remove(temporary, ignored);
            throw std::runtime_error("Cannot write " + platform::ToText(temporary) + ": " +
                                     std::strerror(reason));
        }
    }
    std::error_code error;
    fs::rename(temporary, target, error);
    if (error) {
        std::error_code ignored;
        fs::remove(temporary, ignored);
        throw std::runtime_error("Cannot replace " + file + ": " + error.message());
    }
}

}  // namespace quorrel
