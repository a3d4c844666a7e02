// How much a check and a snapshot cost next to the least the machine must do for them:
// listing the save folder and reading every stamp, and copying a character's files with cp -p.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <string>

#include "snapshot/snapshot_cycle.h"
#include "support/fakes.h"
#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using namespace quorrel;

// A save folder of `count` files: characters with their d2s, key and map files.
void FillSaveFolder(const fs::path& folder, int count)
{
    const char* endings[] = {".d2s", ".key", ".map"};
    for (int i = 0; i < count; ++i) {
        test::WriteFile(folder / ("Hero" + std::to_string(i / 3) + endings[i % 3]), "save");
    }
}

// A snapshot cycle over a save folder in a temporary folder, checking at every tick, with the
// save folder already seen once.
struct Cycle {
    explicit Cycle(const std::function<void(const fs::path&)>& fillSaveFolder)
    {
        fillSaveFolder(save);
        settings.SaveGameDir = save.string();
        settings.SnapshotDir = root.folder("history").string();
        settings.RefreshTime = "1";
        cycle.SetCheckPeriod();
        cycle.RecordSaveFolder();
    }

    bool logged() const { return fs::exists(root.path() / "Log.txt"); }

    test::TempFolder root;
    fs::path save = root.folder("save");
    Settings settings;
    test::ManualTimer timer;
    test::FakeClock clock;
    test::CountingBeeper beeper;
    SnapshotCycle cycle{
        settings,
        timer,
        {clock, beeper, platform::SystemFiles(), (root.path() / "Log.txt").string()}};
};

// Three save files of a few kB, as the game writes them.
void WriteHero(const fs::path& folder)
{
    for (const char* name : {"Hero.d2s", "Hero.key", "Hero.map"}) {
        test::WriteFile(folder / name, std::string(8000, 'x'));
    }
}

void BM_CheckWithoutChange(benchmark::State& state)
{
    Cycle run(
        [&](const fs::path& save) { FillSaveFolder(save, static_cast<int>(state.range(0))); });
    for (auto _ : state) {
        run.cycle.Timer1_Timer();
    }
    if (run.beeper.beeps != 0 || run.logged()) {
        state.SkipWithError("the check was not a quiet one");
    }
}

void BM_PlainListingLoop(benchmark::State& state)
{
    test::TempFolder root;
    const fs::path save = root.folder("save");
    FillSaveFolder(save, static_cast<int>(state.range(0)));

    for (auto _ : state) {
        std::size_t files = 0;
        for (const fs::directory_entry& entry : fs::directory_iterator(save)) {
            benchmark::DoNotOptimize(fs::last_write_time(entry.path()));
            ++files;
        }
        benchmark::DoNotOptimize(files);
    }
}

void BM_SnapshotOfOneCharacter(benchmark::State& state)
{
    Cycle run(WriteHero);
    int taken = 0;
    for (auto _ : state) {
        state.PauseTiming();
        test::Touch(run.save / "Hero.d2s", 1);
        // A new second for every snapshot, so that each gets a folder of its own.
        platform::LocalDateTime& moment = run.clock.moment;
        moment.second = (moment.second + 1) % 60;
        moment.minute = (moment.minute + (moment.second == 0 ? 1 : 0)) % 60;
        moment.hour += moment.second == 0 && moment.minute == 0 ? 1 : 0;
        state.ResumeTiming();
        run.cycle.Timer1_Timer();
        ++taken;
    }
    if (run.beeper.beeps != taken) {
        state.SkipWithError("a snapshot failed");
    }
}

void BM_CopyWithCp(benchmark::State& state)
{
    test::TempFolder root;
    const fs::path save = root.folder("save");
    WriteHero(save);
    int folder = 0;
    for (auto _ : state) {
        const fs::path target = root.path() / ("copy" + std::to_string(folder++));
        fs::create_directory(target);
        const std::string command =
            "cp -p '" + save.string() + "'/Hero.* '" + target.string() + "'";
        if (std::system(command.c_str()) != 0) {
            state.SkipWithError("cp failed");
        }
    }
}

BENCHMARK(BM_CheckWithoutChange)->Arg(10)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PlainListingLoop)->Arg(10)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SnapshotOfOneCharacter)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CopyWithCp)->Unit(benchmark::kMicrosecond);

// Keeps each run's time so that the ratios can be printed at the end.
class RatioReporter final : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> times;

    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            times[run.benchmark_name()] = run.GetAdjustedRealTime();
        }
        ConsoleReporter::ReportRuns(runs);
    }
};

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    std::printf("\nRatios (Quorrel / baseline, lower is better):\n");
    for (const char* files : {"10", "1000", "10000"}) {
        const auto check = reporter.times.find(std::string("BM_CheckWithoutChange/") + files);
        const auto plain = reporter.times.find(std::string("BM_PlainListingLoop/") + files);
        if (check != reporter.times.end() && plain != reporter.times.end()) {
            std::printf("  check of %5s files vs plain listing loop: %.2f\n", files,
                        check->second / plain->second);
        }
    }
    const auto snapshot = reporter.times.find("BM_SnapshotOfOneCharacter");
    const auto cp = reporter.times.find("BM_CopyWithCp");
    if (snapshot != reporter.times.end() && cp != reporter.times.end()) {
        std::printf("  snapshot of 3 files vs cp -p:                %.2f\n",
                    snapshot->second / cp->second);
    }
    benchmark::Shutdown();
    return 0;
}
