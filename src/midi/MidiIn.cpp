// SPDX-License-Identifier: GPL-3.0-or-later
#include "midi/MidiIn.h"

#include "midi/MidiLog.h"
#include "midi/MidiOut.h"
#include "midi/RtMidiConnection.h"

namespace tamboril::midi {

MidiIn::MidiIn(RtMidiOptions options) : options_(std::move(options)) {}

MidiIn::~MidiIn() {
    if (open_ || alsa_) {
        close();
    }
}

QString MidiIn::baseText(int code) const {
    switch (code) {
        case NoError:
            return QStringLiteral("The MIDI operation succeeded.");
        case BadDeviceId:
            return QStringLiteral("There is no such MIDI input port. ") +
                   detail::PortListing::choosePort(options_);
        case NotEnabled:
            return QStringLiteral(
                "No MIDI system is available: neither the ALSA sequencer nor a JACK server.");
        case Allocated:
            return QStringLiteral("The MIDI input port is already open.");
        case InvalidHandle:
            return QStringLiteral("No MIDI input port is open.");
        case NoDriver:
            return QStringLiteral("The MIDI system asked for is not supported.");
        case NoMemory:
            return QStringLiteral("There is not enough memory for the MIDI input.");
        case NoDevice:
            return QStringLiteral("The MIDI input port is no longer available.");
        default:
            return QStringLiteral("The MIDI system reported an error (%1).").arg(code);
    }
}

QString MidiIn::errorText(int code) const {
    return ports_.errorText(code, baseText(code));
}

int MidiIn::numDevs() {
    return ports_.list(options_);
}

int MidiIn::devName(int device, QString& name) {
    return ports_.name(options_, device, name);
}

void MidiIn::keep(const char* bytes, qsizetype size) {
    {
        const std::lock_guard lock(mutex_);
        pending_.append(bytes, size);
    }
    arrived_.notify_one();
}

void MidiIn::onMessage(double, std::vector<unsigned char>* message, void* self) {
    if (message == nullptr || message->empty()) {
        return;
    }
    static_cast<MidiIn*>(self)->keep(reinterpret_cast<const char*>(message->data()),
                                     static_cast<qsizetype>(message->size()));
}

int MidiIn::openAlsa(const QString& wanted, const QString& ownPort) {
    const detail::SeqAddress source = detail::SeqAddressOfPortName(wanted);
    if (!source.valid()) {
        return ports_.fail(Error, QStringLiteral("The MIDI input port \"%1\" has no sequencer "
                                                 "address in its name.")
                                      .arg(wanted));
    }
    auto input = std::make_unique<detail::AlsaSeqInput>();
    const QString problem = input->open(options_.clientName, ownPort, source,
                                        [this](const char* bytes, qsizetype size) {
                                            keep(bytes, size);
                                        });
    if (!problem.isEmpty()) {
        return ports_.fail(
            NoDevice,
            QStringLiteral("The MIDI input port \"%1\" cannot be opened: %2.").arg(wanted, problem));
    }
    alsa_ = std::move(input);
    openPortName_ = wanted;
    return NoError;
}

int MidiIn::open(int device, const QString& ownPort) {
    ports_.clearResult();
    if (open_ || alsa_) {
        return ports_.fail(
            Allocated,
            QStringLiteral("The MIDI input port \"%1\" is still open.").arg(openPortName_));
    }
    std::unique_ptr<detail::RtMidiConnection> connection;
    QString wanted;
    qsizetype index = -1;
    if (const int rc = ports_.connectToChosen(options_, device, connection, wanted, index);
        rc != NoError) {
        return rc;
    }
    if (connection->api == MidiSystem::Alsa) {
        // Only the listing was RtMidi's; its client goes before ours comes.
        connection.reset();
        {
            const std::lock_guard lock(mutex_);
            pending_.clear();
        }
        return openAlsa(wanted, ownPort);
    }
    listen(*connection);
    if (const int rc = ports_.openPort(*connection, index, ownPort, wanted); rc != NoError) {
        return rc;
    }
    // RtMidi's JACK input ignores a failed connection; make sure the source is
    // connected to the port.
    if (connection->watch &&
        !connection->watch->isConnected(wanted, options_.clientName, ownPort)) {
        connection->call([&] { connection->in().closePort(); });
        return ports_.fail(NoDevice,
                           QStringLiteral("The MIDI input port \"%1\" could not be connected; "
                                          "it may have gone away.")
                               .arg(wanted));
    }
    open_ = std::move(connection);
    openPortName_ = wanted;
    return NoError;
}

void MidiIn::listen(detail::RtMidiConnection& connection) {
    {
        const std::lock_guard lock(mutex_);
        pending_.clear();
    }
    // SysEx is what this input is for; clock and active sensing are not
    // wanted, and RtMidi drops them where they come as messages of their own.
    connection.call([&] {
        connection.in().setCallback(&MidiIn::onMessage, this);
        connection.in().ignoreTypes(false, true, true);
    });
}

QByteArray MidiIn::read(std::chrono::milliseconds wait) {
    std::unique_lock lock(mutex_);
    if ((open_ || alsa_) && pending_.isEmpty()) {
        arrived_.wait_for(lock, wait, [this] { return !pending_.isEmpty(); });
    }
    QByteArray bytes;
    bytes.swap(pending_);
    return bytes;
}

QString MidiIn::lostReason() const {
    if (open_ && open_->watch && open_->watch->serverGone()) {
        return open_->watch->goneReason();
    }
    if (alsa_) {
        return alsa_->lostReason();
    }
    return QString();
}

int MidiIn::overruns() const {
    return alsa_ ? alsa_->overruns() : 0;
}

int MidiIn::close() {
    ports_.clearResult();
    if (alsa_) {
        // Stops the input thread: no call of keep comes after this.
        alsa_.reset();
        openPortName_.clear();
        return NoError;
    }
    if (!open_) {
        return ports_.fail(InvalidHandle, baseText(InvalidHandle));
    }
    const bool closed = open_->call([this] { open_->in().closePort(); });
    const QString reason = detail::ReasonText(open_->errors.text);
    // Destroying RtMidi's object ends its client; no call of onMessage comes
    // after this.
    open_.reset();
    const QString name = openPortName_;
    openPortName_.clear();
    if (!closed) {
        return ports_.fail(Error,
                           QStringLiteral("The MIDI input port \"%1\" did not close cleanly: %2.")
                               .arg(name, reason));
    }
    return NoError;
}

}  // namespace tamboril::midi
