// Kills the snapshot cycle with SIGKILL at random moments while it takes a snapshot:
//   quorrel_kill_snapshots <rounds> [seed]
// Each round forks a child that starts up as the program does (the sweep, the save folder
// recorded), lets the game save and runs one check. The parent kills it at a random moment up to
// a little later than an undisturbed check ends, then looks at every folder that File > Load
// would offer. Exits 1 when one is partial, or when a hidden folder outlives the next start-up.
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

// Runs a round in a child, and returns once its check has begun.
pid_t StartRound(test::SnapshotScene& scene, int round)
{
    int ready[2];
    if (::pipe(ready) != 0) {
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

}  // namespace

int main(int argc, char** argv)
{
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 100;
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
    // How long an undisturbed check takes: the middle of nine, as a busy machine makes some long.
    std::vector<long> takes;
    for (int round = 1; round <= 9; ++round) {
        const auto start = std::chrono::steady_clock::now();
        if (Wait(StartRound(scene, round)) != 0) {
            std::fprintf(stderr, "an undisturbed round took no snapshot\n");
            return 2;
        }
        takes.push_back(static_cast<long>((std::chrono::steady_clock::now() - start) /
                                          std::chrono::microseconds(1)));
        fs::remove_all(scene.history / "Hero-06-12-2026-15-04-09");
    }
    std::sort(takes.begin(), takes.end());
    std::uniform_int_distribution<long> delay(0, takes[4] * 5 / 4);

    int partial = 0;
    for (int round = 10; round < 10 + rounds; ++round) {
        const pid_t child = StartRound(scene, round);
        ::usleep(static_cast<useconds_t>(delay(random)));
        ::kill(child, SIGKILL);
        Wait(child);
        for (const std::string& name : test::Entries(scene.history)) {
            const fs::path folder = scene.history / name;
            if (name.front() == '.') {
                continue;  // hidden: never offered
            }
            partial +=
                test::Entries(folder) != kFiles ||
                std::any_of(kFiles.begin(), kFiles.end(), [&](const std::string& file) {
                    return test::ReadFile(folder / file) != test::ReadFile(scene.save / file);
                });
            fs::remove_all(folder);
        }
    }
    Wait(StartRound(scene, 10 + rounds));  // what the last kill left is for it to clear
    const Names left = test::Entries(scene.history);
    const long hidden = std::count_if(left.begin(), left.end(),
                                      [](const std::string& name) { return name.front() == '.'; });
    std::printf(
        "seed %u, %d rounds, kills at 0 to %ld us: %d partial folders, %ld hidden ones "
        "left after the next start-up\n",
        seed, rounds, delay.max(), partial, hidden);
    return partial == 0 && hidden == 0 ? 0 : 1;
}
