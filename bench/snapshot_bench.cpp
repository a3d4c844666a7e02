// How much a check and a snapshot cost next to the least the machine must do for them, in the
// same process: listing the save folder with readdir and fstatat on its descriptor, and copying
// a character's files durably with open, read, write, futimens and fsync.

#include <benchmark/benchmark.h>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "snapshot/snapshot_cycle.h"
#include "support/fakes.h"
#include "support/file_times.h"
#include "support/save_bytes.h"
#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using namespace quorrel;

const char* const kEndings[] = {".d2s", ".key", ".map"};

std::string CharacterName(int character)
{
    return "Hero" + std::to_string(character);
}

// A save folder of `count` files: characters with their d2s, key and map files.
void FillSaveFolder(const fs::path& folder, int count, const std::string& d2s,
                    const std::string& other)
{
    for (int i = 0; i < count; ++i) {
        test::WriteFile(folder / (CharacterName(i / 3) + kEndings[i % 3]),
                        i % 3 == 0 ? d2s : other);
    }
}

// A snapshot cycle over a save folder in a temporary folder, checking at every tick, with the
// save folder already seen once.
struct Cycle {
    explicit Cycle(const std::function<void(const fs::path&)>& fillSaveFolder)
    {
        fillSaveFolder(save);
        settings.SaveGameDir = save.string();
        settings.SnapshotDir = history.string();
        settings.RefreshTime = "1";
        cycle.SetCheckPeriod();
        cycle.RecordSaveFolder();
    }

    bool logged() const { return fs::exists(root.path() / "Log.txt"); }

    // A new second for every check, so that each snapshot gets a folder of its own.
    void NextSecond()
    {
        platform::LocalDateTime& moment = clock.moment;
        moment.second = (moment.second + 1) % 60;
        moment.minute = (moment.minute + (moment.second == 0 ? 1 : 0)) % 60;
        moment.hour += moment.second == 0 && moment.minute == 0 ? 1 : 0;
    }

    test::TempFolder root;
    fs::path save = root.folder("save");
    fs::path history = root.folder("history");
    Settings settings;
    test::ManualTimer timer;
    test::FakeClock clock;
    test::CountingBeeper beeper;
    SnapshotCycle cycle{
        settings,
        timer,
        {clock, beeper, platform::SystemFiles(), (root.path() / "Log.txt").string()}};
};

// The least a durable copy of one file must do.
bool CopyDurably(const fs::path& source, const fs::path& target)
{
    const int in = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat status {};
    if (in < 0 || ::fstat(in, &status) != 0) {
        return false;
    }
    const int out = ::open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    std::array<char, 64 * 1024> buffer;
    ssize_t count = 0;
    bool done = out >= 0;
    while (done && (count = ::read(in, buffer.data(), buffer.size())) > 0) {
        done = ::write(out, buffer.data(), static_cast<std::size_t>(count)) == count;
    }
    const timespec times[2] = {status.st_atim, status.st_mtim};
    done = done && count == 0 && ::futimens(out, times) == 0 && ::fsync(out) == 0;
    ::close(in);
    return ::close(out) == 0 && done;
}

bool SyncFolder(const fs::path& folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const bool done = fd >= 0 && ::fsync(fd) == 0;
    ::close(fd);
    return done;
}

// A snapshot done by hand: the folder made, the files copied and flushed, then the new folder
// and the one that holds it flushed, since without that a power cut can lose the folder.
bool SnapshotByHand(const fs::path& save, const std::string& character, const fs::path& target)
{
    bool done = ::mkdir(target.c_str(), 0755) == 0;
    for (const char* ending : kEndings) {
        done = done && CopyDurably(save / (character + ending), target / (character + ending));
    }
    return done && SyncFolder(target) && SyncFolder(target.parent_path());
}

void BM_CheckWithoutChange(benchmark::State& state)
{
    Cycle run([&](const fs::path& save) {
        FillSaveFolder(save, static_cast<int>(state.range(0)), "save", "save");
    });
    for (auto _ : state) {
        run.cycle.Timer1_Timer();
    }
    if (run.beeper.beeps != 0 || run.logged()) {
        state.SkipWithError("the check was not a quiet one");
    }
}

void BM_ReaddirFstatat(benchmark::State& state)
{
    test::TempFolder root;
    const fs::path save = root.folder("save");
    FillSaveFolder(save, static_cast<int>(state.range(0)), "save", "save");

    for (auto _ : state) {
        DIR* folder = ::opendir(save.c_str());
        const int fd = ::dirfd(folder);
        std::size_t files = 0;
        while (const dirent* entry = ::readdir(folder)) {
            struct stat status {};
            if (entry->d_name[0] != '.' &&
                ::fstatat(fd, entry->d_name, &status, AT_SYMLINK_NOFOLLOW) == 0) {
                benchmark::DoNotOptimize(status.st_mtim);
                ++files;
            }
        }
        ::closedir(folder);
        benchmark::DoNotOptimize(files);
    }
}

// Three save files of a few kB, as the game writes them.
void WriteHero(const fs::path& folder)
{
    test::WriteFile(folder / "Hero.d2s", test::SaveBytes(8000));
    test::WriteFile(folder / "Hero.key", std::string(8000, 'k'));
    test::WriteFile(folder / "Hero.map", std::string(8000, 'm'));
}

void BM_SnapshotOfOneCharacter(benchmark::State& state)
{
    Cycle run(WriteHero);
    std::int64_t second = test::kSomeSecond;
    int taken = 0;
    for (auto _ : state) {
        state.PauseTiming();
        test::SetModified(run.save / "Hero.d2s", ++second, 0);
        run.NextSecond();
        state.ResumeTiming();
        run.cycle.Timer1_Timer();
        ++taken;
    }
    if (run.beeper.beeps != taken || run.logged()) {
        state.SkipWithError("a snapshot failed");
    }
}

