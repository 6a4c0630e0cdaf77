// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "bank/Bank.h"
#include "kit/FileIO.h"
#include "kit/KitImage.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

namespace tamboril::collection {

// What a *.syx file is to the collection, by its size: a bulk file of 64
// places (exactly 12608 bytes), a kit file of one place (1 to 200 bytes),
// or neither (empty, or any other size), which holds no place.
enum class FileKind { KitFile = 0, BulkFile = 1, NotAKit = 2 };
FileKind KindOfSize(qint64 size);

// One kit at one place: its number (byte 6), name, 14 pad sounds, the state
// of its checksum, and two fingerprints. The content fingerprint covers every
// byte but the number (6) and the checksum (195), so that a kit stored in
// another slot is still the same kit; the pads fingerprint is the 14 pads'
// sounds, one byte each.
struct Place {
    int position = 0;  // 0 for a kit file; 0..63 in a bulk file
    int number = 0;
    QString name;
    KitState state = KitState::Right;
    qint64 content = 0;
    QByteArray pads;
};

// The 64 bits of SHA-256 over the kit's bytes but 6 and 195, as a number.
// Two different kits share one with a chance of about n*n / 2^65 among n
// kits: nil for any collection a person owns.
qint64 ContentFingerprint(const KitData& kit);
QByteArray PadsFingerprint(const KitData& kit);

// The places of a file's bytes, read as Tamboril reads kit and bulk files:
// a kit file as Load reads it (zeros past a short file's end; damaged when
// the kit-file check fails on its `size` bytes), a bulk file cut as split
// cuts it (each kit damaged when the same check fails on its 197 bytes).
std::vector<Place> PlacesOf(FileKind kind, QByteArrayView bytes, qint64 size);
Place PlaceOf(const KitData& kit, int position, qint64 size);

// A file as the collection knows it: present, its size, modification time
// (nanoseconds) and inode. A rescan reads a file again only when these move.
struct Stamp {
    qint64 size = 0;
    qint64 mtime = 0;
    qint64 inode = 0;
    bool operator==(const Stamp&) const = default;
};
std::optional<Stamp> StampOf(const QString& path);

// A file's bytes read whole, twice, with the stamp it had before and after.
// A file that changed while it was read (another stamp after, two reads
// that differ, fewer bytes than its size) is read again, up to three times;
// `changed` when it never held still, and then no bytes are given.
struct FileRead {
    QByteArray bytes;
    Stamp stamp;
    std::optional<FileError> error;
    bool changed = false;
};
FileRead ReadWhole(const QString& path, qint64 maxBytes);

}  // namespace tamboril::collection
