// SPDX-License-Identifier: GPL-3.0-or-later
#include "kit/KitFile.h"

#include <algorithm>

namespace tamboril {

LoadOutcome Loadfile(const QString& path, KitData& kit) {
    LoadOutcome outcome;
    outcome.fileName = path;
    if (path.isEmpty()) {
        return outcome;
    }
    // One byte past the limit is enough to tell a kit file from a longer one.
    const ReadResult read = ReadFront(path, MaxKitFileSize + 1);
    if (read.error) {
        outcome.status = LoadStatus::Failed;
        outcome.reason = read.error->reason;
        return outcome;
    }
    outcome.status = KitFromFileBytes(read.bytes, kit);
    return outcome;
}

LoadStatus KitFromFileBytes(QByteArrayView bytes, KitData& kit) {
    if (bytes.size() > MaxKitFileSize) {
        return LoadStatus::Refused;
    }
    kit = KitFromBytes(bytes);
    return IsEditable(kit) ? LoadStatus::Editable : LoadStatus::NotEditable;
}

std::optional<FileError> TrueSave(const QString& path, const KitData& kit) {
    return ReplaceFile(path, KitFileBytes(kit));
}

}  // namespace tamboril
