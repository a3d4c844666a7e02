#pragma once

#include <cstdint>
#include <filesystem>

namespace quorrel::test {

// Sets a file's last-modified time to seconds since 1970 and nanoseconds (Windows keeps 100 ns
// steps); std::filesystem keeps whole seconds only under MinGW.
void SetModified(const std::filesystem::path& file, std::int64_t seconds, std::int32_t nanoseconds);

// A whole second in December 2026, for the tests to put saves within one second.
inline constexpr std::int64_t kSomeSecond = 1796569449;

}  // namespace quorrel::test
