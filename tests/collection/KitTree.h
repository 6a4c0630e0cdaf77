// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A random tree of kit and bulk files for the collection's tests, and a
// reading of such a tree by brute force that shares no code with the
// collection: every file read by its bytes, every kit by its offsets.

#include <QByteArray>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QRandomGenerator>
#include <QString>
#include <QStringList>

#include <array>
#include <set>
#include <vector>

namespace tamboril::test {

inline const QStringList treeNames = {"JAZZ KIT", "Rock", "808 KIT", "techno 2", "Jazz brush",
                                      "ROCK HARD", "House", "Dub", "tamb", "Hip Hop"};

// A whole kit: F0, number, 14 pads (bytes 0..15 each), name, file checksum, F7.
inline QByteArray treeKit(int number, const QString& name, const std::array<int, 14>& sounds,
                          int salt) {
    QByteArray kit(197, '\0');
    kit[0] = char(0xF0);
    kit[1] = 0x41;
    kit[6] = char(number);
    for (int p = 0; p < 14; ++p) {
        kit[10 + 2 * p] = char(sounds[std::size_t(p)] >> 4);
        kit[11 + 2 * p] = char(sounds[std::size_t(p)] & 15);
    }
    kit[60] = char(salt % 128);
    kit[61] = char((salt / 128) % 128);
    const QByteArray text = name.toLatin1().leftJustified(11, ' ', true);
    kit.replace(184, 11, text);
    int sum = 0;
    for (int i = 10; i < 195; ++i) {
        sum += static_cast<unsigned char>(kit[i]);
    }
    kit[195] = char(sum % 128 == 0 ? 0 : 128 - sum % 128);
    kit[196] = char(0xF7);
    return kit;
}

// Makes a tree of about `kitFiles` kit files and `bulks` bulk files under
// root, in nested folders, with duplicates (the same kit under other numbers
// and checksums), kits sharing pads or names, damaged kits, files of other
// sizes, other files, a hidden folder and a link to a folder (neither is
// scanned).
inline void makeKitTree(const QString& root, int kitFiles, int bulks, quint32 seed) {
    QRandomGenerator random(seed);
    QDir().mkpath(root + "/.hidden");
    std::vector<QByteArray> pool;
    auto newKit = [&](int salt) {
        std::array<int, 14> sounds{};
        for (int& s : sounds) {
            s = random.bounded(40) * 6 + random.bounded(2);  // overlaps, not all 256
        }
        if (!pool.empty() && random.bounded(8) == 0) {  // same pads, other content
            const QByteArray& other = pool[random.bounded(quint32(pool.size()))];
            for (int p = 0; p < 14; ++p) {
                sounds[std::size_t(p)] = other[10 + 2 * p] * 16 + other[11 + 2 * p];
            }
        }
        return treeKit(random.bounded(64), treeNames[random.bounded(treeNames.size())], sounds,
                       salt);
    };
    auto pick = [&](int salt) {
        if (!pool.empty() && random.bounded(5) == 0) {  // a duplicate
            QByteArray kit = pool[random.bounded(quint32(pool.size()))];
            kit[6] = char(random.bounded(64));
            kit[195] = char(random.bounded(128));
            return kit;
        }
        pool.push_back(newKit(salt));
        return pool.back();
    };
    auto folder = [&](int i) {
        QString path = root;
        for (int depth = 0; depth < 1 + i % 3; ++depth) {
            path += QStringLiteral("/d%1").arg(random.bounded(3));
        }
        QDir().mkpath(path);
        return path;
    };
    auto write = [](const QString& path, const QByteArray& bytes) {
        QFile file(path);
        if (file.open(QIODevice::WriteOnly)) {
            file.write(bytes);
        }
    };
    for (int i = 0; i < kitFiles; ++i) {
        QByteArray kit = pick(i);
        switch (random.bounded(20)) {
            case 0: kit.truncate(150); break;              // short: damaged
            case 1: kit[196] = 0x00; break;                // no F7: damaged
            case 2: kit[190] = char(0xC1); break;          // not a data byte: damaged
            case 3: kit.append("\xF7\xF7", 2); break;      // 199 bytes: still a kit
            default: break;
        }
        write(folder(i) + QStringLiteral("/k%1.%2").arg(i).arg(i % 7 == 0 ? "SYX" : "syx"), kit);
    }
    for (int b = 0; b < bulks; ++b) {
        QByteArray bulk;
        for (int k = 0; k < 64; ++k) {
            bulk += pick(100000 + b * 64 + k);
        }
        write(folder(b) + QStringLiteral("/bulk%1.syx").arg(b), bulk);
    }
    write(root + "/notes.txt", "notes");
    write(root + "/big.syx", QByteArray(1000, 'x'));
    write(root + "/.hidden/hidden.syx", pool.front());
    QFile::link(root + "/d0", root + "/linked");
}

// One kit as the brute force reads it.
struct TreeKit {
    QString file;
    int position = 0;
    int number = 0;
    QString name;
    std::array<int, 14> sounds{};
    bool damaged = false;
    bool checksumRight = false;
    QByteArray content;  // every byte but 6 and 195
};

inline TreeKit readTreeKit(const QString& file, int position, QByteArray bytes) {
    TreeKit kit;
    kit.file = file;
    kit.position = position;
    const qsizetype size = bytes.size();
    bytes = bytes.left(197).leftJustified(197, '\0', true);
    auto at = [&](int i) { return int(static_cast<unsigned char>(bytes[i])); };
    kit.number = at(6);
    kit.name = QString::fromLatin1(bytes.mid(184, 11));
    for (int p = 0; p < 14; ++p) {
        kit.sounds[std::size_t(p)] = at(10 + 2 * p) * 16 + at(11 + 2 * p);
    }
    kit.damaged = size < 197 || at(0) != 0xF0 || at(196) != 0xF7;
    int sum = 0;
    for (int i = 1; i <= 195; ++i) {
        kit.damaged = kit.damaged || at(i) >= 0x80;
        sum += i >= 10 && i < 195 ? at(i) : 0;
    }
    kit.checksumRight = !kit.damaged && at(195) == (sum % 128 == 0 ? 0 : 128 - sum % 128);
    kit.content = bytes.left(6) + bytes.mid(7, 188) + bytes.mid(196);
    return kit;
}

// Every kit in the *.syx files under root, leaving out hidden folders and
// links to folders, sorted by file and position.
inline std::vector<TreeKit> readTree(const QString& root) {
    std::vector<TreeKit> kits;
    QStringList files;
    QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories |
                                                      QDirIterator::FollowSymlinks);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString inside = path.mid(root.size() + 1);
        if (inside.startsWith('.') || inside.contains("/.") || inside.startsWith("linked/")) {
            continue;
        }
        if (path.endsWith(".syx", Qt::CaseInsensitive)) {
            files << path;
        }
    }
    files.sort();
    for (const QString& path : files) {
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        const QByteArray bytes = file.readAll();
        if (bytes.size() == 12608) {
            for (int k = 0; k < 64; ++k) {
                kits.push_back(readTreeKit(path, k, bytes.mid(k * 197, 197)));
            }
        } else if (!bytes.isEmpty() && bytes.size() <= 200) {
            kits.push_back(readTreeKit(path, 0, bytes));
        }
    }
    return kits;
}

}  // namespace tamboril::test
