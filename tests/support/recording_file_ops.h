#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_ops.h"

namespace quorrel::test {

// The real file operations, each written down as it is called ("Write <file>",
// "Copy <source> -> <target>", "Rename <from> -> <to>", "Remove <file>", "SyncFolder <folder>"),
// so that a test can check the order in which the steps reach the disk. Write and Copy flush the
// file itself before they return.
class RecordingFileOps final : public platform::SystemFileOps {
public:
    std::vector<std::string> calls;

    void Write(const std::filesystem::path& file, std::string_view content) override
    {
        calls.push_back("Write " + file.string());
        SystemFileOps::Write(file, content);
    }
    void Copy(const std::filesystem::path& source, const std::filesystem::path& target) override
    {
        calls.push_back("Copy " + source.string() + " -> " + target.string());
        SystemFileOps::Copy(source, target);
    }
    void Rename(const std::filesystem::path& from, const std::filesystem::path& to) override
    {
        calls.push_back("Rename " + from.string() + " -> " + to.string());
        SystemFileOps::Rename(from, to);
    }
    void Remove(const std::filesystem::path& file) override
    {
        calls.push_back("Remove " + file.string());
        SystemFileOps::Remove(file);
    }
    void SyncFolder(const std::filesystem::path& folder) override
    {
        calls.push_back("SyncFolder " + folder.string());
        SystemFileOps::SyncFolder(folder);
    }
};

}  // namespace quorrel::test
