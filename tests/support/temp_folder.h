#pragma once

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

namespace quorrel::test {

// A fresh folder under the system's temporary folder, removed with everything in it at the end.
class TempFolder {
public:
    TempFolder()
    {
        std::random_device random;
        path_ = std::filesystem::temp_directory_path() /
                ("quorrel-test-" + std::to_string(random()) + std::to_string(random()));
        std::filesystem::create_directories(path_);
    }
    ~TempFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::string text() const { return path_.string(); }

    // A sub-folder, created with its parents.
    std::filesystem::path folder(const std::string& name) const
    {
        std::filesystem::create_directories(path_ / name);
        return path_ / name;
    }

private:
    std::filesystem::path path_;
};

inline void WriteFile(const std::filesystem::path& file, const std::string& content)
{
    std::ofstream(file, std::ios::binary | std::ios::trunc) << content;
}

inline std::string ReadFile(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Moves a file's last-modified time by whole seconds, as a later save by the game would.
inline void Touch(const std::filesystem::path& file, int secondsLater = 10)
{
    std::filesystem::last_write_time(
        file, std::filesystem::last_write_time(file) + std::chrono::seconds(secondsLater));
}

}  // namespace quorrel::test
