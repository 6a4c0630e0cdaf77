// SPDX-License-Identifier: GPL-3.0-or-later
#include "kit/KitImage.h"

#include <QList>

#include <algorithm>
#include <cassert>

namespace tamboril {

std::uint8_t ChecksumFrom(const KitData& kit, std::size_t first) {
    assert(first <= ChecksumIndex - 1);
    std::int32_t sum = 0;
    for (std::size_t i = first; i < ChecksumIndex; ++i) {
        sum += kit[i];
    }
    // The instrument's rule, kept to the letter: the test is strictly greater,
    // so a remainder of exactly 128 stays 128 and stores 0, and a sum of 0
    // stores 128.
    while (sum > 128) {
        sum -= 128;
    }
    return static_cast<std::uint8_t>(128 - sum);
}

void StoreChecksum(KitData& kit, std::size_t first) {
    kit[ChecksumIndex] = ChecksumFrom(kit, first);
}

bool FileChecksumMatches(const KitData& kit) {
    return kit[ChecksumIndex] == ChecksumFrom(kit, FileChecksumFirst);
}

bool IsEditable(const KitData& kit) {
    return kit[0] == SysExStart;
}

QString TwoDigitText(int number) {
    return number <= 9 ? QStringLiteral("0") + QString::number(number) : QString::number(number);
}

QString KitNumberText(const KitData& kit) {
    return TwoDigitText(kit[KitNumberIndex]);
}

QChar Windows1252Char(std::uint8_t byte) {
    // 0x80..0x9F are the only bytes where Windows-1252 and Latin-1 differ.
    static constexpr char16_t high[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
    };
    if (byte >= 0x80 && byte <= 0x9F) {
        return QChar(high[byte - 0x80]);
    }
    return QChar(static_cast<char16_t>(byte));
}

QString KitName(const KitData& kit) {
    QString name;
    name.reserve(static_cast<qsizetype>(KitNameLength));
    for (std::size_t i = 0; i < KitNameLength; ++i) {
        name.append(Windows1252Char(kit[KitNameFirst + i]));
    }
    return name;
}

std::optional<KitNameFault> KitNameProblem(const QString& text) {
    const QList<uint> characters = text.toUcs4();
    for (qsizetype i = 0; i < characters.size(); ++i) {
        if (characters[i] < ' ' || characters[i] > '~') {
            return KitNameFault{KitNameFault::Kind::NotPrintable, characters.size(), i,
                                static_cast<char32_t>(characters[i])};
        }
    }
    if (characters.size() > static_cast<qsizetype>(KitNameLength)) {
        return KitNameFault{KitNameFault::Kind::TooLong, characters.size(), 0, 0};
    }
    return std::nullopt;
}

void StoreKitName(KitData& kit, const QString& name) {
    assert(!KitNameProblem(name));
    const QByteArray bytes =
        name.toLatin1().leftJustified(static_cast<qsizetype>(KitNameLength), ' ', true);
    std::copy_n(bytes.constData(), KitNameLength,
                reinterpret_cast<char*>(kit.data()) + KitNameFirst);
}

KitData KitFromBytes(QByteArrayView bytes, qsizetype first) {
    KitData kit{};
    if (first >= 0 && first < bytes.size()) {
        const auto count =
            std::min<std::size_t>(KitSize, static_cast<std::size_t>(bytes.size() - first));
        std::copy_n(reinterpret_cast<const std::uint8_t*>(bytes.data()) + first, count,
                    kit.begin());
    }
    return kit;
}

QString KitTitle(const KitData& kit) {
    return KitNumberText(kit) + QStringLiteral(" - ") + KitName(kit);
}

}  // namespace tamboril
