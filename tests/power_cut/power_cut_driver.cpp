// Drives the engine on a file system that scripts/power-cut.sh then cuts off: each subcommand does
// one step as the program does, so that whatever it reports done must survive the cut.
#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>

#include "restore/recover_restore.h"
#include "restore/restore_folder.h"
#include "settings/settings_file.h"
#include "snapshot/error_log.h"
#include "snapshot/snapshot_cycle.h"
#include "support/fakes.h"

namespace {

namespace fs = std::filesystem;
using namespace quorrel;

// Records the save folder, lets the game save the new files (written as a game writes, without a
// flush), and runs one check, which must take exactly one snapshot. Prints the snapshot's folder.
int Snapshot(char** arguments)
{
    Settings settings{arguments[1], arguments[2], "1"};
    test::ManualTimer timer;
    platform::SystemClock clock;
    test::CountingBeeper beeper;
    SnapshotCycle cycle(settings, timer, {clock, beeper, platform::SystemFiles(), kLogFile});
    cycle.SetCheckPeriod();
    cycle.RecordSaveFolder();
    ::sleep(1);  // a new second, so that the stamps differ however coarse the file system's clock
    fs::copy(arguments[0], arguments[1],
             fs::copy_options::overwrite_existing | fs::copy_options::recursive);
    cycle.Timer1_Timer();
    if (beeper.beeps != 1 || fs::exists(kLogFile)) {
        std::fprintf(stderr, "the check took no snapshot (see %s)\n", kLogFile);
        return 1;
    }
    for (const fs::directory_entry& folder : fs::directory_iterator(settings.SnapshotDir)) {
        std::printf("%s\n", folder.path().c_str());
    }
    return 0;
}

// The power cut: the file system stops at once, and what its journal had not yet written is lost.
int Cut(char** arguments)
{
    constexpr unsigned long kShutdown = _IOR('X', 125, std::uint32_t);  // EXT4_IOC_SHUTDOWN
    std::uint32_t withoutFlushingTheLog = 2;  // EXT4_GOING_FLAGS_NOLOGFLUSH
    const int fd = ::open(arguments[0], O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0 || ::ioctl(fd, kShutdown, &withoutFlushingTheLog) != 0) {
        std::perror("EXT4_IOC_SHUTDOWN");
        return 1;
    }
    ::close(fd);
    return 0;
}

struct Command {
    const char* name;
    const char* arguments;
    int count;
    int (*run)(char** arguments);
};

const Command kCommands[] = {
    {"snapshot", "<new save files> <save folder> <snapshot folder>", 3, Snapshot},
    {"settings", "<Settings.ini> <save folder> <snapshot folder> <refresh time>", 4,
     [](char** arguments) {
         WriteSettingsFile(Settings{arguments[1], arguments[2], arguments[3]}, arguments[0]);
         return 0;
     }},
    {"restore", "<snapshot folder> <save folder>", 2,
     [](char** arguments) {
         RestoreFolder(arguments[0], arguments[1], platform::SystemFiles());
         return 0;
     }},
    // What the program does at its next start: puts a restore that was cut short in order.
    {"recover", "<save folder>", 1,
     [](char** arguments) {
         const char* said[] = {"nothing to do", "rolled back", "rolled forward", "in other hands"};
         const auto how = RecoverRestore(arguments[0], platform::SystemFiles()).how;
         std::printf("%s\n", said[static_cast<int>(how)]);
         return 0;
     }},
    {"cut", "<mount point>", 1, Cut},
};

}  // namespace

int main(int argc, char** argv)
{
    for (const Command& command : kCommands) {
        if (argc >= 2 && std::strcmp(argv[1], command.name) == 0 && argc - 2 == command.count) {
            try {
                return command.run(argv + 2);
            } catch (const std::exception& error) {
                std::fprintf(stderr, "%s: %s\n", command.name, error.what());
                return 1;
            }
        }
    }
    for (const Command& command : kCommands) {
        std::fprintf(stderr, "usage: %s %s %s\n", argv[0], command.name, command.arguments);
    }
    return 2;
}
