// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/KitText.h"

#include "cli/KitArgs.h"
#include "sounds/PadSounds.h"
#include "kit/BulkSplit.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace tamboril::cli {

namespace {

std::uint8_t fileChecksum(const KitData& kit) {
    return ChecksumFrom(kit, FileChecksumFirst);
}

}  // namespace

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
        {"fileChecksum", fileChecksum(kit)},
        {"checksumMatches", FileChecksumMatches(kit)},
        {"pads", pads},
    };
}

void PrintJson(Console& console, const QJsonObject& object) {
    console.write(QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Indented)));
}

}  // namespace tamboril::cli
