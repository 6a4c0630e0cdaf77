// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/KitEditing.h"

#include "cli/KitArgs.h"
#include "kit/KitFile.h"

#include <QFileInfo>

namespace tamboril::cli {

std::optional<KitToEdit> LoadKitToEdit(Console& console, const QString& path) {
    KitToEdit edited;
    const LoadOutcome load = Loadfile(path, edited.kit);
    edited.size = QFileInfo(path).size();
    switch (load.status) {
        case LoadStatus::Failed:
        case LoadStatus::Ignored:
            console.error(QStringLiteral("cannot read %1: %2").arg(path, load.reason));
            return std::nullopt;
        case LoadStatus::Refused:
            console.error(QStringLiteral("%1: File needs to be Spilt. It is %2 bytes, and a "
                                         "single kit file has at most %3; 'tamboril-kit "
                                         "split' cuts a bulk file into kit files. Nothing "
                                         "was written.")
                              .arg(path)
                              .arg(edited.size)
                              .arg(MaxKitFileSize));
            return std::nullopt;
        case LoadStatus::NotEditable:
            console.error(QStringLiteral("%1: the kit cannot be edited: byte 0 is %2, not "
                                         "0xF0. Nothing was written.")
                              .arg(path, HexByte(edited.kit[0])));
            return std::nullopt;
        case LoadStatus::Editable:
            break;
    }
    return edited;
}

bool SaveEditedKit(Console& console, const QString& path, KitToEdit& edited) {
    StoreChecksum(edited.kit, FileChecksumFirst);
    if (const auto failure = TrueSave(path, edited.kit)) {
        console.error(CannotWriteText(*failure, QStringLiteral("The file was left as it was.")));
        return false;
    }
    if (edited.size != static_cast<qint64>(KitSize)) {
        console.warning(QStringLiteral("%1 was %2 bytes; it now holds the %3 bytes of the kit")
                            .arg(path)
                            .arg(edited.size)
                            .arg(KitSize));
    }
    return true;
}

}  // namespace tamboril::cli
