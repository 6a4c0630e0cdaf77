// SPDX-License-Identifier: GPL-3.0-or-later
#include "bank/KitWords.h"

#include "sounds/PadSounds.h"
#include "kit/BulkSplit.h"
#include "kit/KitFile.h"

#include <QCoreApplication>

namespace tamboril {

namespace {

// Width of the pad name column: the longest pad name ("CLOSED HH") and two blanks.
constexpr int PadColumn = 11;

QString arrow(const QString& a, const QString& b) {
    return a + QStringLiteral(" -> ") + b;
}

QString padBytes(const KitData& kit, int pad) {
    const std::size_t high = PadBytesFirst + 2 * static_cast<std::size_t>(pad);
    return HexByte(kit[high]) + QLatin1Char(' ') + HexByte(kit[high + 1]);
}

QString rangesText(const std::vector<RangeDifference>& ranges) {
    QStringList parts;
    for (const RangeDifference& d : ranges) {
        parts << (d.range.first == d.range.last ? QStringLiteral("byte %1").arg(d.range.first)
                                                : QStringLiteral("%1 to %2 (%3 of %4 bytes)")
                                                      .arg(d.range.first)
                                                      .arg(d.range.last)
                                                      .arg(d.count)
                                                      .arg(d.range.size()));
    }
    return parts.join(QStringLiteral(", "));
}

QString padDifference(const KitData& a, const KitData& b, int pad) {
    const int soundA = PadSound(a, pad);
    const int soundB = PadSound(b, pad);
    QString line = PadLine(pad, arrow(SoundEntry(soundA), SoundEntry(soundB)));
    if (soundA == soundB) {
        line += QStringLiteral(" (stored as %1)").arg(arrow(padBytes(a, pad), padBytes(b, pad)));
    }
    return line;
}

}  // namespace

QString CountedText(qsizetype count, const QString& singular, const QString& plural) {
    return QString(count == 1 ? singular : plural)
        .replace(QLatin1String("%n"), QString::number(count));
}

QString KitsText(qsizetype count) {
    return CountedText(count, QCoreApplication::translate("KitWords", "%n kit"),
                       QCoreApplication::translate("KitWords", "%n kits"));
}

QString HexByte(std::uint8_t value) {
    return QStringLiteral("0x") +
           QStringLiteral("%1").arg(value, 2, 16, QLatin1Char('0')).toUpper();
}

QString Printable(const QString& text) {
    QString shown = text;
    for (QChar& c : shown) {
        if (c.category() == QChar::Other_Control) {
            c = QLatin1Char('.');
        }
    }
    return shown;
}

QString KitStateText(KitState state) {
    switch (state) {
        case KitState::Right:
            return QStringLiteral("right");
        case KitState::Differs:
            return QStringLiteral("differs");
        case KitState::Damaged:
            return QStringLiteral("damaged");
    }
    return QString();
}

QString PadLine(int pad, const QString& sound) {
    return PadName(pad).leftJustified(PadColumn) + sound;
}

QString ChecksumState(const KitData& kit) {
    const std::uint8_t sum = ChecksumFrom(kit, FileChecksumFirst);
    return FileChecksumMatches(kit)
               ? QStringLiteral("yes (%1)").arg(HexByte(kit[ChecksumIndex]))
               : QStringLiteral("no, it holds %1 and the checksum is %2")
                     .arg(HexByte(kit[ChecksumIndex]), HexByte(sum));
}

QStringList DifferenceLines(const KitData& a, const KitData& b, const KitComparison& c) {
    QStringList lines;
    const QString titleA = Printable(KitTitle(a));
    lines << QStringLiteral("Kit title: ") +
                 (c.titleDiffers ? arrow(titleA, Printable(KitTitle(b))) : titleA);
    if (c.startDiffers) {
        lines << QStringLiteral("Byte 0 (start of exclusive): ") +
                     arrow(HexByte(a[0]), HexByte(b[0]));
    }
    for (const int pad : c.pads) {
        lines << padDifference(a, b, pad);
    }
    lines << QStringLiteral("Byte 195 matches the file checksum: ") +
                 arrow(ChecksumState(a), ChecksumState(b));
    if (!c.uninterpreted.empty()) {
        lines << QStringLiteral("Bytes Tamboril does not interpret that differ: ") +
                     rangesText(c.uninterpreted);
    }
    return lines;
}

QString KitNameFaultText(const QString& name, const KitNameFault& fault) {
    if (fault.kind == KitNameFault::Kind::TooLong) {
        return QStringLiteral(
                   "the name \"%1\" is %2 characters long: a kit name has at "
                   "most %3, which the instrument shows")
            .arg(Printable(name))
            .arg(fault.length)
            .arg(KitNameLength);
    }
    const QString character = Printable(QString::fromUcs4(&fault.character, 1));
    return QStringLiteral(
               "the name \"%1\" holds \"%2\" (U+%3, character %4): a kit name takes "
               "printable ASCII only, blank to '~', so that every byte stays a SysEx "
               "data byte below 0x80 and the instrument can show it")
        .arg(Printable(name), character)
        .arg(QString::number(static_cast<uint>(fault.character), 16)
                 .toUpper()
                 .rightJustified(4, QLatin1Char('0')))
        .arg(fault.position + 1);
}

QString KitFileFaultText(const KitFileFault& fault) {
    using Kind = KitFileFault::Kind;
    switch (fault.kind) {
        case Kind::TooLong:
            return QStringLiteral("it is over %1 bytes, so it is not a kit file")
                .arg(MaxKitFileSize);
        case Kind::TooShort:
            return QStringLiteral("it is %1 bytes, not 197: the kit is incomplete").arg(fault.size);
        case Kind::NoStart:
            return QStringLiteral("byte 0 is %1, not 0xF0 (start of exclusive): it is not a kit")
                .arg(HexByte(fault.value));
        case Kind::NoEnd:
            return QStringLiteral(
                       "byte 196 is %1, not 0xF7 (end of exclusive): the kit is incomplete")
                .arg(HexByte(fault.value));
        case Kind::NotDataByte:
            return QStringLiteral(
                       "byte %1 is %2: only bytes up to 0x7F can stand inside a SysEx message")
                .arg(fault.index)
                .arg(HexByte(fault.value));
    }
    return QString();
}

QStringList PositionRuns(const std::vector<int>& positions) {
    QStringList runs;
    for (const auto& [first, last] : ConsecutiveRuns(positions)) {
        runs << (first == last ? QString::number(first)
                               : QStringLiteral("%1 to %2").arg(first).arg(last));
    }
    return runs;
}

QString PositionsText(const std::vector<int>& positions) {
    return CountedText(qsizetype(positions.size()),
                       QCoreApplication::translate("KitWords", "position %1"),
                       QCoreApplication::translate("KitWords", "positions %1"))
        .arg(PositionRuns(positions).join(QStringLiteral(", ")));
}

QString SharedNumberText(const SharedNumber& shared) {
    QStringList runs = PositionRuns(shared.positions);
    const QString last = runs.takeLast();
    const QString positions =
        runs.isEmpty() ? last : runs.join(QStringLiteral(", ")) + QStringLiteral(" and ") + last;
    return QStringLiteral("kits at positions %1 %2 carry number %3")
        .arg(positions,
             shared.positions.size() == 2 ? QStringLiteral("both") : QStringLiteral("all"),
             TwoDigitText(shared.number));
}

}  // namespace tamboril
