// SPDX-License-Identifier: GPL-3.0-or-later
#include "kit/FileIO.h"

#include <QCoreApplication>
#include <QFile>
#include <QStringList>

#include <dirent.h>
#include <sys/stat.h>

#include <memory>

namespace tamboril {

std::optional<QString> NameNotKept(const QByteArray& name) {
    if (QFile::encodeName(QFile::decodeName(name)) == name) {
        return std::nullopt;
    }
    return QStringLiteral(
               "The name %1 is not UTF-8 text: Tamboril would take it for another name. Rename "
               "the file (or folder) to a UTF-8 name.")
        .arg(EscapedName(name));
}

QString EscapedName(const QByteArray& name) {
    QString text = QStringLiteral("\"");
    for (const char byte : name) {
        const auto value = static_cast<unsigned char>(byte);
        text += value >= 0x20 && value < 0x7F
                    ? QString(QLatin1Char(byte))
                    : QStringLiteral("\\x") +
                          QStringLiteral("%1").arg(value, 2, 16, QLatin1Char('0')).toUpper();
    }
    return text + QLatin1Char('"');
}

namespace {

// Whether folder holds a name that reads as `part` but has other bytes.
bool holdsLookAlike(const QString& folder, const QString& part) {
    const QByteArray wanted = QFile::encodeName(part);
    const QByteArray where = QFile::encodeName(folder);
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(where.constData()), ::closedir);
    if (!dir) {
        return false;
    }
    while (const dirent* entry = ::readdir(dir.get())) {
        const QByteArray name(entry->d_name);
        if (name != wanted && QFile::decodeName(name) == part) {
            return true;
        }
    }
    return false;
}

}  // namespace

std::optional<QString> AmbiguousName(const QString& path) {
    if (!path.contains(QChar::ReplacementCharacter)) {
        return std::nullopt;
    }
    const QStringList parts = path.split(QLatin1Char('/'));
    for (qsizetype i = 0; i < parts.size(); ++i) {
        if (!parts[i].contains(QChar::ReplacementCharacter)) {
            continue;
        }
        QString folder = parts.mid(0, i).join(QLatin1Char('/'));
        if (folder.isEmpty()) {
            folder = i > 0 ? QStringLiteral("/") : QStringLiteral(".");
        }
        if (holdsLookAlike(folder, parts[i])) {
            return QStringLiteral(
                       "Its name holds U+FFFD, and %1 holds a name that is not UTF-8 text "
                       "and reads the same: Tamboril cannot tell the two apart. Rename that "
                       "file (or folder) to a UTF-8 name.")
                .arg(folder);
        }
    }
    return std::nullopt;
}

std::optional<QString> NotARegularFile(const QString& path) {
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0) {
        return std::nullopt;  // missing or unreachable: opening it says why
    }
    const auto kind = [](mode_t mode) -> const char* {
        if (S_ISDIR(mode)) {
            return "a folder";
        }
        if (S_ISFIFO(mode)) {
            return "a named pipe";
        }
        if (S_ISSOCK(mode)) {
            return "a socket";
        }
        if (S_ISCHR(mode) || S_ISBLK(mode)) {
            return "a device";
        }
        return nullptr;
    };
    if (const char* what = kind(info.st_mode)) {
        return QStringLiteral("It is %1, not a file.").arg(QLatin1String(what));
    }
    return std::nullopt;
}

ReadResult ReadFront(const QString& path, qint64 maxBytes) {
    ReadResult result;
    if (const std::optional<QString> ambiguous = AmbiguousName(path)) {
        result.error = FileError{path, *ambiguous};
        return result;
    }
    // Checked before opening: opening a named pipe waits for a writer, and
    // reading a device may never end.
    if (const std::optional<QString> refused = NotARegularFile(path)) {
        result.error = FileError{path, *refused};
        return result;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.error = FileError{path, file.errorString()};
        return result;
    }
    // Loop: pipes and devices may hand over less than asked for in one read.
    while (result.bytes.size() < maxBytes) {
        const QByteArray chunk = file.read(maxBytes - result.bytes.size());
        if (chunk.isEmpty()) {
            if (file.error() != QFileDevice::NoError) {
                result.error = FileError{path, file.errorString()};
                result.bytes.clear();
                return result;
            }
            break;  // end of file
        }
        result.bytes.append(chunk);
    }
    return result;
}

QString ProgramFolder() {
    return QCoreApplication::applicationDirPath();
}

}  // namespace tamboril
