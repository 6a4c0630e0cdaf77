// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "kit/KitImage.h"

#include <array>
#include <cstddef>
#include <vector>

namespace tamboril {

// Bytes first..last of the kit image, both included.
struct ByteRange {
    std::size_t first = 0;
    std::size_t last = 0;

    std::size_t size() const { return last - first + 1; }
};

// The parts of the kit image that Tamboril carries unchanged without reading
// them: bytes 1 to 5, 7 to 9, 38 to 183 and the end of exclusive in 196.
inline constexpr std::array<ByteRange, 4> UninterpretedRanges = {{
    {1, 5},
    {7, 9},
    {PadBytesLast + 1, KitNameFirst - 1},
    {EndIndex, EndIndex},
}};

// A range in which two kits differ, and in how many of its bytes.
struct RangeDifference {
    ByteRange range;
    std::size_t count = 0;
};

// Where two kit images differ, part by part of the layout. Every byte of
// the image belongs to exactly one part.
struct KitComparison {
    bool startDiffers = false;                   // byte 0
    bool titleDiffers = false;                   // kit number (6) or name (184..194)
    std::vector<int> pads;                       // pads (0..13) whose two bytes differ
    bool checksumDiffers = false;                // byte 195
    std::vector<RangeDifference> uninterpreted;  // of UninterpretedRanges

    bool equal() const {
        return !startDiffers && !titleDiffers && pads.empty() && !checksumDiffers &&
               uninterpreted.empty();
    }
};

KitComparison CompareKits(const KitData& a, const KitData& b);

}  // namespace tamboril
