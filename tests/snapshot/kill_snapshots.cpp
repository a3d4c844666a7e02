// Kills the snapshot cycle with SIGKILL at random moments while it takes a snapshot, and counts
// the folders left under a final name that do not hold the character's files whole.
//
//   quorrel_kill_snapshots <rounds> [seed]
//
// Each round forks a child that starts up as the program does (the sweep of what snapshots cut
// short left, the save folder recorded), lets the game save and runs one check, which takes one
// snapshot. The parent kills it at a random moment, up to a little later than an undisturbed
// check ends, then looks at every folder that File > Load would offer. Exits 1 when one of them
// is partial, or when a hidden folder is still there after one more, undisturbed round.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>

#include "snapshot/take_snapshot.h"
#include "support/file_times.h"
#include "support/listed_names.h"
#include "support/snapshot_scene.h"

namespace {

namespace fs = std::filesystem;
using namespace quorrel;
using Names = std::vector<std::string>;

const Names kFiles{"Hero.d2s", "Hero.key", "Hero.map"};

// Starts a round, and returns once its check has begun.
pid_t StartRound(test::SnapshotScene& scene, int round)
{
    int ready[2];
    if (::pipe(ready) != 0) {
        std::perror("pipe");
        std::exit(2);
    }
    const pid_t child = ::fork();
    if (child == 0) {
        RemoveUnfinishedSnapshots(scene.history.string());
        scene.Start();
        for (const std::string& name : kFiles) {
            test::SetModified(scene.save / name, test::kSomeSecond + round, 0);
        }
        const char begun = 1;
        if (::write(ready[1], &begun, 1) != 1) {
            std::_Exit(4);
        }
        scene.cycle.Timer1_Timer();
        std::_Exit(scene.beeper.beeps == 1 ? 0 : 3);
    }
    char begun = 0;
    if (::read(ready[0], &begun, 1) != 1) {
        std::fprintf(stderr, "a round ended before its check\n");
    }
    ::close(ready[0]);
    ::close(ready[1]);
    return child;
}

int Wait(pid_t child)
{
    int status = 0;
    ::waitpid(child, &status, 0);
    return status;
}

bool Whole(const fs::path& folder, const fs::path& save)
{
    return test::Entries(folder) == kFiles &&
           std::all_of(kFiles.begin(), kFiles.end(), [&](const std::string& file) {
               return test::ReadFile(folder / file) == test::ReadFile(save / file);
           });
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <rounds> [seed]\n", argv[0]);
        return 2;
    }
    const int rounds = std::atoi(argv[1]);
    const unsigned seed = argc > 2 ? static_cast<unsigned>(std::strtoul(argv[2], nullptr, 10))
                                   : static_cast<unsigned>(std::random_device()());
    std::mt19937 random(seed);
    test::SnapshotScene scene;
    // Large enough that a kill can land inside a copy, not only between two.
    for (const std::string& name : kFiles) {
        std::string content(std::uniform_int_distribution<int>(100000, 400000)(random), '\0');
        std::generate(content.begin(), content.end(), [&] { return static_cast<char>(random()); });
        test::WriteFile(scene.save / name, content);
    }

    // How long a check takes when nothing kills it: the middle of a few tries, since a busy
    // machine makes some of them much longer.
    std::vector<std::chrono::microseconds> takes;
    for (int i = 0; i < 9; ++i) {
        const auto start = std::chrono::steady_clock::now();
        if (Wait(StartRound(scene, i + 1)) != 0) {
            std::fprintf(stderr, "an undisturbed round took no snapshot\n");
            return 2;
        }
        takes.push_back(std::chrono::duration_cast<std::chrono::microseconds>(
            std::chrono::steady_clock::now() - start));
        fs::remove_all(scene.history / "Hero-06-12-2026-15-04-09");
    }
    std::sort(takes.begin(), takes.end());
    const long latest = static_cast<long>(takes[4].count()) * 5 / 4;

    int killed = 0;
    int partial = 0;
    for (int round = 0; round < rounds; ++round) {
        const pid_t child = StartRound(scene, 100 + round);
        ::usleep(static_cast<useconds_t>(std::uniform_int_distribution<long>(0, latest)(random)));
        ::kill(child, SIGKILL);
        killed += WIFSIGNALED(Wait(child)) ? 1 : 0;
        for (const std::string& name : test::Entries(scene.history)) {
            // What File > Load would offer: every folder whose name is not hidden.
            if (name.front() != '.' && !Whole(scene.history / name, scene.save)) {
                std::fprintf(stderr, "round %d: partial %s\n", round, name.c_str());
                ++partial;
            }
            if (name.front() != '.') {
                fs::remove_all(scene.history / name);
            }
        }
    }
    // What the last kill left is for the next start-up to clear.
    Wait(StartRound(scene, 100 + rounds));
    const Names left = test::Entries(scene.history);
    const long hidden = std::count_if(left.begin(), left.end(),
                                      [](const std::string& name) { return name.front() == '.'; });
    std::printf(
        "seed %u, %d rounds, killed at 0 to %ld us: %d before the end; %d partial "
        "folders; %ld hidden ones left after the next start-up\n",
        seed, rounds, latest, killed, partial, hidden);
    return partial == 0 && hidden == 0 ? 0 : 1;
}
