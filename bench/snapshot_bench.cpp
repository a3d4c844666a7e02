// How much a check and a snapshot cost next to the least the machine must do for them, in the
// same process: listing the save folder with readdir and fstatat on its descriptor, and copying
// a character's files durably with open, read, write, futimens and fsync.
//
// Each measurement and its baseline work on the very same save folder. No folder is removed
// before the end of the run: ext4 avoids reusing inodes freed moments before, which makes
// creating files slow for a while after many were removed, and would weigh on whichever
// measurement came next.

#include <benchmark/benchmark.h>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "paired_runs.h"
#include "snapshot/history_index.h"
#include "snapshot/snapshot_folder.h"
#include "snapshot/thin_history.h"
#include "support/file_times.h"
#include "support/save_bytes.h"
#include "support/snapshot_scene.h"

namespace {

namespace fs = std::filesystem;
using namespace quorrel;

const char* const kEndings[] = {".d2s", ".key", ".map"};

std::string CharacterName(int character)
{
    return "Hero" + std::to_string(character);
}

// A new, empty folder that lives until the end of the run.
fs::path NewFolder(const std::string& name)
{
    static test::TempFolder scratch;
    static int folders = 0;
    return scratch.folder(name + "-" + std::to_string(++folders));
}

// A save folder of `count` files: characters with their d2s, key and map files, on disk before
// any measurement starts.
fs::path SaveFolder(int count, const std::string& d2s, const std::string& other)
{
    const fs::path folder = NewFolder("save");
    for (int i = 0; i < count; ++i) {
        test::WriteFile(folder / (CharacterName(i / 3) + kEndings[i % 3]),
                        i % 3 == 0 ? d2s : other);
    }
    ::sync();
    return folder;
}

// The save folder of `count` small files, made once.
const fs::path& SmallFilesFolder(int count)
{
    static std::map<int, fs::path> folders;
    const auto made = folders.find(count);
    return made != folders.end()
               ? made->second
               : folders.emplace(count, SaveFolder(count, "save", "save")).first->second;
}

// One character's three files of a few kB, as the game writes them.
const fs::path& HeroFolder()
{
    static const fs::path folder = [] {
        const fs::path save = NewFolder("hero");
        test::WriteFile(save / "Hero.d2s", test::SaveBytes(8000));
        test::WriteFile(save / "Hero.key", std::string(8000, 'k'));
        test::WriteFile(save / "Hero.map", std::string(8000, 'm'));
        ::sync();
        return save;
    }();
    return folder;
}

// 100,000 files, of which 1,000 characters change: every 33rd of 33,334.
constexpr int kManyFiles = 100000;
constexpr int kChangedCharacters = 1000;
constexpr int kEveryNth = kManyFiles / 3 / kChangedCharacters;

const fs::path& LargeFolder()
{
    static const fs::path folder =
        SaveFolder(kManyFiles, test::SaveBytes(2000), std::string(500, 'k'));
    return folder;
}

// Gives the changed characters' save files a new stamp, as the game saving them would.
void SaveThousandCharacters(const fs::path& save, std::int64_t second)
{
    for (int i = 0; i < kChangedCharacters; ++i) {
        test::SetModified(save / (CharacterName(i * kEveryNth) + ".d2s"), second, 0);
    }
}

// A snapshot cycle over a save folder, checking at every tick, with the folder already seen once
// and a history of its own; kept, as every folder, until the end of the run.
test::SnapshotScene& Scene(const fs::path& saveFolder)
{
    static std::deque<test::SnapshotScene> scenes;
    test::SnapshotScene& scene = scenes.emplace_back();
    scene.settings.SaveGameDir = saveFolder.string();
    scene.Start();
    return scene;
}

bool Logged(const test::SnapshotScene& scene)
{
    return fs::exists(scene.log);
}

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

// Every measurement starts with the disk at rest: what the one before wrote is flushed first,
// rather than while this one runs.
void QuietDisk()
{
    ::sync();
}

// readdir, and fstatat on the folder's descriptor for every entry but the hidden ones.
void ListByHand(const fs::path& save)
{
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

std::int64_t NextStampSecond()
{
    static std::int64_t second = test::kSomeSecond;
    return ++second;
}

// A check of an unchanged folder against listing it by hand.
void BM_Check(benchmark::State& state)
{
    const fs::path& save = SmallFilesFolder(static_cast<int>(state.range(0)));
    test::SnapshotScene& run = Scene(save);
    QuietDisk();
    {
        bench::Pair pair(state);
        for (auto _ : state) {
            pair.Ours([&] { run.cycle.Timer1_Timer(); });
            pair.Baseline([&] { ListByHand(save); });
        }
    }
    if (run.beeper.beeps != 0 || Logged(run)) {
        state.SkipWithError("the check was not a quiet one");
    }
}

// Quiet checks of two scenes, `ours` against `baseline`, turn about which goes first, so that
// neither always finds the folder as the other left it in the caches.
void QuietChecksTurnAbout(benchmark::State& state, test::SnapshotScene& ours,
                          test::SnapshotScene& baseline)
{
    QuietDisk();
    {
        bench::Pair pair(state);
        bool oursFirst = true;
        for (auto _ : state) {
            if (oursFirst) {
                pair.Ours([&] { ours.cycle.Timer1_Timer(); });
            }
            pair.Baseline([&] { baseline.cycle.Timer1_Timer(); });
            if (!oursFirst) {
                pair.Ours([&] { ours.cycle.Timer1_Timer(); });
            }
            oursFirst = !oursFirst;
        }
    }
    if (ours.beeper.beeps + baseline.beeper.beeps != 0 || Logged(ours) || Logged(baseline)) {
        state.SkipWithError("a check was not a quiet one");
    }
}

// A check of an unchanged folder with 10,000 snapshots in the history against the same check
// with none: a check never looks at the history, so its cost does not grow with it.
constexpr int kHistorySnapshots = 10000;

void BM_CheckWithLongHistory(benchmark::State& state)
{
    const fs::path& save = SmallFilesFolder(static_cast<int>(state.range(0)));
    test::SnapshotScene& none = Scene(save);
    test::SnapshotScene& many = Scene(save);
    for (int i = 0; i < kHistorySnapshots; ++i) {
        fs::create_directory(many.history / (CharacterName(i) + "-06-12-2026-15-04-09"));
    }
    QuietChecksTurnAbout(state, many, none);
}

// A check that snapshots one changed character against the same copy by hand.
void BM_Snapshot(benchmark::State& state)
{
    test::SnapshotScene& run = Scene(HeroFolder());
    const fs::path history = NewFolder("history");
    int folder = 0;
    QuietDisk();
    {
        bench::Pair pair(state);
        for (auto _ : state) {
            state.PauseTiming();
            test::SetModified(HeroFolder() / "Hero.d2s", NextStampSecond(), 0);
            run.Later(1);
            state.ResumeTiming();
            pair.Ours([&] { run.cycle.Timer1_Timer(); });
            pair.Baseline([&] {
                SnapshotByHand(HeroFolder(), "Hero",
                               history / ("Hero-" + std::to_string(folder++)));
            });
        }
    }
    if (run.beeper.beeps != static_cast<int>(state.iterations()) || Logged(run)) {
        state.SkipWithError("a snapshot failed");
    }
}

// A check with 1,000 changed characters among 100,000 files against the same 3,000 copies by
// hand.
void BM_ThousandChanged(benchmark::State& state)
{
    test::SnapshotScene& run = Scene(LargeFolder());
    const fs::path history = NewFolder("history");
    int round = 0;
    QuietDisk();
    {
        bench::Pair pair(state);
        for (auto _ : state) {
            state.PauseTiming();
            SaveThousandCharacters(LargeFolder(), NextStampSecond());
            run.Later(1);
            state.ResumeTiming();
            pair.Ours([&] { run.cycle.Timer1_Timer(); });
            ++round;
            pair.Baseline([&] {
                for (int i = 0; i < kChangedCharacters; ++i) {
                    const std::string character = CharacterName(i * kEveryNth);
                    SnapshotByHand(LargeFolder(), character,
                                   history / (character + "-" + std::to_string(round)));
                }
            });
        }
    }
    std::size_t folders = 0;
    for (const auto& entry : fs::directory_iterator(run.history)) {
        folders +=
            std::distance(fs::directory_iterator(entry.path()), fs::directory_iterator()) == 3;
    }
    if (folders != static_cast<std::size_t>(kChangedCharacters * state.iterations()) ||
        Logged(run)) {
        state.SkipWithError("not every changed character got a whole snapshot");
    }
}

// A history already thinned, as thinning finds it after each snapshot: 125 characters with 400
// snapshots each, one for each span that thinning keeps (every hour of the last week, then every
// day to 90 days, then every week for three years), 50,000 folders in all.
constexpr int kThinnedCharacters = 125;
constexpr int kSnapshotsEach = 400;
const platform::LocalDateTime kBenchNow{2026, 12, 6, 15, 4, 9};

const fs::path& ThinnedHistory()
{
    static const fs::path history = [] {
        using namespace std::chrono;
        const fs::path folder = NewFolder("thinned");
        const sys_seconds now = sys_days(year(2026) / 12 / 6) + hours(15) + minutes(4) + seconds(9);
        for (int i = 0; i < kSnapshotsEach; ++i) {
            const hours age = i < 168   ? hours(i)
                              : i < 251 ? days(i - 168 + 7)
                                        : weeks(i - 251 + 13);
            const sys_seconds taken = now - age;
            const year_month_day date(floor<days>(taken));
            const hh_mm_ss time(taken - floor<days>(taken));
            const platform::LocalDateTime moment{static_cast<int>(date.year()),
                                                 static_cast<int>(unsigned(date.month())),
                                                 static_cast<int>(unsigned(date.day())),
                                                 static_cast<int>(time.hours().count()),
                                                 static_cast<int>(time.minutes().count()),
                                                 static_cast<int>(time.seconds().count())};
            for (int c = 0; c < kThinnedCharacters; ++c) {
                fs::create_directory(folder / SnapshotFolderName({CharacterName(c), moment}));
            }
        }
        HistoryIndex index;
        index.thinning = true;
        test::WriteFile(folder / kHistoryIndexName, EncodeHistoryIndex(index));
        ::sync();
        return folder;
    }();
    return history;
}

// Thinning out that history (which finds nothing to remove) against listing it by hand.
void BM_Thinning(benchmark::State& state)
{
    const fs::path& history = ThinnedHistory();
    test::FakeClock clock;
    clock.moment = kBenchNow;
    const fs::path log = NewFolder("log") / "Log.txt";
    const ThinningServices services{platform::SystemFiles(), nullptr, clock, log.string()};
    std::size_t thinned = 0;
    QuietDisk();
    {
        bench::Pair pair(state);
        for (auto _ : state) {
            pair.Ours([&] { thinned += ThinHistory(history.string(), "", services); });
            pair.Baseline([&] { ListByHand(history); });
        }
    }
    if (thinned != 0 || fs::exists(log)) {
        state.SkipWithError("the thinned history was thinned again");
    }
}

// A quiet check with thinning on against the same check with thinning off: a quiet check takes
// no snapshot, so thinning never runs in it, whatever the history holds.
void BM_CheckWithThinningOn(benchmark::State& state)
{
    const fs::path& save = SmallFilesFolder(static_cast<int>(state.range(0)));
    test::SnapshotScene& off = Scene(save);
    test::SnapshotScene& on = Scene(save);
    for (test::SnapshotScene* scene : {&off, &on}) {
        for (int i = 0; i < kHistorySnapshots; ++i) {
            fs::create_directory(scene->history / (CharacterName(i) + "-06-12-2026-15-04-09"));
        }
    }
    HistoryIndex index;
    index.thinning = true;
    test::WriteFile(on.history / kHistoryIndexName, EncodeHistoryIndex(index));
    QuietChecksTurnAbout(state, on, off);
}

BENCHMARK(BM_Check)->Arg(10)->Arg(1000)->Arg(10000)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CheckWithLongHistory)
    ->Arg(1000)
    ->MinTime(2)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Snapshot)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ThousandChanged)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Thinning)->Iterations(10)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CheckWithThinningOn)
    ->Arg(1000)
    ->MinTime(2)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    quorrel::bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    std::printf("\nRatios (Quorrel / baseline, medians of paired runs, lower is better):\n");
    for (const char* files : {"10", "1000", "10000"}) {
        reporter.PrintRatio(
            (std::string("check of ") + files + " files vs readdir + fstatat").c_str(),
            std::string("BM_Check/") + files + "/manual_time", 1.2);
    }
    reporter.PrintRatio("check of 1000 files, 10,000 snapshots vs none",
                        "BM_CheckWithLongHistory/1000/min_time:2.000/manual_time", 1.05);
    reporter.PrintRatio("snapshot of 3 files vs the same copy by hand", "BM_Snapshot/manual_time",
                        1.3);
    reporter.PrintRatio("check with 1,000 changed of 100,000 files vs by hand",
                        "BM_ThousandChanged/iterations:5/manual_time", 2.0);
    reporter.PrintRatio("thinning 50,000 folders (none to remove) vs listing them by hand",
                        "BM_Thinning/iterations:10/manual_time", 1.5);
    reporter.PrintRatio("check of 1000 files with thinning on vs off",
                        "BM_CheckWithThinningOn/1000/min_time:2.000/manual_time", 1.05);
    benchmark::Shutdown();
    return 0;
}
