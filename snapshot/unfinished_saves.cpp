#include "snapshot/unfinished_saves.h"

#include "platform/file_content.h"
#include "platform/path_text.h"
#include "snapshot/save_file_check.h"
#include "snapshot/save_set.h"

namespace quorrel {

namespace {

bool LooksUnfinished(const std::string& saveFolder, const std::string& name)
{
    SaveFileCheck check;
    platform::ReadPlainFile(platform::ToPath(platform::JoinPath(saveFolder, name)),
                            [&check](std::string_view piece) { check.Add(piece); });
    return check.InProgress();
}

}  // namespace

bool UnfinishedSaves::ShouldWait(const std::string& saveFolder, const std::string& character,
                                 const std::vector<Filenames>& files)
{
    std::vector<Filenames> unfinished;
    for (const Filenames& file : files) {
        if (IsSaveFileName(file.filename) && LooksUnfinished(saveFolder, file.filename)) {
            unfinished.push_back(file);
        }
    }
    if (unfinished.empty()) {
        return false;
    }
    const auto seen = seen_.find(character);
    if (seen != seen_.end() && seen->second == unfinished) {
        return false;  // the same files, untouched since the last check
    }
    waiting_[character] = std::move(unfinished);
    return true;
}

void UnfinishedSaves::CheckDone()
{
    seen_ = std::move(waiting_);
    waiting_.clear();
}

}  // namespace quorrel
