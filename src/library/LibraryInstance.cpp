// SPDX-License-Identifier: GPL-3.0-or-later
#include "library/LibraryInstance.h"

#include "library/LibraryTexts.h"


#include <QCoreApplication>
#include <QDataStream>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>
#include <QTimer>
#include <QtEndian>

#include <unistd.h>

namespace tamboril::library {

namespace {

constexpr quint32 RequestMagic = 0x544c4252;  // "TLBR"
constexpr quint32 AnswerMagic = 0x544c4241;   // "TLBA"
constexpr quint16 ProtocolVersion = 1;
constexpr int LengthBytes = 4;
// Far beyond any command line; a longer message is dropped unread.
constexpr quint32 MaxRequestBytes = 1 << 20;
constexpr auto WaitTimerName = "handOverWait";

QByteArray Answer() {
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_6_0);
    out << AnswerMagic << ProtocolVersion;
    return bytes;
}

int RemainingMs(const QDeadlineTimer& deadline) {
    return static_cast<int>(qMax<qint64>(0, deadline.remainingTime()));
}

// Reads the running Library's answer to a request already written.
HandOver AwaitAnswer(QLocalSocket& socket, const QDeadlineTimer& deadline) {
    const QByteArray expected = Answer();
    QByteArray answer;
    while (answer.size() < expected.size()) {
        if (socket.bytesAvailable() == 0 && !socket.waitForReadyRead(RemainingMs(deadline))) {
            return socket.error() == QLocalSocket::SocketTimeoutError ? HandOver::NoAnswer
                                                                      : HandOver::Closed;
        }
        answer += socket.read(expected.size() - answer.size());
    }
    return answer == expected ? HandOver::Handed : HandOver::WrongAnswer;
}

QString LockProblem(const QLockFile& lock, const QString& path) {
    switch (lock.error()) {
        case QLockFile::LockFailedError:
            return LockHeldText(path);
        case QLockFile::PermissionError:
            return LockDeniedText(path);
        default:
            return LockUnmadeText(path);
    }
}

}  // namespace

QString LibrarySocketPath() {
    // XDG_RUNTIME_DIR is the folder for a user's sockets: the user's alone,
    // and gone at logout. Where it is unset or not a folder of this user's
    // to write in, Qt's runtime location, which Qt makes private to the user.
    const QFileInfo runtime(QFile::decodeName(qgetenv("XDG_RUNTIME_DIR")));
    const bool usable = runtime.isAbsolute() && runtime.isDir() && runtime.isWritable() &&
                        runtime.ownerId() == ::getuid();
    const QString folder = usable
                               ? runtime.absoluteFilePath()
                               : QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return QDir(folder).filePath(QStringLiteral("tamboril-library.socket"));
}

QByteArray HandOverRequest(const QStringList& paths) {
    QByteArray body;
    QDataStream out(&body, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_6_0);
    out << RequestMagic << ProtocolVersion << static_cast<quint32>(paths.size());
    for (const QString& path : paths) {
        out << path;
    }
    QByteArray request(LengthBytes, '\0');
    qToBigEndian(static_cast<quint32>(body.size()), request.data());
    return request + body;
}

std::optional<QStringList> ReadHandOverRequest(const QByteArray& body) {
    QDataStream in(body);
    in.setVersion(QDataStream::Qt_6_0);
    quint32 magic = 0;
    quint16 version = 0;
    quint32 count = 0;
    in >> magic >> version >> count;
    // Every path takes at least its 4-byte length: a larger count is not
    // believed, nor room made for it.
    const qsizetype header = 4 + 2 + 4;
    if (in.status() != QDataStream::Ok || magic != RequestMagic || version != ProtocolVersion ||
        count > static_cast<quint64>(body.size() - header) / 4) {
        return std::nullopt;
    }
    QStringList paths;
    paths.reserve(count);
    for (quint32 i = 0; i < count; ++i) {
        QString path;
        in >> path;
        if (in.status() != QDataStream::Ok || !QDir::isAbsolutePath(path)) {
            return std::nullopt;
        }
        paths << path;
    }
    return in.atEnd() ? std::optional<QStringList>(paths) : std::nullopt;
}

