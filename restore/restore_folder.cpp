#include "restore/restore_folder.h"

#include <algorithm>
#include <set>
#include <system_error>
#include <utility>
#include <vector>

#include "platform/file_system.h"
#include "platform/path_text.h"

namespace quorrel {

namespace fs = std::filesystem;

RestoreError::RestoreError(std::string file, std::string reason, bool saveFolderIntact)
    : std::runtime_error(file + ": " + reason),
      file_(std::move(file)),
      reason_(std::move(reason)),
      saveFolderIntact_(saveFolderIntact)
{
}

namespace {

// The temporary names start with a dot, so that the listings of Linux and macOS skip them.
constexpr const char* kIncomingSuffix = ".quorrel-new";
constexpr const char* kOutgoingSuffix = ".quorrel-old";

std::string ReasonOf(const std::exception& error)
{
    if (const auto* system = dynamic_cast<const std::system_error*>(&error)) {
        return system->code().message();
    }
    return error.what();
}

std::string Message(std::errc code)
{
    return std::make_error_code(code).message();
}

// One file of the snapshot on its way into the save folder.
struct Placement {
    fs::path source;
    fs::path target;
    fs::path incoming;  // the copy, under a temporary name beside the target
    fs::path outgoing;  // the earlier save file until the restore is complete
    bool movedAside = false;
    bool inPlace = false;
};

class SaveFolderRestore {
public:
    SaveFolderRestore(fs::path source, fs::path save, RenameFile rename)
        : source_(std::move(source)), save_(std::move(save)), rename_(std::move(rename))
    {
    }

    void Run()
    {
        CheckFolders();
        std::error_code noStamp;
        const fs::file_time_type folderStamp = fs::last_write_time(save_, noStamp);
        try {
            Stage();
            PutInPlace();
        } catch (const RestoreError& error) {
            const bool intact = Undo();
            if (intact && !noStamp) {
                // Creating and removing the temporary files touched the folder itself.
                std::error_code ignored;
                fs::last_write_time(save_, folderStamp, ignored);
            }
            throw RestoreError(error.file(), error.reason(), intact);
        }
        DropOutgoing();
    }

private:
    void CheckFolders()
    {
        std::error_code error;
        if (!fs::is_directory(save_, error)) {
            throw RestoreError(platform::ToText(save_),
                               fs::exists(save_, error)
                                   ? Message(std::errc::not_a_directory)
                                   : Message(std::errc::no_such_file_or_directory));
        }
        try {
            for (const fs::directory_entry& entry : fs::directory_iterator(source_)) {
                std::error_code ignored;
                if (entry.is_regular_file(ignored)) {
                    Placement& file = placements_.emplace_back();
                    file.source = entry.path();
                    file.target = save_ / entry.path().filename();
                    taken_.insert(file.target);
                }
            }
        } catch (const std::exception& failure) {
            throw RestoreError(platform::ToText(source_), ReasonOf(failure));
        }
        // A fixed order makes a failure part-way repeatable.
        std::sort(placements_.begin(), placements_.end(),
                  [](const Placement& a, const Placement& b) { return a.target < b.target; });
    }

    // Copies every file under a temporary name; the save files are not touched yet.
    void Stage()
    {
        for (Placement& file : placements_) {
            std::error_code error;
            const fs::file_status status = fs::status(file.target, error);
            if (fs::exists(status) && !fs::is_regular_file(status)) {
                throw RestoreError(platform::ToText(file.target),
                                   fs::is_directory(status) ? Message(std::errc::is_a_directory)
                                                            : "Not a plain file");
            }
            file.incoming = FreeName(file.target.filename(), kIncomingSuffix);
            try {
                platform::CopyOneFile(file.source, file.incoming);
            } catch (const std::exception& failure) {
                throw RestoreError(platform::ToText(file.source), ReasonOf(failure));
            }
        }
    }

    // Each old file is moved aside rather than overwritten, so that a rename failing part-way
    // (a save file held open by the game on Windows) can still be undone.
    void PutInPlace()
    {
        for (Placement& file : placements_) {
            std::error_code error;
            if (fs::exists(fs::symlink_status(file.target, error))) {
                file.outgoing = FreeName(file.target.filename(), kOutgoingSuffix);
                Rename(file.target, file.outgoing, file.target);
                file.movedAside = true;
            }
            Rename(file.incoming, file.target, file.target);
            file.inPlace = true;
        }
    }

    // Puts the save folder back as it was; false when some old file could not be put back.
    bool Undo() noexcept
    {
        bool intact = true;
        for (auto file = placements_.rbegin(); file != placements_.rend(); ++file) {
            if (file->inPlace) {
                file->inPlace = !TryRename(file->target, file->incoming);
            }
            if (file->movedAside) {
                file->movedAside = file->inPlace || !TryRename(file->outgoing, file->target);
            }
            intact = intact && !file->inPlace && !file->movedAside;
        }
        for (const Placement& file : placements_) {
            if (!file.incoming.empty() && !file.inPlace) {
                std::error_code ignored;
                fs::remove(file.incoming, ignored);
            }
        }
        return intact;
    }

    // The restore is complete: an old file that cannot be deleted now is only a stray file.
    void DropOutgoing() noexcept
    {
        for (const Placement& file : placements_) {
            if (file.movedAside) {
                std::error_code ignored;
                fs::remove(file.outgoing, ignored);
            }
        }
    }

    // "." + name + suffix, numbered when that is taken, on disk or as a name this restore uses.
    fs::path FreeName(const fs::path& name, const char* suffix)
    {
        for (int number = 1;; ++number) {
            fs::path candidate = ".";
            candidate += name;
            candidate += suffix;
            if (number > 1) {
                candidate += "-" + std::to_string(number);
            }
            candidate = save_ / candidate;
            std::error_code error;
            if (!taken_.contains(candidate) && !fs::exists(fs::symlink_status(candidate, error))) {
                taken_.insert(candidate);
                return candidate;
            }
        }
    }

    void Rename(const fs::path& from, const fs::path& to, const fs::path& saveFile)
    {
        try {
            rename_(from, to);
        } catch (const std::exception& failure) {
            throw RestoreError(platform::ToText(saveFile), ReasonOf(failure));
        }
    }

    bool TryRename(const fs::path& from, const fs::path& to) noexcept
    {
        try {
            rename_(from, to);
            return true;
        } catch (...) {
            return false;
        }
    }

    fs::path source_;
    fs::path save_;
    RenameFile rename_;
    std::vector<Placement> placements_;
    std::set<fs::path> taken_;
};

}  // namespace

void RestoreFolder(const std::string& sourceFolder, const std::string& saveFolder,
                   const RenameFile& rename)
{
    RenameFile renameFile = rename;
    if (!renameFile) {
        renameFile = [](const fs::path& from, const fs::path& to) { fs::rename(from, to); };
    }
    SaveFolderRestore(platform::ToPath(sourceFolder), platform::ToPath(saveFolder),
                      std::move(renameFile))
        .Run();
}

}  // namespace quorrel
