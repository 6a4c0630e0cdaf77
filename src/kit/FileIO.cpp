#include "FileIO.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace tamboril {

ReadResult ReadFront(const QString& path, qint64 maxBytes) {
    ReadResult result;
    const QFileInfo info(path);
    if (info.isDir()) {
        result.error = FileError{path, QStringLiteral("It is a folder, not a file.")};
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

std::optional<FileError> ReplaceFile(const QString& path, QByteArrayView bytes) {
    if (QFileInfo(path).isDir()) {
        return FileError{path, QStringLiteral("It is a folder, not a file.")};
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return FileError{path, file.errorString()};
    }
    if (file.write(bytes.constData(), bytes.size()) != bytes.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return FileError{path, reason};
    }
    if (!file.commit()) {
        return FileError{path, file.errorString()};
    }
    return std::nullopt;
}

QString ProgramFolder() {
    return QCoreApplication::applicationDirPath();
}

}  // namespace tamboril
