#include "snapshot/error_log.h"

#include <gtest/gtest.h>

#include "support/temp_folder.h"

#ifndef _WIN32
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>

namespace quorrel {
namespace {

// A disk that fills up part-way through an entry, made with the limit on file sizes: a write
// that crosses it is cut short there. And a FIFO where the log goes, which a check must not wait
// on (the other kinds of entries are the file layer's).
TEST(ErrorLogTest, AnEntryIsWrittenWholeOrNotAtAllAndNeverWaitedOn)
{
    const test::TempFolder folder;
    const std::string log = (folder.path() / "Log.txt").string();
    const platform::LocalDateTime when{2026, 12, 6, 15, 4, 9};
    AppendErrorEntry(log, when);
    const std::string entry = test::ReadFile(log);
    EXPECT_EQ(entry.substr(entry.find("\r\nError")),
              "\r\nError Could not save \r\n------------------------\r\n");

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

    const std::string fifo = (folder.path() / "Fifo.txt").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    AppendErrorEntry(fifo, when);  // returns at once
}

}  // namespace
}  // namespace quorrel
#endif
