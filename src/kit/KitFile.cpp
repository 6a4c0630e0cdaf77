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
    if (read.bytes.size() > MaxKitFileSize) {
        outcome.status = LoadStatus::Refused;
        return outcome;
    }
    kit.fill(0);
    const auto count = std::min<std::size_t>(KitSize, static_cast<std::size_t>(read.bytes.size()));
    std::copy_n(reinterpret_cast<const std::uint8_t*>(read.bytes.constData()), count, kit.begin());
    outcome.status = IsEditable(kit) ? LoadStatus::Editable : LoadStatus::NotEditable;
    return outcome;
}

std::optional<FileError> TrueSave(const QString& path, const KitData& kit) {
    return ReplaceFile(path, QByteArrayView(kit.data(), static_cast<qsizetype>(kit.size())));
}

}  // namespace tamboril
