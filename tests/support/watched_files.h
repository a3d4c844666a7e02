#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_ops.h"

namespace quorrel::test {

// The real file operations, watched: each is written down as it begins, the flushes inside Write
// and Copy included ("Write <file>", "SyncFile <file>", "Copy <from> -> <to>", "Rename <from> ->
// <to>", "Move <from> -> <to>", "Remove <file>", "SyncFolder <folder>"), and each runs hooks
// before and after it, given its name and the file it writes or flushes (a copy's target, a
// rename's source). A hook can throw to make that step fail, or to stop there as a kill would
// (see Kill), or change the files meanwhile, as the game or a full disk would.
class WatchedFiles : public platform::SystemFileOps {
public:
    using Hook = std::function<void(std::string_view operation, const std::filesystem::path& file)>;
    Hook before;
    Hook after;
    std::vector<std::string> calls;
    int steps = 0;  // operations begun so far, flushes inside Write and Copy not counted

    void Write(const std::filesystem::path& file, std::string_view content) override
    {
        Run("Write", file, file.string(), [&] { SystemFileOps::Write(file, content); });
    }
    void Copy(const std::filesystem::path& from, const std::filesystem::path& to) override
    {
        Run("Copy", to, Two(from, to), [&] { SystemFileOps::Copy(from, to); });
    }
    void Rename(const std::filesystem::path& from, const std::filesystem::path& to) override
    {
        Run("Rename", from, Two(from, to), [&] { SystemFileOps::Rename(from, to); });
    }
    void Move(const std::filesystem::path& from, const std::filesystem::path& to) override
    {
        Run("Move", from, Two(from, to), [&] { SystemFileOps::Move(from, to); });
    }
    void Remove(const std::filesystem::path& file) override
    {
        Run("Remove", file, file.string(), [&] { SystemFileOps::Remove(file); });
    }
    void SyncFolder(const std::filesystem::path& folder) override
    {
        Run("SyncFolder", folder, folder.string(), [&] { SystemFileOps::SyncFolder(folder); });
    }

protected:
    void SyncFile(const std::filesystem::path& file, platform::OpenFile& open) override
    {
        calls.push_back("SyncFile " + file.string());
        SystemFileOps::SyncFile(file, open);
    }

private:
    static std::string Two(const std::filesystem::path& from, const std::filesystem::path& to)
    {
        return from.string() + " -> " + to.string();
    }

    void Run(std::string_view operation, const std::filesystem::path& file, const std::string& what,
             const std::function<void()>& step)
    {
        ++steps;
        calls.push_back(std::string(operation) + " " + what);
        if (before) {
            before(operation, file);
        }
        step();
        if (after) {
            after(operation, file);
        }
    }
};

// Stands for the program being killed. It is no std::exception, so nothing in the program
// catches it: nothing after it runs.
struct Kill {};

// Whether `calls` holds each of `expected` in this order, with any other calls between them.
// EXPECT_TRUE(InOrder(...)) names the first one missing or out of order.
inline ::testing::AssertionResult InOrder(const std::vector<std::string>& calls,
                                          const std::vector<std::string>& expected)
{
    auto next = calls.begin();
    for (const std::string& call : expected) {
        next = std::find(next, calls.end(), call);
        if (next == calls.end()) {
            ::testing::AssertionResult failure = ::testing::AssertionFailure();
            failure << "\"" << call << "\" is missing or out of order in:";
            for (const std::string& made : calls) {
                failure << "\n  " << made;
            }
            return failure;
        }
        ++next;
    }
    return ::testing::AssertionSuccess();
}

}  // namespace quorrel::test
