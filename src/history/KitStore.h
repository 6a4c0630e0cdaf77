// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// How the history keeps kits: each distinct kit once, keyed by every byte
// but the checksum, and a snapshot's kits as a packed list of references.
// Used inside the history library only.

#include "history/History.h"
#include "kit/KitImage.h"

#include <QByteArray>
#include <QByteArrayView>

#include <cstdint>
#include <map>
#include <optional>
#include <vector>

namespace tamboril::history {

// One kit of a snapshot: the stored content and the checksum byte it had.
struct KitRef {
    qint64 kit = 0;
    std::uint8_t checksum = 0;
};

// 5 bytes a kit: the id (32 bits, little-endian) and the checksum byte.
QByteArray PackKits(const std::vector<KitRef>& refs);
std::vector<KitRef> UnpackKits(QByteArrayView packed);

struct KitStored {
    qint64 id = 0;
    std::optional<DbFault> fault;
};
// The id of the kit's content (byte 195 left out), stored now when it was
// not kept yet. Inside the caller's transaction.
KitStored StoreKit(Connection& db, const KitData& kit);

// Kit contents by id, each read once.
class KitCache {
  public:
    explicit KitCache(Connection& db) : db_(db) {}
    // The kit's bytes with the checksum of `ref`; nullopt on a fault (or a
    // reference to no kit, which a damaged database may give).
    std::optional<KitData> bytes(const KitRef& ref);
    const std::optional<DbFault>& fault() const { return fault_; }

  private:
    Connection& db_;
    std::map<qint64, KitData> contents_;
    std::optional<DbFault> fault_;
};

}  // namespace tamboril::history
