// SPDX-License-Identifier: GPL-3.0-or-later
#include "collection/KitPlaces.h"

#include "bank/KitNumbers.h"
#include "kit/BulkJoin.h"
#include "kit/BulkSplit.h"
#include "kit/KitFile.h"
#include "sounds/PadSounds.h"

#include <QCryptographicHash>
#include <QFile>

#include <sys/stat.h>

namespace tamboril::collection {

FileKind KindOfSize(qint64 size) {
    if (size == BulkSize) {
        return FileKind::BulkFile;
    }
    return size > 0 && size <= MaxKitFileSize ? FileKind::KitFile : FileKind::NotAKit;
}

qint64 ContentFingerprint(const KitData& kit) {
    QCryptographicHash hash(QCryptographicHash::Sha256);
    const auto* bytes = reinterpret_cast<const char*>(kit.data());
    hash.addData(QByteArrayView(bytes, KitNumberIndex));
    hash.addData(QByteArrayView(bytes + KitNumberIndex + 1, ChecksumIndex - KitNumberIndex - 1));
    hash.addData(QByteArrayView(bytes + ChecksumIndex + 1, KitSize - ChecksumIndex - 1));
    const QByteArray digest = hash.result();
    quint64 value = 0;
    for (int i = 0; i < 8; ++i) {
        value = (value << 8) | static_cast<std::uint8_t>(digest[i]);
    }
    return static_cast<qint64>(value);
}

QByteArray PadsFingerprint(const KitData& kit) {
    QByteArray pads(PadCount, '\0');
    for (int pad = 0; pad < PadCount; ++pad) {
        pads[pad] = static_cast<char>(PadSound(kit, pad));
    }
    return pads;
}

Place PlaceOf(const KitData& kit, int position, qint64 size) {
    Place place;
    place.position = position;
    place.number = KitNumber(kit);
    place.name = KitName(kit);
    place.state = KitFileProblem(kit, size) ? KitState::Damaged : StateOfKit(kit);
    place.content = ContentFingerprint(kit);
    place.pads = PadsFingerprint(kit);
    return place;
}

std::vector<Place> PlacesOf(FileKind kind, QByteArrayView bytes, qint64 size) {
    std::vector<Place> places;
    if (kind == FileKind::KitFile) {
        KitData kit{};
        KitFromFileBytes(bytes, kit);
        places.push_back(PlaceOf(kit, 0, size));
    } else if (kind == FileKind::BulkFile) {
        const std::vector<KitData> kits = CutBulk(bytes);
        for (std::size_t k = 0; k < kits.size(); ++k) {
            places.push_back(PlaceOf(kits[k], static_cast<int>(k), static_cast<qint64>(KitSize)));
        }
    }
    return places;
}

std::optional<Stamp> StampOf(const QString& path) {
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return std::nullopt;
    }
    return Stamp{qint64(info.st_size),
                 qint64(info.st_mtim.tv_sec) * 1000000000LL + qint64(info.st_mtim.tv_nsec),
                 qint64(info.st_ino)};
}

FileRead ReadWhole(const QString& path, qint64 maxBytes) {
    FileRead read;
    for (int attempt = 0; attempt < 3; ++attempt) {
        // Read twice between two looks at the stamp: a writer that moved in
        // between shows in one of them.
        const std::optional<Stamp> before = StampOf(path);
        ReadResult first = ReadFront(path, maxBytes);
        const ReadResult second = first.error ? ReadResult{} : ReadFront(path, maxBytes);
        if (first.error || second.error) {
            read.error = first.error ? first.error : second.error;
            return read;
        }
        const std::optional<Stamp> after = StampOf(path);
        if (before && after && *before == *after && first.bytes == second.bytes &&
            first.bytes.size() == std::min(before->size, maxBytes)) {
            read.bytes = std::move(first.bytes);
            read.stamp = *after;
            read.changed = false;
            return read;
        }
        read.changed = true;
    }
    return read;
}

}  // namespace tamboril::collection
