#include "platform/qt/trash.h"

#include <QFile>

#include "platform/qt/text.h"

namespace quorrel::platform {

bool MoveToRecycleBin(const std::string& path)
{
    return QFile::moveToTrash(ToQString(path));
}

}  // namespace quorrel::platform
