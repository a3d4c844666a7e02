#include "platform/file_system.h"

namespace quorrel::platform {

bool IsHiddenOrSystem(const std::string& /*folder*/, const std::string& name)
{
    return !name.empty() && name.front() == '.';
}

}  // namespace quorrel::platform
