// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArrayView>
#include <QString>

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace tamboril {

// One drum kit as the complete SysEx message that carries it: start of
// exclusive (0xF0) at index 0, kit number at 6, the 14 pads' sounds at 10..37,
// the kit name at 184..194, the checksum at 195 and end of exclusive at 196.
inline constexpr std::size_t KitSize = 197;
using KitData = std::array<std::uint8_t, KitSize>;

inline constexpr std::uint8_t SysExStart = 0xF0;
inline constexpr std::uint8_t SysExEnd = 0xF7;
inline constexpr std::size_t KitNumberIndex = 6;
inline constexpr std::size_t PadBytesFirst = 10;
inline constexpr std::size_t PadBytesLast = 37;  // two bytes for each of the 14 pads
inline constexpr std::size_t KitNameFirst = 184;
inline constexpr std::size_t KitNameLength = 11;
inline constexpr std::size_t ChecksumIndex = 195;
inline constexpr std::size_t EndIndex = 196;

// The two checksum rules differ only in where the sum starts: files cover
// bytes 10..194, transmission covers 6..194 (kit number and the three bytes
// after it included).
inline constexpr std::size_t FileChecksumFirst = 10;
inline constexpr std::size_t TransmissionChecksumFirst = 6;

// The checksum byte for bytes first..194: a sum of 0 gives 128; any other sum
// gives (128 - sum mod 128) mod 128. Only first = 6 and first = 10 are used.
std::uint8_t ChecksumFrom(const KitData& kit, std::size_t first);

// Stores ChecksumFrom(kit, first) in byte 195.
void StoreChecksum(KitData& kit, std::size_t first);

// True when byte 195 holds the file checksum (bytes 10..194), as Save
// stores it.
bool FileChecksumMatches(const KitData& kit);

// True when byte 0 is the start-of-exclusive byte, which is what makes a kit
// editable.
bool IsEditable(const KitData& kit);

// The kit image whose first byte is bytes[first]: 197 bytes, with zeros for
// any that lie past the end of bytes. Every reader of kit and bulk files
// takes its kits with this.
KitData KitFromBytes(QByteArrayView bytes, qsizetype first = 0);

// Kit number in decimal with at least two digits: "00".."09", "10".."255".
QString KitNumberText(const KitData& kit);
// A number 0..999 in decimal with at least two digits: "05", "42", "200".
QString TwoDigitText(int number);

// The 11 name characters exactly as stored: nothing is trimmed, skipped or
// stopped at, so NUL bytes and trailing blanks stay in the text. Bytes
// 128..255 are read as Windows-1252, the single-byte character set kit files
// have always been written with on the desktop.
QString KitName(const KitData& kit);

// Why text cannot be stored as a kit name. A kit name holds printable
// ASCII characters only (blank to '~'): its bytes travel inside the SysEx
// message, where they must stay below 0x80, and the instrument shows them.
struct KitNameFault {
    enum class Kind {
        TooLong,       // more than KitNameLength characters
        NotPrintable,  // a character outside blank to '~'
    };
    Kind kind = Kind::TooLong;
    qsizetype length = 0;    // characters in the text
    qsizetype position = 0;  // NotPrintable: the first such character, from 0
    char32_t character = 0;  // NotPrintable: that character
};

std::optional<KitNameFault> KitNameProblem(const QString& text);

// Stores name into bytes 184..194, padded with blanks to 11 characters. name
// must pass KitNameProblem. No other byte changes, not even the checksum.
void StoreKitName(KitData& kit, const QString& name);

// Kit number text, " - ", kit name: the text shown above the pad list.
QString KitTitle(const KitData& kit);

// Windows-1252 character for one byte (bytes without a character in that set
// map to the code point of the same value, as the system code page does).
QChar Windows1252Char(std::uint8_t byte);

}  // namespace tamboril
