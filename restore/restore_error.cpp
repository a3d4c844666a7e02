#include "restore/restore_error.h"

#include <system_error>
#include <utility>

namespace quorrel {

RestoreError::RestoreError(std::string file, std::string reason, SaveFolderState state,
                           std::vector<Leftover> leftovers, RestoreStage stage)
    : std::runtime_error(file + ": " + reason),
      file_(std::move(file)),
      reason_(std::move(reason)),
      state_(state),
      leftovers_(std::move(leftovers)),
      stage_(stage)
{
}

std::filesystem::path FileOf(const std::exception& failure)
{
    if (const auto* restore = dynamic_cast<const RestoreError*>(&failure)) {
        return restore->file();
    }
    if (const auto* file = dynamic_cast<const std::filesystem::filesystem_error*>(&failure)) {
        return file->path1();
    }
    return {};
}

std::string ReasonOf(const std::exception& failure)
{
    if (const auto* restore = dynamic_cast<const RestoreError*>(&failure)) {
        return restore->reason();
    }
    if (const auto* system = dynamic_cast<const std::system_error*>(&failure)) {
        return system->code().message();
    }
    return failure.what();
}

}  // namespace quorrel
