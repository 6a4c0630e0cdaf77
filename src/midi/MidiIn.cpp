// SPDX-License-Identifier: GPL-3.0-or-later
#include "midi/MidiIn.h"

#include "midi/JackMidiInput.h"

#include "midi/MidiLog.h"
#include "midi/MidiOut.h"
#include "midi/RtMidiConnection.h"

namespace tamboril::midi {

namespace {

// How long open waits for the source's connection to show.
constexpr std::chrono::milliseconds ConnectWait{2000};

}  // namespace

MidiIn::MidiIn(RtMidiOptions options) : options_(std::move(options)) {}

MidiIn::~MidiIn() {
    if (jack_ || alsa_) {
        close();
    }
}

QString MidiIn::baseText(int code) const {
    switch (code) {
        case BadDeviceId:
            return QStringLiteral("There is no such MIDI input port. ") +
                   detail::PortListing::choosePort(options_);
        case Allocated:
            return QStringLiteral("The MIDI input port is already open.");
        case NoDevice:
            return QStringLiteral("The MIDI input port is no longer available.");
        default:
            break;
    }
    const QString common = ports_.commonText(code);
    return !common.isEmpty() ? common
                             : QStringLiteral("The MIDI system reported an error (%1).").arg(code);
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
    const int rc = opened(wanted, problem);
    if (rc == NoError) {
        alsa_ = std::move(input);
    }
    return rc;
}

int MidiIn::opened(const QString& wanted, const QString& problem) {
    if (!problem.isEmpty()) {
        return ports_.fail(
            NoDevice,
            QStringLiteral("The MIDI input port \"%1\" cannot be opened: %2.").arg(wanted, problem));
    }
    openPortName_ = wanted;
    return NoError;
}

int MidiIn::openJack(const QString& wanted, const QString& ownPort) {
    auto input = std::make_unique<detail::JackMidiInput>();
    const QString problem = input->open(options_.clientName, ownPort, wanted, ConnectWait,
                                        [this](const char* bytes, qsizetype size) {
                                            keep(bytes, size);
                                        });
    const int rc = opened(wanted, problem);
    if (rc == NoError) {
        jack_ = std::move(input);
    }
    return rc;
}

int MidiIn::open(int device, const QString& ownPort) {
    ports_.clearResult();
    if (jack_ || alsa_) {
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
    // Only the listing is RtMidi's; its client goes before ours comes.
    const MidiSystem system = connection->api;
    connection.reset();
    {
        const std::lock_guard lock(mutex_);
        pending_.clear();
    }
    return system == MidiSystem::Alsa ? openAlsa(wanted, ownPort) : openJack(wanted, ownPort);
}

QByteArray MidiIn::read(std::chrono::milliseconds wait) {
    std::unique_lock lock(mutex_);
    if ((jack_ || alsa_) && pending_.isEmpty()) {
        arrived_.wait_for(lock, wait, [this] { return !pending_.isEmpty() || woken_; });
    }
    woken_ = false;
    QByteArray bytes;
    bytes.swap(pending_);
    return bytes;
}

void MidiIn::wake() {
    {
        const std::lock_guard lock(mutex_);
        woken_ = true;
    }
    arrived_.notify_all();
}

QString MidiIn::lostReason() const {
    if (jack_) {
        return jack_->lostReason();
    }
    if (alsa_) {
        return alsa_->lostReason();
    }
    return QString();
}

int MidiIn::overruns() const {
    if (jack_) {
        return jack_->overruns();
    }
    return alsa_ ? alsa_->overruns() : 0;
}

int MidiIn::skippedCycles() const {
    return jack_ ? jack_->skippedCycles() : 0;
}

int MidiIn::close() {
    ports_.clearResult();
    if (!jack_ && !alsa_) {
        return ports_.fail(InvalidHandle, baseText(InvalidHandle));
    }
    // Stops the input thread: no call of keep comes after this.
    jack_.reset();
    alsa_.reset();
    openPortName_.clear();
    return NoError;
}

}  // namespace tamboril::midi
