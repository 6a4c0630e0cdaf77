// SPDX-License-Identifier: GPL-3.0-or-later
#include "sheets/SheetJson.h"

#include "kit/BulkSplit.h"
#include "sounds/PadSounds.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace tamboril::sheets {

QJsonObject PadJson(int pad, int sound) {
    return QJsonObject{
        {"index", pad},
        {"pad", PadName(pad)},
        {"sound", sound},
        {"entry", SoundEntry(sound)},
        {"name", SoundName(sound)},
    };
}

QJsonObject KitJson(const KitData& kit) {
    QJsonArray pads;
    for (int pad = 0; pad < PadCount; ++pad) {
        pads.append(PadJson(pad, PadSound(kit, pad)));
    }
    return QJsonObject{
        {"title", KitTitle(kit)},
        {"kitNumber", kit[KitNumberIndex]},
        {"name", KitName(kit)},
        {"startsWithF0", kit[0] == SysExStart},
        {"endsWithF7", kit[EndIndex] == SysExEnd},
        {"checksum", kit[ChecksumIndex]},
        {"fileChecksum", ChecksumFrom(kit, FileChecksumFirst)},
        {"checksumMatches", FileChecksumMatches(kit)},
        {"pads", pads},
    };
}

QJsonObject KitFileJson(const QString& file, qint64 size, const KitData& kit) {
    QJsonObject object = KitJson(kit);
    object.insert("file", file);
    object.insert("size", size);
    object.insert("kind", "kit");
    return object;
}

QJsonObject BankKitsJson(const QString& file, std::optional<qint64> size, const QString& kind,
                         const std::vector<std::pair<int, KitData>>& kits) {
    QJsonArray array;
    for (const auto& [position, kit] : kits) {
        QJsonObject object = KitJson(kit);
        object.insert("position", position);
        object.insert("splitFile", SplitFileName(position));
        array.append(object);
    }
    QJsonObject bank{{"file", file}, {"kind", kind}, {"kits", array}};
    if (size) {
        bank.insert("size", *size);
    }
    return bank;
}

QJsonObject SheetJson(const KitSheet& sheet) {
    if (sheet.source == BankSource::KitFile && sheet.kits.size() == 1) {
        // A kit file's size is what show reports; a kit without a file yet
        // (just received) is the size it would be saved with.
        return KitFileJson(sheet.bankFile, sheet.fileSize.value_or(qint64(KitSize)),
                           sheet.kits.front().kit);
    }
    std::vector<std::pair<int, KitData>> kits;
    for (const SheetKit& k : sheet.kits) {
        kits.emplace_back(k.position, k.kit);
    }
    const QString kind = sheet.source == BankSource::Folder ? QStringLiteral("folder")
                                                            : QStringLiteral("bulk");
    return BankKitsJson(sheet.bankFile, sheet.fileSize, kind, kits);
}

QByteArray JsonBytes(const QJsonObject& object) {
    return QJsonDocument(object).toJson(QJsonDocument::Indented);
}

}  // namespace tamboril::sheets
