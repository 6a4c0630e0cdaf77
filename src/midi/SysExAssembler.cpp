// SPDX-License-Identifier: GPL-3.0-or-later
#include "midi/SysExAssembler.h"

#include "kit/KitImage.h"

namespace tamboril::midi {

namespace {
constexpr unsigned FirstRealTime = 0xF8;
constexpr unsigned FirstStatus = 0x80;
}  // namespace

void SysExAssembler::drop() {
    ++dropped_;
    current_.clear();
    inMessage_ = false;
}

bool SysExAssembler::start(char c) {
    if (inMessage_) {
        drop();
    }
    skipping_ = false;
    inMessage_ = true;
    current_.clear();
    // Most messages that come are kits: one allocation each.
    current_.reserve(qsizetype(KitSize));
    current_.append(c);
    return true;
}

bool SysExAssembler::end(char c) {
    if (inMessage_) {
        current_.append(c);
        messages_.append(current_);
        if (current_.size() == static_cast<qsizetype>(KitSize)) {
            ++kitCount_;
        }
        current_.clear();
        inMessage_ = false;
        return true;
    }
    const bool wasSkipping = skipping_;
    skipping_ = false;
    return wasSkipping;
}

bool SysExAssembler::data(char c) {
    if (!inMessage_) {
        return skipping_;
    }
    if (current_.size() + 1 >= maxMessageSize_) {
        // Room is kept for the final F7. However it ends, it is no kit: it
        // is counted as too long, not as cut off.
        ++tooLong_;
        current_.clear();
        inMessage_ = false;
        skipping_ = true;
    } else {
        current_.append(c);
    }
    return true;
}

bool SysExAssembler::feed(QByteArrayView bytes) {
    bool sysEx = false;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= FirstRealTime) {
            continue;
        }
        if (byte == SysExStart) {
            sysEx = start(c) || sysEx;
        } else if (byte == SysExEnd) {
            sysEx = end(c) || sysEx;
        } else if (byte >= FirstStatus) {
            // Any other status byte ends a message unfinished.
            if (inMessage_) {
                drop();
            }
            skipping_ = false;
        } else {
            sysEx = data(c) || sysEx;
        }
    }
    return sysEx;
}

}  // namespace tamboril::midi