LibraryInstance::LibraryInstance(QString socketPath, QObject* parent)
    : QObject(parent), socketPath_(std::move(socketPath)), server_(new QLocalServer(this)) {
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_, &QLocalServer::newConnection, this, &LibraryInstance::accept);
}

LibraryInstance::~LibraryInstance() = default;

StartOutcome LibraryInstance::start(const QStringList& paths) {
    // Starts take turns from the look at the socket to the listen: two at
    // once must not both listen, nor one remove the other's new socket.
    const QString lockPath = socketPath_ + QStringLiteral(".lock");
    QLockFile lock(lockPath);
    if (!lock.tryLock(2 * HandOverWaitMs)) {
        return {Start::Alone, HandOver::NobodyListening, LockProblem(lock, lockPath)};
    }
    for (int round = 0; round < 2; ++round) {
        QString reason;
        const HandOver found = handOver(paths, &reason);
        if (found == HandOver::Handed) {
            return {Start::HandedOver, found, {}};
        }
        if (found == HandOver::Unreachable) {
            return {Start::Alone, found, reason};
        }
        if (found != HandOver::NobodyListening) {
            return {Start::NotAnswered, found, reason};
        }
        // Nobody listens: a socket left by a Library that died is removed.
        QLocalServer::removeServer(socketPath_);
        if (server_->listen(socketPath_)) {
            return {Start::Serving, found, {}};
        }
        if (server_->serverError() != QAbstractSocket::AddressInUseError) {
            return {Start::Alone, found, server_->errorString()};
        }
        // Someone listens after all, having come in between: hand over again.
    }
    return {Start::Alone, HandOver::NobodyListening, server_->errorString()};
}

HandOver LibraryInstance::handOver(const QStringList& paths, QString* reason, int waitMs) const {
    const QDeadlineTimer deadline(waitMs);
    QLocalSocket socket;
    socket.connectToServer(socketPath_);
    if (!socket.waitForConnected(waitMs)) {
        switch (socket.error()) {
            case QLocalSocket::ServerNotFoundError:
            case QLocalSocket::ConnectionRefusedError:
                return HandOver::NobodyListening;
            case QLocalSocket::SocketTimeoutError:
                return HandOver::NoAnswer;
            default:
                if (reason != nullptr) {
                    *reason = socket.errorString();
                }
                return HandOver::Unreachable;
        }
    }
    socket.write(HandOverRequest(paths));
    socket.flush();
    return AwaitAnswer(socket, deadline);
}

void LibraryInstance::accept() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readRequest(socket); });
        // A start that never finishes its message is dropped.
        auto* wait = new QTimer(socket);
        wait->setObjectName(QLatin1String(WaitTimerName));
        wait->setSingleShot(true);
        connect(wait, &QTimer::timeout, socket, [socket] {
            socket->abort();
            socket->deleteLater();
        });
        wait->start(HandOverWaitMs);
    }
}

void LibraryInstance::readRequest(QLocalSocket* socket) {
    if (socket->bytesAvailable() < LengthBytes) {
        return;
    }
    const quint32 length = qFromBigEndian<quint32>(socket->peek(LengthBytes).constData());
    if (length > MaxRequestBytes) {
        socket->abort();
        return;
    }
    if (socket->bytesAvailable() < LengthBytes + static_cast<qint64>(length)) {
        return;
    }
    socket->skip(LengthBytes);
    const std::optional<QStringList> paths = ReadHandOverRequest(socket->read(length));
    if (!paths || socket->bytesAvailable() > 0) {
        socket->abort();
        return;
    }
    delete socket->findChild<QTimer*>(QLatin1String(WaitTimerName), Qt::FindDirectChildrenOnly);
    disconnect(socket, &QLocalSocket::readyRead, this, nullptr);
    socket->write(Answer());
    socket->disconnectFromServer();
    // Opening may ask the user: that waits for the event loop, not the start.
    QMetaObject::invokeMethod(
        this, [this, handed = *paths] { emit filesHanded(handed); }, Qt::QueuedConnection);
}

}  // namespace tamboril::library
