#include "restore/snapshot_tip.h"

#include <QDateTime>
#include <QStringList>
#include <filesystem>

#include "platform/path_text.h"
#include "platform/qt/text.h"
#include "restore/snapshot_saves.h"
#include "snapshot/snapshot_folder.h"

namespace quorrel {

namespace {

using platform::ToQString;

// A folder with more saves than this is no snapshot; its tip stays short.
constexpr std::size_t kShownSaves = 3;

QString CharacterLine(const CharacterSummary& summary)
{
    QString line = QString::fromStdString(summary.name) + " — level " +
                   QString::number(summary.level) + " " +
                   QString::fromLatin1(ClassName(summary.characterClass));
    if (summary.expansion) {
        line += ", Expansion";
    }
    if (summary.hardcore) {
        line += ", Hardcore";
    }
    if (summary.ladder) {
        line += ", Ladder";
    }
    if (summary.deadInHardcore()) {
        line += " — dead";
    }
    return line;
}

// When the game saved the file, in the form of the folder names: the header's time, else the
// folder's own.
QString SavedLine(const CharacterSummary& summary, const std::string& folderName)
{
    if (summary.savedAt) {
        return "saved " +
               QDateTime::fromSecsSinceEpoch(*summary.savedAt).toString("dd-MM-yyyy HH:mm:ss");
    }
    if (const std::optional<SnapshotName> name = ParseSnapshotFolderName(folderName)) {
        return "saved " + ToQString(platform::FormatDate(name->taken)) + " " +
               ToQString(platform::FormatTime(name->taken)).replace('-', ':');
    }
    return QString();
}

QString NoSummaryLine(const SnapshotSave& save)
{
    if (save.version) {
        return "no character summary (save format " + QString::number(*save.version) + ")";
    }
    return "no character summary (" + ToQString(save.file) + " is no save file or cannot be read)";
}

}  // namespace

QString SnapshotTip(const QString& folder)
{
    const std::string path = platform::ToStdString(folder);
    const std::vector<std::string> files = SaveFileNames(path);
    const std::string folderName = platform::ToText(platform::ToPath(path).filename());
    QStringList lines;
    for (std::size_t i = 0; i < files.size() && i < kShownSaves; ++i) {
        const SnapshotSave save = ReadSnapshotSave(path, files[i]);
        if (!save.summary) {
            lines << NoSummaryLine(save);
            continue;
        }
        lines << CharacterLine(*save.summary);
        if (const QString saved = SavedLine(*save.summary, folderName); !saved.isEmpty()) {
            lines << saved;
        }
    }
    if (files.size() > kShownSaves) {
        lines << "and " + QString::number(files.size() - kShownSaves) + " more character saves";
    }
    return lines.join('\n');
}

}  // namespace quorrel
