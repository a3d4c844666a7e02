#include "restore/restore_folder.h"

#include <optional>
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

RestoreError SavedMeanwhile(const fs::path& file)
{
    return RestoreError(platform::ToText(file),
                        "The game saved it meanwhile, so Quorrel replaced nothing. Load the "
                        "snapshot again once the game has finished saving.");
}

class SaveFolderRestore {
public:
    // Without `kept`, each save file must keep the stamp it has when the restore plans.
    SaveFolderRestore(const std::string& source, const std::string& save, platform::FileOps& ops,
                      const std::vector<Filenames>* kept)
        : sourceText_(source),
          source_(platform::ToPath(source)),
          save_(platform::ToPath(save)),
          ops_(ops),
          kept_(kept)
    {
    }

    std::vector<Filenames> Run()
    {
        try {
            Plan();
        } catch (const RestoreError&) {
            throw;
        } catch (const std::exception& failure) {
            throw RestoreError(platform::ToText(FileOf(failure)), ReasonOf(failure));
        }
        try {
            WriteJournal(save_, journal_, ops_);
            Stage();
            CheckUnchanged();
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
            throw Failure(failure, SaveFolderState::Unfinished);
        }
        try {
            RollForward(save_, journal_, ops_);
        } catch (const std::exception& failure) {
            throw Failure(failure, SaveFolderState::Restored);
        }
        return restored_;
    }

private:
    void Plan()
    {
        std::vector<platform::ListedFile> listed;
        try {
            listed = platform::ListFolder(sourceText_);
        } catch (const std::exception& failure) {
            throw RestoreError(sourceText_, ReasonOf(failure));
        }
        if (listed.size() > kMostPlacements) {
            throw RestoreError(sourceText_, "It holds more than " +
                                                std::to_string(kMostPlacements) +
                                                " files, more than Quorrel restores at once");
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
            file.staged = FreeName(file.target, kStagedEnding);
            if (fs::exists(status)) {
                file.aside = FreeName(file.target, kAsideEnding);
            }
            sources_.push_back(source_ / file.target);
            expected_.push_back(kept_ == nullptr ? StampOrNone(save_ / file.target)
                                                 : KeptStamp(listedFile.name));
        }
    }

    // The stamp with which the safety snapshot copied the save file, or none.
    std::string KeptStamp(const std::string& name) const
    {
        for (const Filenames& file : *kept_) {
            if (file.filename == name) {
                return file.Attributes;
            }
        }
        return {};
    }

    // Every copy, flushed, under its temporary name; the save files are not touched yet. Whether
    // a file of the snapshot changed while it was copied is told by its own stamp before and
    // after: the copy's time may be coarser on the save folder's file system. The journal then
    // learns the copies' own stamps, by which the recovery knows them.
    void Stage()
    {
        for (std::size_t i = 0; i < sources_.size(); ++i) {
            Placement& file = journal_.placements[i];
            const std::string source = platform::ToText(sources_[i]);
            const std::string before = platform::FileStamp(source);
            ops_.Copy(sources_[i], save_ / file.staged);
            if (platform::FileStamp(source) != before) {
                throw RestoreError(source, "It changed while the restore was copying it");
            }
            file.stamp = platform::FileStamp(platform::ToText(save_ / file.staged));
            restored_.push_back({platform::ToText(file.target), file.stamp});
        }
        WriteJournal(save_, journal_, ops_);
    }

    // Before the first earlier file is moved aside: a save file that the game wrote since the
    // restore planned (or since the safety snapshot kept it) stops the restore.
    void CheckUnchanged() const
    {
        for (std::size_t i = 0; i < expected_.size(); ++i) {
            const fs::path target = save_ / journal_.placements[i].target;
            if (StampOrNone(target) != expected_[i]) {
                throw SavedMeanwhile(target);
            }
        }
    }

    // Each earlier file is moved aside rather than overwritten, so that a rename failing part-way
    // (a save file held open by the game on Windows) can still be undone. Once aside, a file can
    // no longer be saved over under its name: it is checked once more, for a save written at the
    // last moment. The copy then takes its place only if the game has not saved there meanwhile.
    void PutInPlace()
    {
        for (std::size_t i = 0; i < expected_.size(); ++i) {
            const Placement& file = journal_.placements[i];
            if (!file.aside.empty()) {
                ops_.Move(save_ / file.target, save_ / file.aside);
                if (StampOrNone(save_ / file.aside) != expected_[i]) {
                    throw SavedMeanwhile(save_ / file.target);
                }
            }
            if (!MoveIntoPlace(save_ / file.staged, save_ / file.target, ops_)) {
                throw SavedMeanwhile(save_ / file.target);
            }
        }
    }

    // Every copy in place and on disk: from the rename of the committed journal on, the restore
    // can only be finished.
    void Commit()
    {
        ops_.SyncFolder(save_);
        RestoreJournal committed = journal_;
        committed.committed = true;
        WriteJournal(save_, committed, ops_, [&] { journal_ = committed; });
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
    const std::vector<Filenames>* kept_;
    RestoreJournal journal_;
    std::vector<fs::path> sources_;      // the snapshot's file for each placement
    std::vector<std::string> expected_;  // each save file's stamp when it is replaced, or none
    std::vector<Filenames> restored_;    // each copy with its stamp, as it will be in its place
    std::set<fs::path> taken_;
};

}  // namespace

std::vector<Filenames> RestoreFolder(const std::string& sourceFolder, const std::string& saveFolder,
                                     platform::FileOps& ops)
{
    const platform::FolderLock lock = LockForRestore(saveFolder);
    return SaveFolderRestore(sourceFolder, saveFolder, ops, nullptr).Run();
}

std::vector<Filenames> RestoreFolder(const std::string& sourceFolder, const std::string& saveFolder,
                                     platform::FileOps& ops, const platform::FolderLock& /*held*/,
                                     const std::vector<Filenames>& kept)
{
    return SaveFolderRestore(sourceFolder, saveFolder, ops, &kept).Run();
}

platform::FolderLock LockForRestore(const std::string& saveFolder)
{
    std::optional<platform::FolderLock> lock;
    try {
        lock = platform::FolderLock::TryLock(saveFolder, platform::FolderLock::Kind::Exclusive);
    } catch (const std::exception& failure) {
        throw RestoreError(saveFolder, ReasonOf(failure));
    }
    if (!lock) {
        throw RestoreError(saveFolder,
                           "Another copy of Quorrel is restoring a snapshot into it, or putting it "
                           "in order. Try again once it has finished.");
    }
    // Under the lock, so that no restore can have begun since this was looked at.
    if (const auto journal = JournalFilesIn(platform::ToPath(saveFolder)); !journal.empty()) {
        throw RestoreError(platform::ToText(journal.back()),
                           "An earlier restore into this folder was interrupted and has not been "
                           "put in order yet");
    }
    return std::move(*lock);
}

}  // namespace quorrel
