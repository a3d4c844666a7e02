#pragma once

#include <cstdint>
#include <filesystem>

namespace quorrel::test {

// Sets a file's last-modified time to a moment given in seconds since 1970 and a fraction in
// nanoseconds (Windows keeps it to 100 ns), as a save written at that instant would have it.
// The standard library cannot be used for this: on Windows it keeps whole seconds only.
void SetModified(const std::filesystem::path& file, std::int64_t seconds, std::int32_t nanoseconds);

// A whole second in December 2026, for the tests to put saves within one second.
inline constexpr std::int64_t kSomeSecond = 1796569449;

}  // namespace quorrel::test
