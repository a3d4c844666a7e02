#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_ops.h"

namespace quorrel::test {

// The real file operations, each written down as it begins, the flushes inside Write and Copy
// included: "Write <file>", "SyncFile <file>", "Copy <from> -> <to>", "Rename <from> -> <to>",
// "RenameFolder <from> -> <to>", "Remove <file>", "SyncFolder <folder>". Tests compare the
// order of the durable steps with what a power cut at any point needs.
class RecordingFileOps : public platform::SystemFileOps {
public:
    std::vector<std::string> calls;

    void Write(const std::filesystem::path& file, std::string_view content) override
    {
        calls.push_back("Write " + file.string());
        SystemFileOps::Write(file, content);
    }
    void Copy(const std::filesystem::path& from, const std::filesystem::path& to) override
    {
        calls.push_back("Copy " + from.string() + " -> " + to.string());
        SystemFileOps::Copy(from, to);
    }
    void Rename(const std::filesystem::path& from, const std::filesystem::path& to) override
    {
        calls.push_back("Rename " + from.string() + " -> " + to.string());
        SystemFileOps::Rename(from, to);
    }
    void RenameFolder(const std::filesystem::path& from, const std::filesystem::path& to) override
    {
        calls.push_back("RenameFolder " + from.string() + " -> " + to.string());
        SystemFileOps::RenameFolder(from, to);
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

protected:
    void SyncFile(const std::filesystem::path& file, platform::OpenFile& open) override
    {
        calls.push_back("SyncFile " + file.string());
        SystemFileOps::SyncFile(file, open);
    }
};

}  // namespace quorrel::test
