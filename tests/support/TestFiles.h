// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Small helpers the tests share for making and reading files.

#include "kit/KitImage.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tamboril::test {

inline void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(path));
    QCOMPARE(file.write(bytes), bytes.size());
}

// Writes a file whose name is given as bytes, which need not be UTF-8.
inline void writeBytesNamed(const QByteArray& rawPath, const QByteArray& bytes) {
    const int fd = ::open(rawPath.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    QVERIFY2(fd >= 0, rawPath.constData());
    QCOMPARE(::write(fd, bytes.constData(), std::size_t(bytes.size())), ssize_t(bytes.size()));
    ::close(fd);
}

inline QByteArray readBytesNamed(const QByteArray& rawPath) {
    QByteArray bytes(4096, '\0');
    const int fd = ::open(rawPath.constData(), O_RDONLY);
    const ssize_t got = fd < 0 ? -1 : ::read(fd, bytes.data(), std::size_t(bytes.size()));
    if (fd >= 0) {
        ::close(fd);
    }
    return got < 0 ? QByteArray() : bytes.left(got);
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
