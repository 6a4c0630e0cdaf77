// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "kit/FileIO.h"
#include "kit/KitImage.h"

#include <QString>

#include <optional>

namespace tamboril {

// Files longer than this are bulk dumps (or something else) and are refused.
inline constexpr qint64 MaxKitFileSize = 200;

enum class LoadStatus {
    Ignored,      // empty file name: nothing was done
    Refused,      // longer than MaxKitFileSize: nothing was changed
    Editable,     // read, and byte 0 is 0xF0
    NotEditable,  // read, but byte 0 is not 0xF0: the image holds it anyway
    Failed,       // could not be read: nothing was changed
};

struct LoadOutcome {
    LoadStatus status = LoadStatus::Ignored;
    QString fileName;
    QString reason;  // the system's reason when Failed
};

// What a kit file's bytes give, in memory: Refused when there are more than
// MaxKitFileSize of them (kit untouched); otherwise the first 197 bytes become
// the kit image, zeros after a shorter file's end, and the result is Editable
// or NotEditable by byte 0. Loadfile is exactly this on the file's bytes.
LoadStatus KitFromFileBytes(QByteArrayView bytes, KitData& kit);

// The bytes a kit file holds: the 197 bytes of the kit image.
inline QByteArrayView KitFileBytes(const KitData& kit) {
    return QByteArrayView(kit.data(), static_cast<qsizetype>(kit.size()));
}

// Reads a single-kit file into kit. Over 200 bytes is refused; otherwise the
// first 197 bytes become the kit image, and a shorter file leaves zeros after
// its end, so the result never depends on the previous kit. On Refused,
// Failed and Ignored kit is left untouched. The file is only read.
LoadOutcome Loadfile(const QString& path, KitData& kit);

// Replaces path with exactly the 197 bytes of kit, atomically.
std::optional<FileError> TrueSave(const QString& path, const KitData& kit);

}  // namespace tamboril
