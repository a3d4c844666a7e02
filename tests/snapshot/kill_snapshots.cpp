// Kills the snapshot cycle with SIGKILL at random moments while it takes snapshots, and counts
// the snapshot folders left under a final name that do not hold the character's files whole.
//
//   quorrel_kill_snapshots <work folder> <rounds> [seed]
//
// Each round starts a child that runs the real cycle over <work folder>/save, as the program
// does: it records the folder, the game saves (the stamps move on), and one check takes one
// snapshot into <work folder>/history. Once the check has begun, the parent kills the child
// after a random delay, up to a little longer than a check takes, then looks at every folder the
// history
// shows. Exits 1 when one of them is partial, or when a hidden folder is still there after the
// next check. Everything happens in a new folder inside <work folder>, removed at the end.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/file_ops.h"
#include "snapshot/snapshot_cycle.h"
#include "support/fakes.h"

namespace {

namespace fs = std::filesystem;
using namespace quorrel;
using Clock = std::chrono::steady_clock;

const char* const kFiles[] = {"Hero.d2s", "Hero.key", "Hero.map"};

std::string ReadAll(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

// The child: the program's start-up and one check, after which the game has saved.
// Tells `ready` when the check begins.
[[noreturn]] void SnapshotOnce(const fs::path& save, const fs::path& history, int round, int ready)
{
    Settings settings{save.string(), history.string(), "1"};
    test::ManualTimer timer;
    platform::SystemClock clock;
    test::CountingBeeper beeper;
    SnapshotCycle cycle(settings, timer, {clock, beeper, platform::SystemFiles(), "/dev/null"});
    cycle.SetCheckPeriod();
    cycle.RecordSaveFolder();
    for (const char* name : kFiles) {
        const timespec times[2] = {{round, 0}, {1000000 + round, 0}};
        ::utimensat(AT_FDCWD, (save / name).c_str(), times, 0);
    }
    const char begun = 1;
    if (::write(ready, &begun, 1) != 1) {
        std::_Exit(4);
    }
    cycle.Timer1_Timer();
    std::_Exit(beeper.beeps == 1 ? 0 : 3);
}

// A folder the history shows is whole when it holds exactly the character's files, each with the
// save's bytes.
bool Whole(const fs::path& folder, const fs::path& save)
{
    std::size_t count = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
        ++count;
        const fs::path name = entry.path().filename();
        if (!fs::exists(save / name) || ReadAll(entry.path()) != ReadAll(save / name)) {
            return false;
        }
    }
    return count == std::size(kFiles);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s <work folder> <rounds> [seed]\n", argv[0]);
        return 2;
    }
    std::string pattern = (fs::path(argv[1]) / "kill-XXXXXX").string();
    fs::create_directories(argv[1]);
    if (::mkdtemp(pattern.data()) == nullptr) {
        std::perror(argv[1]);
        return 2;
    }
    const fs::path work = pattern;
    const int rounds = std::atoi(argv[2]);
    const unsigned seed = argc > 3 ? static_cast<unsigned>(std::strtoul(argv[3], nullptr, 10))
                                   : static_cast<unsigned>(std::random_device()());
    const fs::path save = work / "save";
    const fs::path history = work / "history";
    fs::create_directories(save);
    fs::create_directories(history);
    std::mt19937 random(seed);
    // Large enough that a kill can land inside a copy, not only between two.
    for (const char* name : kFiles) {
        std::string content(std::uniform_int_distribution<int>(100000, 400000)(random), '\0');
        for (char& c : content) {
            c = static_cast<char>(random());
        }
        std::ofstream(save / name, std::ios::binary) << content;
    }

    // Starts a round and returns once its check has begun.
    const auto runChild = [&](int round) {
        int ready[2];
        if (::pipe(ready) != 0) {
            std::perror("pipe");
            std::exit(2);
        }
        const pid_t child = ::fork();
        if (child == 0) {
            SnapshotOnce(save, history, round, ready[1]);
        }
        char begun = 0;
        if (::read(ready[0], &begun, 1) != 1) {
            std::fprintf(stderr, "a round ended before its check\n");
        }
        ::close(ready[0]);
        ::close(ready[1]);
        return child;
    };
    // How long one check takes when nothing kills it: the middle of a few tries, since a busy
    // machine makes some of them much longer.
    std::vector<Clock::duration> takes;
    constexpr int kTries = 9;
    for (int i = 0; i < kTries; ++i) {
        const pid_t child = runChild(i + 1);
        const auto start = Clock::now();
        int status = 0;
        ::waitpid(child, &status, 0);
        takes.push_back(Clock::now() - start);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            std::fprintf(stderr, "an undisturbed round took no snapshot\n");
            return 2;
        }
        fs::remove_all(history);
        fs::create_directories(history);
    }
    std::sort(takes.begin(), takes.end());
    const auto checkMicroseconds =
        std::chrono::duration_cast<std::chrono::microseconds>(takes[kTries / 2]).count();
    const long latest = checkMicroseconds * 5 / 4;

    int killed = 0;
    int finished = 0;
    int whole = 0;
    int partial = 0;
    std::uniform_int_distribution<long> delay(0, latest);
    for (int round = 0; round < rounds; ++round) {
        const pid_t child = runChild(100 + round);
        ::usleep(static_cast<useconds_t>(delay(random)));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        (WIFSIGNALED(status) ? killed : finished) += 1;
        // What File > Load would offer: every folder whose name is not hidden.
        for (const fs::directory_entry& entry : fs::directory_iterator(history)) {
            if (entry.path().filename().string().front() == '.') {
                continue;
            }
            if (Whole(entry.path(), save)) {
                ++whole;
            } else {
                ++partial;
                std::fprintf(stderr, "round %d: partial %s\n", round,
                             entry.path().filename().c_str());
            }
            // The next round may fall in the same second.
            fs::remove_all(entry.path());
        }
    }
    // What the last kill left is for the next start to clear: one more round, undisturbed.
    int status = 0;
    ::waitpid(runChild(100 + rounds), &status, 0);
    int hidden = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(history)) {
        hidden += entry.path().filename().string().front() == '.' ? 1 : 0;
    }
    std::printf(
        "seed %u, %d rounds (an undisturbed check takes %lld us; kills at 0 to %ld us)\n"
        "killed before the end: %d, finished: %d\n"
        "folders under a final name: %d whole, %d partial\n"
        "hidden folders left once the next check has run: %d\n",
        seed, rounds, static_cast<long long>(checkMicroseconds), latest, killed, finished, whole,
        partial, hidden);
    fs::remove_all(work);
    return partial == 0 && hidden == 0 ? 0 : 1;
}
