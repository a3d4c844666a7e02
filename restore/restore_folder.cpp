#include "restore/restore_folder.h"

#include <set>
#include <system_error>
#include <utility>
#include <vector>

#include "platform/folder_listing.h"
#include "platform/path_text.h"
#include "restore/restore_journal.h"
#include "restore/restore_steps.h"

namespace quorrel {

namespace fs = std::filesystem;

namespace {

std::string Message(std::errc code)
{
    return std::make_error_code(code).message();
}

class SaveFolderRestore {
public:
    SaveFolderRestore(const std::string& source, const std::string& save, platform::FileOps& ops)
        : sourceText_(source),
          source_(platform::ToPath(source)),
          save_(platform::ToPath(save)),
          ops_(ops)
    {
    }

    void Run()
    {
        try {
            Plan();
        } catch (const RestoreError&) {
            throw;
        } catch (const std::exception& failure) {
            throw RestoreError(platform::ToText(FileOf(failure)), ReasonOf(failure));
        }
        std::error_code noStamp;
        const fs::file_time_type folderStamp = fs::last_write_time(save_, noStamp);
        try {
            WriteJournal(save_, journal_, ops_);
            ops_.SyncFolder(save_);
            Stage();
            PutInPlace();
            Commit();
        } catch (const std::exception& failure) {
            if (journal_.committed) {
                throw Failure(failure, SaveFolderState::Restored);
            }
            try {
                RollBack(save_, journal_, ops_);
            } catch (const std::exception&) {
                // Nothing is hidden: LeftoversOf names what the undoing could not put back.
            }
            if (LeftoversOf(save_, journal_).empty() && !noStamp) {
                // Creating and removing the temporary files touched the folder itself.
                std::error_code ignored;
                fs::last_write_time(save_, folderStamp, ignored);
            }
            throw Failure(failure, SaveFolderState::Unfinished);
        }
        try {
            RollForward(save_, journal_, ops_);
        } catch (const std::exception& failure) {
            throw Failure(failure, SaveFolderState::Restored);
        }
    }

private:
    void Plan()
    {
        std::error_code error;
        if (!fs::is_directory(save_, error)) {
            throw RestoreError(platform::ToText(save_),
                               fs::exists(save_, error)
                                   ? Message(std::errc::not_a_directory)
                                   : Message(std::errc::no_such_file_or_directory));
        }
        for (const char* journalName : {kJournalName, kNextJournalName}) {
            if (fs::exists(fs::symlink_status(save_ / journalName))) {
                throw RestoreError(platform::ToText(save_ / journalName),
                                   "An earlier restore into this folder was interrupted and has "
                                   "not been put in order yet");
            }
        }
        std::vector<platform::ListedFile> listed;
        try {
            listed = platform::ListFolder(sourceText_);
        } catch (const std::exception& failure) {
            throw RestoreError(sourceText_, ReasonOf(failure));
        }
        for (const platform::ListedFile& listedFile : listed) {
            Placement& file = journal_.placements.emplace_back();
            file.target = platform::ToPath(listedFile.name);
            const fs::file_status status = fs::symlink_status(save_ / file.target);
            if (fs::exists(status) && !fs::is_regular_file(status)) {
                throw RestoreError(platform::ToText(save_ / file.target),
                                   fs::is_directory(status) ? Message(std::errc::is_a_directory)
                                                            : "Not a plain file");
            }
            file.staged = FreeName(file.target, ".quorrel-new");
            if (fs::exists(status)) {
                file.aside = FreeName(file.target, ".quorrel-old");
            }
            sources_.push_back(source_ / file.target);
            file.stamp = fs::last_write_time(sources_.back());
        }
    }

    // Every copy, flushed, under its temporary name; the save files are not touched yet.
    void Stage()
    {
        for (std::size_t i = 0; i < sources_.size(); ++i) {
            const Placement& file = journal_.placements[i];
            ops_.Copy(sources_[i], save_ / file.staged);
            if (fs::last_write_time(save_ / file.staged) != file.stamp) {
                throw RestoreError(platform::ToText(sources_[i]),
                                   "It changed while the restore was copying it");
            }
        }
    }

    // Each earlier file is moved aside rather than overwritten, so that a rename failing part-way
    // (a save file held open by the game on Windows) can still be undone.
    void PutInPlace()
    {
        for (const Placement& file : journal_.placements) {
            if (!file.aside.empty()) {
                ops_.Rename(save_ / file.target, save_ / file.aside);
            }
            ops_.Rename(save_ / file.staged, save_ / file.target);
        }
    }

    // Every copy in place and on disk: from the rename of the committed journal on, the restore
    // can only be finished.
    void Commit()
    {
        ops_.SyncFolder(save_);
        RestoreJournal committed = journal_;
        committed.committed = true;
        WriteJournal(save_, committed, ops_);
        journal_ = std::move(committed);
        ops_.SyncFolder(save_);
    }

    // "." + name + suffix, numbered when that is taken, on disk or by this restore.
    fs::path FreeName(const fs::path& name, const char* suffix)
    {
        for (int number = 1;; ++number) {
            fs::path candidate = ".";
            candidate += name;
            candidate += suffix;
            if (number > 1) {
                candidate += "-" + std::to_string(number);
            }
            std::error_code error;
            if (!taken_.contains(candidate) &&
                !fs::exists(fs::symlink_status(save_ / candidate, error))) {
                taken_.insert(candidate);
                return candidate;
            }
        }
    }

    // The error for the player. A failure writing a staged copy is named after the save file it
    // was to replace: the temporary name means nothing to the player. An undoing that left
    // nothing out of place leaves the folder as it was.
    RestoreError Failure(const std::exception& failure, SaveFolderState state) const
    {
        fs::path file = FileOf(failure);
        for (const Placement& placement : journal_.placements) {
            if (file == save_ / placement.staged) {
                file = save_ / placement.target;
            }
        }
        std::vector<Leftover> leftovers = LeftoversOf(save_, journal_);
        if (state == SaveFolderState::Unfinished && leftovers.empty()) {
            state = SaveFolderState::AsBefore;
        }
        return RestoreError(platform::ToText(file), ReasonOf(failure), state, std::move(leftovers));
    }

    std::string sourceText_;
    fs::path source_;
    fs::path save_;
    platform::FileOps& ops_;
    RestoreJournal journal_;
    std::vector<fs::path> sources_;  // the snapshot's file for each placement
    std::set<fs::path> taken_;
};

}  // namespace

void RestoreFolder(const std::string& sourceFolder, const std::string& saveFolder,
                   platform::FileOps& ops)
{
    SaveFolderRestore(sourceFolder, saveFolder, ops).Run();
}

}  // namespace quorrel
