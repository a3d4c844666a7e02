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

// The real file operations, logged as they begin ("Copy <from> -> <to>", "SyncFile <file>", ...),
// with hooks run before and after each with the file it writes (a copy's target, a rename's
// source). A hook may throw to fail the step or to stop as a kill would, or change the files.
class WatchedFiles : public platform::SystemFileOps {
public:
    using Hook = std::function<void(std::string_view operation, const std::filesystem::path& file)>;
    using Path = std::filesystem::path;
    Hook before;
    Hook after;
    std::vector<std::string> calls;
    int steps = 0;  // operations begun so far, the flushes inside Write and Copy not counted

    void Write(const Path& file, std::string_view content) override
    {
        Run("Write", file, {}, [&] { SystemFileOps::Write(file, content); });
    }
    void Copy(const Path& from, const Path& to) override
    {
        Run("Copy", to, from, [&] { SystemFileOps::Copy(from, to); });
    }
    void Rename(const Path& from, const Path& to) override
    {
        Run("Rename", from, to, [&] { SystemFileOps::Rename(from, to); });
    }
    void Move(const Path& from, const Path& to) override
    {
        Run("Move", from, to, [&] { SystemFileOps::Move(from, to); });
    }
    void Remove(const Path& file) override
    {
        Run("Remove", file, {}, [&] { SystemFileOps::Remove(file); });
    }
    void SyncFolder(const Path& folder) override
    {
        Run("SyncFolder", folder, {}, [&] { SystemFileOps::SyncFolder(folder); });
    }

protected:
    void SyncFile(const Path& file, platform::OpenFile& open) override
    {
        calls.push_back("SyncFile " + file.string());
        SystemFileOps::SyncFile(file, open);
    }

private:
    // `file` is the one the hooks are given; `other` is a copy's source or a rename's target.
    void Run(std::string_view operation, const Path& file, const Path& other,
             const std::function<void()>& step)
    {
        ++steps;
        const bool copy = operation == "Copy";
        calls.push_back(std::string(operation) + " " + (copy ? other : file).string() +
                        (other.empty() ? "" : " -> " + (copy ? file : other).string()));
        if (before) {
            before(operation, file);
        }
        step();
        if (after) {
            after(operation, file);
        }
    }
};

// Stands for the program being killed: no std::exception, so nothing in the program catches it.
struct Kill {};

// Whether `calls` holds `expected` in this order, other calls between them allowed.
inline ::testing::AssertionResult InOrder(const std::vector<std::string>& calls,
                                          const std::vector<std::string>& expected)
{
    auto next = calls.begin();
    for (const std::string& call : expected) {
        next = std::find(next, calls.end(), call);
        if (next++ == calls.end()) {
            ::testing::AssertionResult failure = ::testing::AssertionFailure();
            failure << "\"" << call << "\" is missing or out of order in:";
            for (const std::string& made : calls) {
                failure << "\n  " << made;
            }
            return failure;
        }
    }
    return ::testing::AssertionSuccess();
}

}  // namespace quorrel::test
