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
            console.error(CannotReadText(path, load.reason));
            return std::nullopt;
        case LoadStatus::Refused:
            console.error(NeedsSplitText(path, edited.size));
            return std::nullopt;
        case LoadStatus::NotEditable:
            console.error(NotEditableText(path, edited.kit[0]));
            return std::nullopt;
        case LoadStatus::Editable:
            break;
    }
    return edited;
}

bool SaveEditedKit(Console& console, const QString& path, KitToEdit& edited) {
    StoreChecksum(edited.kit, FileChecksumFirst);
    if (const auto failure = TrueSave(path, edited.kit)) {
        console.error(CannotWriteText(*failure, FileLeftText()));
        return false;
    }
    if (edited.size != static_cast<qint64>(KitSize)) {
        console.warning(ResizedKitWarning(path, edited.size));
    }
    return true;
}

int EditKitFile(Console& console, const QString& path,
                const std::function<QString(KitData&)>& change) {
    std::optional<KitToEdit> edited = LoadKitToEdit(console, path);
    if (!edited) {
        return ExitFailed;
    }
    const QString done = change(edited->kit);
    if (!SaveEditedKit(console, path, *edited)) {
        return ExitFailed;
    }
    console.print(done);
    return ExitOk;
}

}  // namespace tamboril::cli
