// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "kit/KitImage.h"
#include "sheets/KitSheet.h"

#include <QByteArray>
#include <QJsonObject>
#include <QString>

#include <optional>
#include <utility>
#include <vector>

namespace tamboril::sheets {

// The one JSON form of kits and banks: `tamboril-kit show --json` prints it
// and kit sheets are written in it, so the two cannot drift apart. Texts keep
// every character the kit holds.

// One pad and its sound: index, pad, sound, entry, name.
QJsonObject PadJson(int pad, int sound);
// A kit: title, kitNumber, name, startsWithF0, endsWithF7, checksum,
// fileChecksum, checksumMatches and the 14 pads.
QJsonObject KitJson(const KitData& kit);

// A kit file: the kit with file, size and kind "kit".
QJsonObject KitFileJson(const QString& file, qint64 size, const KitData& kit);

// Kits of a bulk file ("bulk") or of a folder of split files ("folder"):
// file, size (for a file), kind and kits, each a kit with its position and
// the file split writes it to (splitFile).
QJsonObject BankKitsJson(const QString& file, std::optional<qint64> size, const QString& kind,
                         const std::vector<std::pair<int, KitData>>& kits);

// The sheet as the forms above: a bank of one kit file as that kit file,
// any other bank as its kits.
QJsonObject SheetJson(const KitSheet& sheet);

// The document as its file holds it: indented, UTF-8.
QByteArray JsonBytes(const QJsonObject& object);

}  // namespace tamboril::sheets
