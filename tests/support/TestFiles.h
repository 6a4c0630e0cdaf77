// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Small helpers the tests share for making and reading files.

#include "kit/KitImage.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QtTest>

#include <sys/stat.h>

namespace tamboril::test {

inline void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(path));
    QCOMPARE(file.write(bytes), bytes.size());
}

// A named pipe at path: opening it to read waits for a writer.
inline void makeFifo(const QString& path) {
    QVERIFY2(::mkfifo(QFile::encodeName(path).constData(), 0644) == 0, qPrintable(path));
}

inline QByteArray readBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return QByteArray();
    }
    return file.readAll();
}

inline QByteArray toBytes(const KitData& kit) {
    return QByteArray(reinterpret_cast<const char*>(kit.data()), qsizetype(kit.size()));
}

// A well-formed kit: F0 .. F7, kit number, a name, and every other byte
// distinct enough that a shifted or dropped byte shows.
inline KitData sampleKit(std::uint8_t number = 7, const QByteArray& name = "TECHNO KIT ") {
    KitData kit{};
    for (std::size_t i = 0; i < kit.size(); ++i) {
        kit[i] = static_cast<std::uint8_t>((i * 7 + 3) % 128);
    }
    kit[0] = SysExStart;
    kit[KitNumberIndex] = number;
    for (std::size_t p = 0; p < 28; ++p) {
        kit[PadBytesFirst + p] = static_cast<std::uint8_t>(p % 16);
    }
    for (std::size_t i = 0; i < KitNameLength; ++i) {
        kit[KitNameFirst + i] = static_cast<std::uint8_t>(name.at(qsizetype(i)));
    }
    kit[EndIndex] = SysExEnd;
    return kit;
}

// A bulk dump of 64 kits in which kit k carries k in byte 1 and as its kit
// number, so every kit can be told apart from every other.
inline QByteArray sampleBulk() {
    QByteArray bulk;
    for (int k = 0; k < 64; ++k) {
        KitData kit = sampleKit(static_cast<std::uint8_t>(k));
        kit[1] = static_cast<std::uint8_t>(k);
        kit[100] = static_cast<std::uint8_t>(255 - k);
        bulk += toBytes(kit);
    }
    return bulk;
}

}  // namespace tamboril::test
