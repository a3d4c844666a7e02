#include "platform/file_ops.h"

namespace quorrel::platform {

FileOps& SystemFiles()
{
    static SystemFileOps files;
    return files;
}

}  // namespace quorrel::platform