void BM_SnapshotByHand(benchmark::State& state)
{
    test::TempFolder root;
    const fs::path save = root.folder("save");
    const fs::path history = root.folder("history");
    WriteHero(save);
    std::int64_t second = test::kSomeSecond;
    int folder = 0;
    for (auto _ : state) {
        // The same pause as the snapshot's, in which the disk may catch up.
        state.PauseTiming();
        test::SetModified(save / "Hero.d2s", ++second, 0);
        state.ResumeTiming();
        if (!SnapshotByHand(save, "Hero", history / ("Hero-" + std::to_string(folder++)))) {
            state.SkipWithError("the copy failed");
        }
    }
}

// 1,000 characters changed among 100,000 files: every 33rd of 33,334 characters.
constexpr int kManyFiles = 100000;
constexpr int kChangedCharacters = 1000;
constexpr int kEveryNth = kManyFiles / 3 / kChangedCharacters;

void FillLargeSaveFolder(const fs::path& save)
{
    FillSaveFolder(save, kManyFiles, test::SaveBytes(2000), std::string(500, 'k'));
}

void BM_ThousandChangedAmongHundredThousand(benchmark::State& state)
{
    Cycle run(FillLargeSaveFolder);
    std::int64_t second = test::kSomeSecond;
    for (auto _ : state) {
        state.PauseTiming();
        ++second;
        for (int i = 0; i < kChangedCharacters; ++i) {
            test::SetModified(run.save / (CharacterName(i * kEveryNth) + ".d2s"), second, 0);
        }
        run.NextSecond();
        state.ResumeTiming();
        run.cycle.Timer1_Timer();
    }
    std::size_t folders = 0;
    for (const auto& entry : fs::directory_iterator(run.history)) {
        folders +=
            std::distance(fs::directory_iterator(entry.path()), fs::directory_iterator()) == 3;
    }
    if (folders != static_cast<std::size_t>(kChangedCharacters * state.iterations()) ||
        run.logged()) {
        state.SkipWithError("not every changed character got a whole snapshot");
    }
}

void BM_ThousandSnapshotsByHand(benchmark::State& state)
{
    test::TempFolder root;
    const fs::path save = root.folder("save");
    const fs::path history = root.folder("history");
    FillLargeSaveFolder(save);
    std::int64_t second = test::kSomeSecond;
    int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        ++second;
        for (int i = 0; i < kChangedCharacters; ++i) {
            test::SetModified(save / (CharacterName(i * kEveryNth) + ".d2s"), second, 0);
        }
        state.ResumeTiming();
        ++round;
        for (int i = 0; i < kChangedCharacters; ++i) {
            const std::string character = CharacterName(i * kEveryNth);
            if (!SnapshotByHand(save, character,
                                history / (character + "-" + std::to_string(round)))) {
                state.SkipWithError("the copy failed");
            }
        }
    }
}

BENCHMARK(BM_CheckWithoutChange)->Arg(10)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ReaddirFstatat)->Arg(10)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SnapshotOfOneCharacter)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SnapshotByHand)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ThousandChangedAmongHundredThousand)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ThousandSnapshotsByHand)->Iterations(3)->Unit(benchmark::kMillisecond);

// Keeps each benchmark's time so that the ratios can be printed at the end: the median of the
// repetitions when there are several, since other work on the machine slows single runs.
class RatioReporter final : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> times;

    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            const std::string name = run.run_name.str();
            if (run.run_type == Run::RT_Aggregate ? run.aggregate_name == "median"
                                                  : times.count(name) == 0) {
                times[name] = run.GetAdjustedRealTime();
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void PrintRatio(const char* what, const std::string& ours, const std::string& baseline,
                    double goal) const
    {
        const auto a = times.find(ours);
        const auto b = times.find(baseline);
        if (a != times.end() && b != times.end()) {
            std::printf("  %-52s %5.2f (goal %.1f)\n", what, a->second / b->second, goal);
        }
    }
};

}  // namespace

int main(int argc, char** argv)
{
    // Five runs of each, interleaved, unless the command line says otherwise.
    std::vector<char*> arguments(argv, argv + argc);
    std::string repetitions = "--benchmark_repetitions=5";
    std::string interleaving = "--benchmark_enable_random_interleaving=true";
    std::string aggregates = "--benchmark_report_aggregates_only=true";
    if (argc == 1) {
        arguments.insert(arguments.end(),
                         {repetitions.data(), interleaving.data(), aggregates.data()});
    }
    argc = static_cast<int>(arguments.size());
    argv = arguments.data();
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    std::printf("\nRatios (Quorrel / baseline, lower is better):\n");
    for (const char* files : {"10", "1000", "10000"}) {
        reporter.PrintRatio(
            (std::string("check of ") + files + " files vs readdir + fstatat").c_str(),
            std::string("BM_CheckWithoutChange/") + files,
            std::string("BM_ReaddirFstatat/") + files, 1.2);
    }
    reporter.PrintRatio("snapshot of 3 files vs the same copy by hand", "BM_SnapshotOfOneCharacter",
                        "BM_SnapshotByHand", 1.3);
    reporter.PrintRatio("check with 1,000 changed of 100,000 files vs by hand",
                        "BM_ThousandChangedAmongHundredThousand/iterations:3",
                        "BM_ThousandSnapshotsByHand/iterations:3", 2.0);
    benchmark::Shutdown();
    return 0;
}
