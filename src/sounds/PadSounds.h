// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "kit/KitImage.h"

#include <QString>

#include <optional>

namespace tamboril {

inline constexpr int PadCount = 14;
inline constexpr int SoundCount = 256;

// Pad list entry p (0..13): "KICK 1" .. "BASS".
QString PadName(int pad);

// The instrument's name for sound s (0..255), e.g. "FingB1"; sound 99 is
// "RockS " with its trailing blank.
QString SoundName(int sound);

// Sound list entry s: the number in decimal with at least two digits, a
// blank and the name: "00 FingB1" .. "99 RockS " .. "255 RevFx2".
QString SoundEntry(int sound);

// The value of a hexadecimal text (digits 0-9, A-F, either case); nullopt
// when the text will not convert.
std::optional<int> Hex2Dec(const QString& text);

// What the user is told when Hex2Dec cannot convert text.
QString Hex2DecErrorText(const QString& text);
inline const QString Hex2DecErrorTitle = QStringLiteral("Error");

// High and low hexadecimal digit of sound number v, as stored in a pad's two
// bytes.
std::uint8_t Onebyte(int sound);
std::uint8_t Twobyte(int sound);

// Stores sound (0..255) into pad (0..13): its high digit at 10 + 2 * pad, its
// low digit at 11 + 2 * pad. No other byte changes, not even the checksum.
void StorePadSound(KitData& kit, int pad, int sound);

// The sound list position that shows pad's sound. Bytes holding 0..15 give
// 16 * high + low; a byte above 15 contributes the first digit of its
// two-digit hexadecimal text (high byte) or its last digit (low byte), so
// 0x21, 0x3A shows 42. Always 0..255.
int PadSound(const KitData& kit, int pad);

}  // namespace tamboril
