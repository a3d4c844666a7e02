// What the character summaries cost the Load dialog, in the same process: opening the dialog on
// 5,000 snapshot folders that hold saves against opening it on 5,000 folders with nothing to
// summarise, the list box with and without its tip source, and one summary against reading the
// same header bytes by hand. Runs on Qt's offscreen platform.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <QApplication>
#include <QListWidget>
#include <array>
#include <filesystem>
#include <string>

#include "paired_runs.h"
#include "platform/clock.h"
#include "platform/file_ops.h"
#include "platform/qt/dialogs.h"
#include "platform/qt/dir_list_box.h"
#include "restore/frm_load.h"
#include "restore/snapshot_tip.h"
#include "snapshot/character_summary.h"
#include "support/save_header.h"
#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using namespace quorrel;

constexpr int kSnapshots = 5000;

// Never shows a box: a benchmark has nobody to answer it.
class NoDialogs final : public platform::Dialogs {
public:
    void MsgBox(QWidget*, const QString&, platform::MsgBoxIcon, const QString&) override {}
    QString InputBox(QWidget*, const QString&, const QString&) override { return {}; }
    bool AskYesNo(QWidget*, const QString&, const QString&) override { return false; }
};

// A history of 5,000 snapshot folders of one character, each with its three files of a few kB,
// or, for the baseline, the same folders empty.
fs::path History(bool withSaves)
{
    static test::TempFolder scratch;
    const fs::path history = scratch.folder(withSaves ? "with-saves" : "empty");
    test::SaveHeader header;
    header.savedAt = 1796569449;
    const std::string d2s = header.bytes() + std::string(7000, 'd');
    for (int i = 0; i < kSnapshots; ++i) {
        const fs::path folder = history / ("Hero-06-12-2026-15-" + std::to_string(10000 + i));
        fs::create_directory(folder);
        if (withSaves) {
            test::WriteFile(folder / "Hero.d2s", d2s);
            test::WriteFile(folder / "Hero.key", std::string(8000, 'k'));
            test::WriteFile(folder / "Hero.map", std::string(8000, 'm'));
        }
    }
    ::sync();
    return history;
}

const fs::path& WithSaves()
{
    static const fs::path history = History(true);
    return history;
}
const fs::path& Empty()
{
    static const fs::path history = History(false);
    return history;
}

// Opens the Load dialog on a history, lets it draw, and closes it.
void OpenLoadDialog(const fs::path& history)
{
    static platform::SystemClock clock;
    static NoDialogs dialogs;
    const Settings settings{"/nonexistent", history.string(), "60"};
    frmLoad dialog(settings, clock, platform::SystemFiles(), dialogs, nullptr);
    dialog.show();
    QApplication::processEvents();
    benchmark::DoNotOptimize(dialog.Dir1().list().count());
}

// Lists a history in a directory list box, with the Load dialog's tip source or without.
void ListHistory(const fs::path& history, bool withTips)
{
    platform::DirListBox box;
    if (withTips) {
        box.setTipSource(&SnapshotTip);
    }
    box.setPath(QString::fromStdString(history.string()));
    benchmark::DoNotOptimize(box.list().count());
}

void BM_OpenLoadDialog(benchmark::State& state)
{
    WithSaves();
    Empty();
    bench::Pair pair(state);
    for (auto _ : state) {
        pair.Ours([] { OpenLoadDialog(WithSaves()); });
        pair.Baseline([] { OpenLoadDialog(Empty()); });
    }
}

void BM_ListWithTipSource(benchmark::State& state)
{
    bench::Pair pair(state);
    for (auto _ : state) {
        pair.Ours([] { ListHistory(WithSaves(), true); });
        pair.Baseline([] { ListHistory(WithSaves(), false); });
    }
}

// The first bytes of a file read by hand: the least that any summary must do.
void ReadHeaderByHand(const fs::path& file)
{
    std::array<char, kSummaryBytes> buffer{};
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    benchmark::DoNotOptimize(::read(fd, buffer.data(), buffer.size()));
    ::close(fd);
}

void BM_OneSummary(benchmark::State& state)
{
    const fs::path folder = WithSaves() / "Hero-06-12-2026-15-12345";
    const QString folderText = QString::fromStdString(folder.string());
    if (SnapshotTip(folderText).count('\n') != 1) {
        state.SkipWithError("the snapshot gave no summary");
        return;
    }
    bench::Pair pair(state);
    for (auto _ : state) {
        pair.Ours([&] { benchmark::DoNotOptimize(SnapshotTip(folderText)); });
        pair.Baseline([&] { ReadHeaderByHand(folder / "Hero.d2s"); });
    }
}

BENCHMARK(BM_OpenLoadDialog)->Iterations(31)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ListWithTipSource)->Iterations(31)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OneSummary)->UseManualTime()->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    std::printf("\nRatios (Quorrel / baseline, medians of paired runs, lower is better):\n");
    reporter.PrintRatio("Load dialog on 5,000 snapshots vs nothing to summarise",
                        "BM_OpenLoadDialog/iterations:31/manual_time", 1.05);
    reporter.PrintRatio("listing 5,000 snapshots with the tip source vs without",
                        "BM_ListWithTipSource/iterations:31/manual_time", 1.05);
    reporter.PrintRatio("one summary vs reading its header by hand", "BM_OneSummary/manual_time",
                        10.0);
    benchmark::Shutdown();
    return 0;
}
