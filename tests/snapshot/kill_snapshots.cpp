// quorrel_kill_snapshots <rounds> [seed]: each round, a child starts up, lets the game save and
// runs one check, and is killed at a random moment up to a little after an undisturbed check ends.
// Exits 1 when a folder that File > Load would offer is partial, or a hidden one outlives the next
// start-up.
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
#include "support/save_bytes.h"
#include "support/snapshot_scene.h"

namespace {

namespace fs = std::filesystem;
using namespace quorrel;
using namespace quorrel::test;

const std::vector<std::string> kFiles{"Hero.d2s", "Hero.key", "Hero.map"};

// Runs a round in a child, killed `kill` microseconds after it began unless negative; its status.
int Round(SnapshotScene& scene, int round, long kill = -1)
{
    const pid_t child = ::fork();
    if (child == 0) {
        RemoveUnfinishedSnapshots(scene.history.string());
        scene.Start();
        for (const std::string& name : kFiles) {
            SetModified(scene.save / name, kSomeSecond + round, 0);
        }
        scene.cycle.Timer1_Timer();
        std::_Exit(scene.beeper.beeps == 1 ? 0 : 3);
    }
    if (kill >= 0) {
        ::usleep(static_cast<useconds_t>(kill));
        ::kill(child, SIGKILL);
    }
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
    SnapshotScene scene;
    // Large enough that a kill can land inside a copy, not only between two.
    for (const std::string& name : kFiles) {
        WriteFile(scene.save / name,
                  SaveBytes(std::uniform_int_distribution<std::size_t>(100000, 400000)(random), 96,
                            static_cast<unsigned>(random())));
    }
    // How long an undisturbed check takes: the middle of nine, as a busy machine makes some long.
    std::vector<long> takes;
    for (int round = 1; round <= 9; ++round) {
        const auto start = std::chrono::steady_clock::now();
        if (Round(scene, round) != 0) {
            std::fprintf(stderr, "an undisturbed round took no snapshot\n");
            return 2;
        }
        takes.push_back((std::chrono::steady_clock::now() - start) / std::chrono::microseconds(1));
        fs::remove_all(scene.history / "Hero-06-12-2026-15-04-09");
    }
    std::sort(takes.begin(), takes.end());
    std::uniform_int_distribution<long> delay(0, takes[4] * 5 / 4);

    int partial = 0;
    for (int round = 10; round < 10 + rounds; ++round) {
        Round(scene, round, delay(random));
        for (const std::string& name : Entries(scene.history)) {
            if (name.front() != '.') {  // hidden ones are never offered
                const fs::path folder = scene.history / name;
                partial += Entries(folder) != kFiles ||
                           std::any_of(kFiles.begin(), kFiles.end(), [&](const std::string& file) {
                               return ReadFile(folder / file) != ReadFile(scene.save / file);
                           });
                fs::remove_all(folder);
            }
        }
    }
    Round(scene, 10 + rounds);  // what the last kill left is for it to clear
    const long hidden = std::ranges::count_if(
        Entries(scene.history), [](const std::string& name) { return name.front() == '.'; });
    std::printf(
        "seed %u, %d rounds, kills at 0 to %ld us: %d partial folders, %ld hidden ones "
        "left after the next start-up\n",
        seed, rounds, delay.max(), partial, hidden);
    return partial == 0 && hidden == 0 ? 0 : 1;
}
