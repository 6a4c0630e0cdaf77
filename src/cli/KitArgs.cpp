// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/KitArgs.h"

#include "kit/BulkSplit.h"
#include "sounds/PadSounds.h"

#include <QFile>
#include <QStringList>

namespace tamboril::cli {

namespace {

bool sameText(const QString& typed, const QString& known) {
    return typed.simplified().compare(known.simplified(), Qt::CaseInsensitive) == 0;
}

// A plain decimal number within 0..last, leading zeros allowed ("07").
std::optional<int> numberUpTo(const QString& text, int last) {
    const std::optional<int> value = DecimalNumber(text, 3);
    return value && *value <= last ? value : std::nullopt;
}

}  // namespace

std::optional<int> DecimalNumber(const QString& text, int digits) {
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty() || trimmed.size() > digits) {
        return std::nullopt;
    }
    for (const QChar c : trimmed) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) {
            return std::nullopt;
        }
    }
    return trimmed.toInt();
}

std::optional<int> FindPad(const QString& text) {
    if (auto index = numberUpTo(text, PadCount - 1)) {
        return index;
    }
    for (int pad = 0; pad < PadCount; ++pad) {
        if (sameText(text, PadName(pad))) {
            return pad;
        }
    }
    return std::nullopt;
}

std::optional<int> FindSound(const QString& text) {
    if (auto number = numberUpTo(text, SoundCount - 1)) {
        return number;
    }
    // Entries first: they carry the number, so they are never ambiguous.
    for (int sound = 0; sound < SoundCount; ++sound) {
        if (sameText(text, SoundEntry(sound))) {
            return sound;
        }
    }
    for (int sound = 0; sound < SoundCount; ++sound) {
        if (sameText(text, SoundName(sound))) {
            return sound;
        }
    }
    return std::nullopt;
}

QString PadNotFoundText(const QString& text) {
    QStringList names;
    for (int pad = 0; pad < PadCount; ++pad) {
        names << PadName(pad);
    }
    return QStringLiteral("no pad \"%1\": give 0 to 13 or a pad name (%2)")
        .arg(text, names.join(QStringLiteral(", ")));
}

QString SoundNotFoundText(const QString& text) {
    return QStringLiteral(
               "no sound \"%1\": give a number 0 to 255, a sound list entry such as "
               "\"49 808 K1\" or a sound name such as \"808 K1\"")
        .arg(text);
}

QString KitSizeWarning(const QString& path, qint64 fileSize) {
    const auto expected = static_cast<qint64>(KitSize);
    if (fileSize == expected) {
        return QString();
    }
    return QStringLiteral("%1 is %2 bytes, not %3: %4")
        .arg(path)
        .arg(fileSize)
        .arg(expected)
        .arg(fileSize < expected
                 ? QStringLiteral("the bytes after its end read as 0")
                 : QStringLiteral("the bytes after the 197th are not part of the kit"));
}

QString BulkSizeWarning(const QString& path, qint64 fileSize) {
    if (fileSize == BulkSize) {
        return QString();
    }
    return QStringLiteral("%1 is %2 bytes, not %3 (64 kits of 197 bytes): %4")
        .arg(path)
        .arg(fileSize)
        .arg(BulkSize)
        .arg(fileSize < BulkSize ? QStringLiteral("the bytes after its end read as 0")
                                 : QStringLiteral("the bytes after the 12608th are ignored"));
}

QString ArgText(const std::string& arg) {
    return QString::fromLocal8Bit(arg.data(), static_cast<qsizetype>(arg.size()));
}

QString ArgPath(const std::string& arg) {
    return QFile::decodeName(QByteArray(arg.data(), static_cast<qsizetype>(arg.size())));
}

QString WithoutFullStop(const QString& reason) {
    return reason.endsWith(QLatin1Char('.')) ? reason.chopped(1) : reason;
}

QString AfterFailedWrite(const FileError& failure, const QString& usual) {
    return failure.oldContentIn.isEmpty()
               ? usual
               : QStringLiteral("The file may be damaged: its old content is kept in %1.")
                     .arg(failure.oldContentIn);
}

QString CannotWriteText(const FileError& failure, const QString& usual) {
    return QStringLiteral("cannot write %1: %2. %3")
        .arg(failure.file, WithoutFullStop(failure.reason), AfterFailedWrite(failure, usual));
}

}  // namespace tamboril::cli
