#pragma once

#include <filesystem>
#include <functional>
#include <string_view>

#include "platform/file_ops.h"

namespace quorrel::test {

// The real file operations, with a hook that runs before each one and is given the file it is
// about to write (a copy's target, a rename's source) or flush. The hook can throw to make that
// step fail, or change the files meanwhile, as the game, a full disk or a crash would.
class FaultyFiles final : public platform::SystemFileOps {
public:
    using Hook = std::function<void(std::string_view operation, const std::filesystem::path& file)>;
    Hook before;
    int steps = 0;  // operations begun so far

    void Write(const std::filesystem::path& file, std::string_view content) override
    {
        Step("Write", file);
        SystemFileOps::Write(file, content);
    }
    void Copy(const std::filesystem::path& source, const std::filesystem::path& target) override
    {
        Step("Copy", target);
        SystemFileOps::Copy(source, target);
    }
    void Rename(const std::filesystem::path& from, const std::filesystem::path& to) override
    {
        Step("Rename", from);
        SystemFileOps::Rename(from, to);
    }
    void RenameFolder(const std::filesystem::path& from, const std::filesystem::path& to) override
    {
        Step("RenameFolder", from);
        SystemFileOps::RenameFolder(from, to);
    }
    void Remove(const std::filesystem::path& file) override
    {
        Step("Remove", file);
        SystemFileOps::Remove(file);
    }
    void SyncFolder(const std::filesystem::path& folder) override
    {
        Step("SyncFolder", folder);
        SystemFileOps::SyncFolder(folder);
    }

private:
    void Step(std::string_view operation, const std::filesystem::path& file)
    {
        ++steps;
        if (before) {
            before(operation, file);
        }
    }
};

}  // namespace quorrel::test
