// SPDX-License-Identifier: GPL-3.0-or-later
#include "midi/PortListing.h"

#include "midi/MidiLog.h"
#include "midi/MidiOut.h"
#include "midi/RtMidiConnection.h"

namespace tamboril::midi::detail {

namespace {

QString kind(Direction direction) {
    return direction == Direction::Input ? QStringLiteral("input") : QStringLiteral("output");
}

}  // namespace

PortListing::PortListing(Direction direction) : direction_(direction) {}

void PortListing::clearResult() {
    lastCode_ = NoError;
    lastDetail_.clear();
}

int PortListing::fail(int code, const QString& detail) {
    lastCode_ = code;
    lastDetail_ = detail;
    qCDebug(lcMidi) << "MIDI" << kind(direction_) << "error" << code << detail;
    return code;
}

QString PortListing::errorText(int code, const QString& baseText) const {
    if (code != NoError && code == lastCode_ && !lastDetail_.isEmpty()) {
        return lastDetail_;
    }
    return baseText;
}

int PortListing::connect(const RtMidiOptions& options,
                         std::unique_ptr<RtMidiConnection>& connection) {
    const ConnectResult result = ConnectRtMidi(options, direction_, connection);
    systemName_ = result.systemName;
    return result.code == NoError ? NoError : fail(result.code, result.detail);
}

int PortListing::list(const RtMidiOptions& options) {
    clearResult();
    listed_.clear();
    hasListing_ = true;
    std::unique_ptr<RtMidiConnection> connection;
    if (connect(options, connection) != NoError) {
        return 0;
    }
    for (const QString& port : connection->portNames()) {
        if (!port.isEmpty()) {
            listed_.append(port);
        }
    }
    return int(listed_.size());
}

int PortListing::name(const RtMidiOptions& options, int device, QString& name) {
    clearResult();
    if (!hasListing_) {
        list(options);
    }
    if (device < 0 || device >= listed_.size()) {
        return fail(BadDeviceId, QStringLiteral("There is no MIDI %1 port number %2.")
                                     .arg(kind(direction_))
                                     .arg(device));
    }
    name = listed_.at(device);
    return NoError;
}

qsizetype PortListing::findAgain(const QStringList& current, int device, const QString& wanted) {
    return device < current.size() && current.at(device) == wanted ? device
                                                                   : current.indexOf(wanted);
}

namespace {

QString WithAdvice(QString text, const QString& advice) {
    if (!advice.isEmpty()) {
        text += QLatin1Char(' ') + advice;
    }
    return text + QLatin1Char('.');
}

}  // namespace

QString PortListing::choosePort(const RtMidiOptions& options) {
    return WithAdvice(QStringLiteral("Choose a port"), options.portAdvice);
}

QString PortListing::choosePortAgain(const RtMidiOptions& options) {
    return WithAdvice(QStringLiteral("Choose a port again"), options.portAdvice);
}

int PortListing::findChosen(const RtMidiOptions& options, RtMidiConnection& connection,
                            int device, QString& wanted, qsizetype& index) {
    const QStringList current = connection.portNames();
    const qsizetype known = hasListing_ ? listed_.size() : current.size();
    if (device < 0 || device >= known || (!hasListing_ && current.at(device).isEmpty())) {
        return fail(BadDeviceId, QStringLiteral("There is no MIDI %1 port number %2. ")
                                         .arg(kind(direction_))
                                         .arg(device) +
                                     choosePort(options));
    }
    if (!hasListing_) {
        index = device;
        wanted = current.at(device);
        return NoError;
    }
    wanted = listed_.at(device);
    index = findAgain(current, device, wanted);
    if (index < 0) {
        return fail(NoDevice, QStringLiteral("The MIDI %1 port \"%2\" is no longer available. ")
                                      .arg(kind(direction_), wanted) +
                                  choosePortAgain(options));
    }
    return NoError;
}

int PortListing::connectToChosen(const RtMidiOptions& options, int device,
                                 std::unique_ptr<RtMidiConnection>& connection, QString& wanted,
                                 qsizetype& index) {
    if (const int rc = connect(options, connection); rc != NoError) {
        return rc;
    }
    return findChosen(options, *connection, device, wanted, index);
}

namespace {

// What a failed openPort means for the user: the port is gone or refused
// (NoDevice), memory ran out, or the MIDI system failed otherwise.
int OpenFailureCode(RtMidiError::Type type) {
    switch (type) {
        case RtMidiError::MEMORY_ERROR:
            return NoMemory;
        case RtMidiError::WARNING:
        case RtMidiError::NO_DEVICES_FOUND:
        case RtMidiError::INVALID_DEVICE:
        case RtMidiError::INVALID_PARAMETER:
            return NoDevice;
        default:
            return Error;
    }
}

}  // namespace

int PortListing::openPort(RtMidiConnection& connection, qsizetype index, const QString& ownPort,
                          const QString& wanted) {
    const bool opened = connection.call(
        [&] { connection.rt->openPort(unsigned(index), ownPort.toStdString()); });
    if (opened && connection.rt->isPortOpen()) {
        return NoError;
    }
    const QString reason = connection.errors.failed
                               ? ReasonText(connection.errors.text)
                               : QStringLiteral("the MIDI system did not open it");
    const int code = OpenFailureCode(connection.errors.type);
    connection.call([&] { connection.rt->closePort(); });
    return fail(code, QStringLiteral("The MIDI %1 port \"%2\" cannot be opened: %3.")
                          .arg(kind(direction_), wanted, reason));
}

QString PortListing::commonText(int code) const {
    const QString port = kind(direction_);
    switch (code) {
        case NoError:
            return QStringLiteral("The MIDI operation succeeded.");
        case NotEnabled:
            return QStringLiteral(
                "No MIDI system is available: neither the ALSA sequencer nor a JACK server.");
        case InvalidHandle:
            return QStringLiteral("No MIDI %1 port is open.").arg(port);
        case NoDriver:
            return QStringLiteral("The MIDI system asked for is not supported.");
        case NoMemory:
            return QStringLiteral("There is not enough memory for the MIDI %1.").arg(port);
        default:
            return QString();
    }
}

}  // namespace tamboril::midi::detail
