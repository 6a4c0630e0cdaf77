// SPDX-License-Identifier: GPL-3.0-or-later
#include "history/KitStore.h"

#include <QCryptographicHash>

#include <cstring>

namespace tamboril::history {

namespace {

QByteArray contentOf(KitData kit) {
    kit[ChecksumIndex] = 0;
    return QByteArray(reinterpret_cast<const char*>(kit.data()), qsizetype(kit.size()));
}

qint64 hashOf(const QByteArray& content) {
    const QByteArray sum = QCryptographicHash::hash(content, QCryptographicHash::Sha256);
    qint64 hash = 0;
    std::memcpy(&hash, sum.constData(), sizeof hash);
    return hash;
}

}  // namespace

QByteArray PackKits(const std::vector<KitRef>& refs) {
    QByteArray packed;
    packed.reserve(qsizetype(refs.size() * 5));
    for (const KitRef& ref : refs) {
        const auto id = static_cast<std::uint32_t>(ref.kit);
        for (int shift = 0; shift < 32; shift += 8) {
            packed.append(char((id >> shift) & 0xFF));
        }
        packed.append(char(ref.checksum));
    }
    return packed;
}

std::vector<KitRef> UnpackKits(QByteArrayView packed) {
    std::vector<KitRef> refs;
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(packed.data());
    for (qsizetype at = 0; at + 5 <= packed.size(); at += 5) {
        std::uint32_t id = 0;
        for (int b = 0; b < 4; ++b) {
            id |= std::uint32_t(bytes[at + b]) << (8 * b);
        }
        refs.push_back({qint64(id), bytes[at + 4]});
    }
    return refs;
}

KitStored StoreKit(Connection& db, const KitData& kit) {
    const QByteArray content = contentOf(kit);
    const qint64 hash = hashOf(content);
    KitStored stored;
    Statement find(db, "SELECT id, content FROM kits WHERE hash=?");
    find.bind(1, hash);
    while (find.next()) {
        if (find.bytes(1) == content) {
            stored.id = find.integer(0);
            return stored;
        }
    }
    if ((stored.fault = find.fault())) {
        return stored;
    }
    Statement add(db, "INSERT INTO kits(hash, content) VALUES(?, ?)");
    if (!(stored.fault = add.bind(1, hash).bind(2, content).run())) {
        stored.id = db.lastInsertId();
    }
    return stored;
}

std::optional<KitData> KitCache::bytes(const KitRef& ref) {
    auto found = contents_.find(ref.kit);
    if (found == contents_.end()) {
        Statement read(db_, "SELECT content FROM kits WHERE id=?");
        read.bind(1, ref.kit);
        if (!read.next()) {
            fault_ = read.fault() ? read.fault()
                                  : DbFault{DbFault::Kind::Damaged, 0, db_.path(),
                                            QStringLiteral("a snapshot names a kit that is not kept")};
            return std::nullopt;
        }
        found = contents_.emplace(ref.kit, KitFromBytes(read.bytes(0))).first;
    }
    KitData kit = found->second;
    kit[ChecksumIndex] = ref.checksum;
    return kit;
}

}  // namespace tamboril::history
