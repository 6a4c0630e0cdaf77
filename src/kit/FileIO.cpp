#include "kit/FileIO.h"

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

namespace {

// QSaveFile loses the system's reason in some cases (a name too long for its
// temporary file, for one) and says only "Unknown error"; name the likely
// cause instead of leaving the user with nothing.
QString saveFailureReason(const QSaveFile& file, const QString& path) {
    if (file.error() != QFileDevice::UnspecifiedError && !file.errorString().isEmpty() &&
        file.errorString() != QLatin1String("Unknown error")) {
        return file.errorString();
    }
    const QFileInfo info(path);
    // The temporary file beside the target adds ".XXXXXX" to its name.
    if (info.fileName().toLocal8Bit().size() > 255 - 7) {
        return QStringLiteral("File name too long");
    }
    if (!QFileInfo(info.absolutePath()).isDir()) {
        return QStringLiteral("No such folder: %1").arg(info.absolutePath());
    }
    return QStringLiteral("The file could not be replaced (%1)").arg(file.errorString());
}

}  // namespace

std::optional<FileError> ReplaceFile(const QString& path, QByteArrayView bytes) {
    if (QFileInfo(path).isDir()) {
        return FileError{path, QStringLiteral("It is a folder, not a file.")};
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return FileError{path, saveFailureReason(file, path)};
    }
    if (file.write(bytes.constData(), bytes.size()) != bytes.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return FileError{path, reason};
    }
    if (!file.commit()) {
        return FileError{path, saveFailureReason(file, path)};
    }
    return std::nullopt;
}

QString ProgramFolder() {
    return QCoreApplication::applicationDirPath();
}

}  // namespace tamboril
