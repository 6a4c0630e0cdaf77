// SPDX-License-Identifier: GPL-3.0-or-later
#include "kit/KitCompare.h"

namespace tamboril {

namespace {

std::size_t differingBytes(const KitData& a, const KitData& b, ByteRange range) {
    std::size_t count = 0;
    for (std::size_t i = range.first; i <= range.last; ++i) {
        if (a[i] != b[i]) {
            ++count;
        }
    }
    return count;
}

}  // namespace

KitComparison CompareKits(const KitData& a, const KitData& b) {
    KitComparison result;
    result.startDiffers = a[0] != b[0];
    result.titleDiffers =
        a[KitNumberIndex] != b[KitNumberIndex] ||
        differingBytes(a, b, {KitNameFirst, KitNameFirst + KitNameLength - 1}) > 0;
    for (std::size_t high = PadBytesFirst; high < PadBytesLast; high += 2) {
        if (differingBytes(a, b, {high, high + 1}) > 0) {
            result.pads.push_back(static_cast<int>((high - PadBytesFirst) / 2));
        }
    }
    result.checksumDiffers = a[ChecksumIndex] != b[ChecksumIndex];
    for (const ByteRange& range : UninterpretedRanges) {
        if (const std::size_t count = differingBytes(a, b, range); count > 0) {
            result.uninterpreted.push_back(RangeDifference{range, count});
        }
    }
    return result;
}

}  // namespace tamboril
