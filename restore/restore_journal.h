#pragma once

#include <cstddef>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace quorrel {

// The journal of a restore: a small hidden file in the save folder that names every file the
// restore is putting in place and every temporary name it uses, so that a restore cut short by a
// crash or a power cut can be undone or finished. It is there, flushed, before the first copy is
// made, and it is removed last.
//
// Plain text:
//
//     Quorrel restore journal 2
//     planned                                 (or: committed)
//     place 8:Hero.d2s 21:.Hero.d2s.quorrel-new 21:.Hero.d2s.quorrel-old 15:AbCdEfGhIjK-9x_
//     place 9:notes.txt 22:.notes.txt.quorrel-new 0: 0:
//     end
//
// Each name is its length in bytes, a colon and the name in UTF-8, so that any name survives,
// spaces and line breaks included. A "place" line gives the save file, its staged copy, where
// the earlier save file waits meanwhile (empty when the folder had none), and the staged copy's
// stamp as the listing gives it (see platform::FileStamp), written the same way: empty until the
// copy is made. A journal of another version is one that cannot be read.
inline constexpr const char* kJournalName = ".quorrel-restore.journal";
// The journal's next version: written whole under this name, then renamed over the journal (the
// name platform::ReplaceWhole gives it).
inline constexpr const char* kNextJournalName = ".quorrel-restore.journal.new";

// The endings of the temporary names, hidden by a leading ".": a staged copy of Hero.d2s is
// .Hero.d2s.quorrel-new, the earlier Hero.d2s waits as .Hero.d2s.quorrel-old, each numbered
// ("-2", ...) when its name is taken.
inline constexpr const char* kStagedEnding = ".quorrel-new";
inline constexpr const char* kAsideEnding = ".quorrel-old";

// Whether a name of the save folder is the journal's, or its next version's.
bool IsJournalName(std::string_view name);

// The most files that one restore puts in place, and the longest name a journal holds: 255
// UTF-16 units, as Windows allows in a name, each up to 3 bytes in UTF-8. A temporary name is a
// name of the folder too, so it is no longer. A stamp is far shorter. Together they bound the
// journal's size: anything larger is no journal of a restore, and is never read whole.
inline constexpr std::size_t kMostPlacements = 1000;
inline constexpr std::size_t kLongestName = 255 * 3;
inline constexpr std::size_t kLongestStamp = 32;
// The header, the state and "end"; then per file "place ", three names and a stamp each with its
// length and a colon, three spaces and the line's end.
inline constexpr std::size_t kLargestJournal =
    64 + kMostPlacements * (6 + 3 * (4 + 1 + kLongestName) + 3 + 1 + kLongestStamp + 3 + 1);

// One file of the snapshot on its way into the save folder; names inside the save folder.
struct Placement {
    std::filesystem::path target;  // the save file
    std::filesystem::path staged;  // the snapshot's copy, under a hidden temporary name
    std::filesystem::path aside;   // where the earlier save file waits; empty if there was none
    // The staged copy's stamp, empty until it is made. A save file in its place with another
    // stamp was written since, by the game, and is never undone.
    std::string stamp;

    bool operator==(const Placement&) const = default;
};

struct RestoreJournal {
    // Every copy is in place and on disk: from then on the restore can only be finished.
    bool committed = false;
    std::vector<Placement> placements;

    bool operator==(const RestoreJournal&) const = default;
};

// A journal that is not whole, names files outside the save folder or more files or longer names
// than a restore writes, or is no plain file. Recovery must then touch nothing.
class JournalUnreadable : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

std::string EncodeJournal(const RestoreJournal& journal);

// Throws JournalUnreadable.
RestoreJournal DecodeJournal(std::string_view text);

}  // namespace quorrel
