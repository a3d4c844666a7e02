#pragma once

#include <exception>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace quorrel {

// A file that a restore, or the recovery of one, has left where it does not belong.
struct Leftover {
    std::string file;  // the whole path
    std::string what;  // what it is, in the player's words
};

// Where a failed restore left the save folder.
enum class SaveFolderState {
    AsBefore,    // byte for byte as before the restore, with no stray file
    Restored,    // every file of the snapshot is in place; the leftovers are old files and the
                 // journal, which the next recovery removes
    Unfinished,  // neither: the leftovers say what is where, and the journal, if it is among
                 // them, lets the next recovery try again
};

// The part of a restore that failed.
enum class RestoreStage {
    SafetySnapshot,  // keeping what the restore would replace (see TakeSafetySnapshot): nothing
                     // was replaced yet
    CopyBack,        // copying the snapshot back, or recovering an interrupted restore
};

// Why a restore, its safety snapshot or the recovery of an interrupted restore stopped: the file
// it failed on, the system's reason, and what it left behind.
class RestoreError : public std::runtime_error {
public:
    RestoreError(std::string file, std::string reason,
                 SaveFolderState state = SaveFolderState::AsBefore,
                 std::vector<Leftover> leftovers = {}, RestoreStage stage = RestoreStage::CopyBack);

    const std::string& file() const { return file_; }
    const std::string& reason() const { return reason_; }
    SaveFolderState state() const { return state_; }
    const std::vector<Leftover>& leftovers() const { return leftovers_; }
    RestoreStage stage() const { return stage_; }

private:
    std::string file_;
    std::string reason_;
    SaveFolderState state_;
    std::vector<Leftover> leftovers_;
    RestoreStage stage_;
};

// The save folder cannot be looked into (its reason says why), so whether a restore there was
// interrupted cannot be told either. Nothing was touched.
class SaveFolderUnreadable : public RestoreError {
public:
    SaveFolderUnreadable(std::string folder, std::string reason)
        : RestoreError(std::move(folder), std::move(reason), SaveFolderState::AsBefore)
    {
    }
};

// The journal of an interrupted restore cannot be read at all (damaged by hand, or by a disk
// fault), so nothing can be put back by it: nothing was touched, and each leftover says what the
// player can do with it.
class UnusableJournal : public RestoreError {
public:
    UnusableJournal(std::string journal, std::string reason, std::vector<Leftover> leftovers)
        : RestoreError(std::move(journal), std::move(reason), SaveFolderState::Unfinished,
                       std::move(leftovers))
    {
    }
};

// The file a failure names (the one being read or written), or an empty path.
std::filesystem::path FileOf(const std::exception& failure);

// The system's reason for a failure, without the file names that FileOf gives.
std::string ReasonOf(const std::exception& failure);

}  // namespace quorrel
