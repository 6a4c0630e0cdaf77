// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>

#include <optional>

class QLocalServer;
class QLocalSocket;
class QWidget;

namespace tamboril::library {


// The local socket of the user's one Library, a full path in a folder of the
// user's own.
QString LibrarySocketPath();

// How long a start waits for the running Library to acknowledge its files,
// and how long the running Library waits for a whole message.
inline constexpr int HandOverWaitMs = 5000;

// What came of offering files to the Library on the socket.
enum class HandOver {
    Handed,           // the running Library acknowledged them
    NobodyListening,  // no socket, or a socket nobody listens on
    Unreachable,      // the socket could not be used; `reason` says why
    NoAnswer,         // the connection was taken but not answered in time
    Closed,           // the connection was closed without an answer
    WrongAnswer,      // the answer is not an acknowledgement
};

// What a start of the Library is to do.
enum class Start {
    HandedOver,   // the running Library has the files: end, status 0
    Serving,      // this process is the one Library and listens
    Alone,        // neither reached nor became the one Library; `reason` says why
    NotAnswered,  // a Library took the files but failed to answer; `handOver` says how
};

struct StartOutcome {
    Start start;
    HandOver handOver = HandOver::NobodyListening;
    QString reason;
};

// The bytes a start sends: a length-prefixed, versioned QDataStream message
// holding the absolute paths.
QByteArray HandOverRequest(const QStringList& paths);
// The paths of a message body (without its length prefix); nothing when it
// is not a whole, well-formed message of this version holding absolute paths.
std::optional<QStringList> ReadHandOverRequest(const QByteArray& body);

// One Library per user: a start hands its files to the Library already
// listening on the socket, or becomes the one that listens. Starts racing
// each other take turns through a lock file beside the socket.
class LibraryInstance : public QObject {
    Q_OBJECT

  public:
    explicit LibraryInstance(QString socketPath = LibrarySocketPath(), QObject* parent = nullptr);
    ~LibraryInstance() override;

    const QString& socketPath() const { return socketPath_; }

    // Hands the paths to the running Library, or else listens; a socket left
    // by a Library that died is replaced.
    StartOutcome start(const QStringList& paths);
    // Offers the paths on the socket and waits at most `waitMs` for the
    // acknowledgement.
    HandOver handOver(const QStringList& paths, QString* reason = nullptr,
                      int waitMs = HandOverWaitMs) const;

  signals:
    // Paths another start handed over, emitted from the event loop once the
    // acknowledgement is on its way.
    void filesHanded(const QStringList& paths);

  private:
    void accept();
    void readRequest(QLocalSocket* socket);

    QString socketPath_;
    QLocalServer* server_;
};


}  // namespace tamboril::library
