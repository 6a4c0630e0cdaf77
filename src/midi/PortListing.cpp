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

}  // namespace tamboril::midi::detail
