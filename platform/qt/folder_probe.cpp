#include "platform/qt/folder_probe.h"

#include <QDir>
#include <QTemporaryFile>

#include "platform/qt/text.h"

namespace quorrel::platform {

bool CanCreateFilesIn(const std::string& folder)
{
    // The name is one that no file has, and the file goes again with the object.
    QTemporaryFile probe(QDir(ToQString(folder)).filePath(".quorrel-probe-XXXXXX"));
    return probe.open();
}

}  // namespace quorrel::platform
