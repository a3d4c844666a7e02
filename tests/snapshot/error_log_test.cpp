#include "snapshot/error_log.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/resource.h>

#include <csignal>
#endif

#include "support/temp_folder.h"

namespace quorrel {
namespace {

#ifndef _WIN32
// A disk that fills up part-way through an entry, made with the limit on file sizes: a write
// that crosses it is cut short there.
TEST(ErrorLogTest, AnEntryIsWrittenWholeOrNotAtAll)
{
    const test::TempFolder folder;
    const std::filesystem::path log = folder.path() / "Log.txt";
    const platform::LocalDateTime when{2026, 12, 6, 15, 4, 9};
    AppendErrorEntry(log.string(), when);
    const std::string entry = test::ReadFile(log);
    ASSERT_GT(entry.size(), 40u);

    rlimit before{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &before), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = before;
    limited.rlim_cur = entry.size() + 30;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    AppendErrorEntry(log.string(), when);
    ::setrlimit(RLIMIT_FSIZE, &before);
    std::signal(SIGXFSZ, previousHandler);
    EXPECT_EQ(test::ReadFile(log), entry) << "no entry cut part-way";

    AppendErrorEntry(log.string(), when);
    EXPECT_EQ(test::ReadFile(log), entry + entry);
}
#endif

}  // namespace
}  // namespace quorrel
