#include "snapshot/error_log.h"

#include <gtest/gtest.h>

#include "support/temp_folder.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>

namespace quorrel {
namespace {

// A disk that fills up part-way through an entry, made with the limit on file sizes: a write
// that crosses it is cut short there.
TEST(ErrorLogTest, AnEntryIsWrittenWholeOrNotAtAll)
{
    const test::TempFolder folder;
    const std::string log = (folder.path() / "Log.txt").string();
    const platform::LocalDateTime when{2026, 12, 6, 15, 4, 9};
    AppendErrorEntry(log, when);
    const std::string entry = test::ReadFile(log);
    ASSERT_GT(entry.size(), 40u);

    rlimit before{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &before), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = before;
    limited.rlim_cur = entry.size() + 30;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    AppendErrorEntry(log, when);
    ::setrlimit(RLIMIT_FSIZE, &before);
    std::signal(SIGXFSZ, previousHandler);
    EXPECT_EQ(test::ReadFile(log), entry) << "no entry cut part-way";

    AppendErrorEntry(log, when);
    EXPECT_EQ(test::ReadFile(log), entry + entry);
}

// Whatever stands where the log goes, the check goes on at once and nothing outside the log is
// written: a FIFO is not waited on, a link is not followed.
TEST(ErrorLogTest, ALogThatIsNoPlainFileIsLeftAlone)
{
    namespace fs = std::filesystem;
    const test::TempFolder folder;
    const platform::LocalDateTime when{2026, 12, 6, 15, 4, 9};
    const fs::path log = folder.path() / "Log.txt";
    const fs::path elsewhere = folder.path() / "elsewhere";

    // With no reader, opening it for writing would wait for ever.
    ASSERT_EQ(::mkfifo(log.c_str(), 0600), 0);
    AppendErrorEntry(log.string(), when);
    // With a reader, the entry would go into the pipe.
    const int reader = ::open(log.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    AppendErrorEntry(log.string(), when);
    char byte = 0;
    EXPECT_LT(::read(reader, &byte, 1), 1) << "an entry went into the FIFO";
    ::close(reader);
    fs::remove(log);

    test::WriteFile(elsewhere, "not the log");
    fs::create_symlink(elsewhere, log);
    AppendErrorEntry(log.string(), when);
    EXPECT_EQ(test::ReadFile(elsewhere), "not the log");
    fs::remove(log);
    fs::remove(elsewhere);
    fs::create_symlink(elsewhere, log);
    AppendErrorEntry(log.string(), when);
    EXPECT_FALSE(fs::exists(elsewhere)) << "a dangling link made its target";
}

}  // namespace
}  // namespace quorrel
#endif
