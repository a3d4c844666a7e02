#pragma once

#include <QString>

namespace quorrel {

// What the Load dialog's tool tip says of a folder below its name: for each character save in
// it, "Hero — level 42 Sorceress, Expansion, Hardcore" and "saved 06-12-2026 15:04:09", or why
// there is no summary; for each shared stash, "Shared stash (softcore)" or "(hardcore)" and when
// it was saved. Empty for a folder with neither. Reads the saves' headers each time, so it is
// meant for when the tip is asked for.
QString SnapshotTip(const QString& folder);

}  // namespace quorrel
