// SPDX-License-Identifier: GPL-3.0-or-later
#include "midi/RtMidiOutput.h"

#include "midi/AlsaSeqProbe.h"
#include "midi/JackWatch.h"
#include "midi/MidiLog.h"
#include "midi/RtMidiConnection.h"
#include "midi/WireFormat.h"

#include <RtMidi.h>

#include <algorithm>

namespace tamboril::midi {

namespace {

// The name of the program's own output port (the client name comes from the
// options).
const QString OutPortName = QStringLiteral("out");

// JACK process cycles to wait after handing a message over before it counts
// as delivered. The watch ticks once per cycle. The first tick after the
// count read at the hand-over may come from a cycle that was already under
// way; the second is in a cycle that surely began later, in which RtMidi's
// client moves the message into its port. The receiver reads it in that
// cycle, or in the next one if it runs before the sender in the graph. The
// fourth tick means both of those cycles have finished.
constexpr std::uint64_t CyclesToDeliver = 4;

// Process cycles to let pass after a port was opened and connected.
constexpr std::uint64_t SettleCycles = 2;

}  // namespace

QString RtMidiOutput::choosePort() const {
    return detail::PortListing::choosePort(options_);
}

QString RtMidiOutput::choosePortAgain() const {
    return detail::PortListing::choosePortAgain(options_);
}

QString RtMidiOutput::baseText(int code) const {
    switch (code) {
        case Error:
            return QStringLiteral("The MIDI system reported an error.");
        case BadDeviceId:
            return QStringLiteral("There is no such MIDI output port. ") + choosePort();
        case Allocated:
            return QStringLiteral("The MIDI output port is already in use.");
        case InvalidParam:
            return QStringLiteral("The MIDI message is empty or too long.");
        case NotPrepared:
            return QStringLiteral("No MIDI message has been prepared for sending.");
        case StillPlaying:
            return QStringLiteral("The MIDI message is still being sent.");
        case NotReady:
            return QStringLiteral("The MIDI output port did not accept the message.");
        case NoDevice:
            return QStringLiteral("The MIDI output port is no longer available. ") +
                   choosePortAgain();
        default:
            break;
    }
    const QString common = ports_.commonText(code);
    return !common.isEmpty() ? common : QStringLiteral("Unknown MIDI error %1.").arg(code);
}

RtMidiOutput::RtMidiOutput(RtMidiOptions options) : options_(std::move(options)) {}

RtMidiOutput::~RtMidiOutput() {
    if (open_) {
        close();
    }
}

int RtMidiOutput::numDevs() {
    const int count = ports_.list(options_);
    unavailable_ = ports_.lastCode() == NoError ? QString() : ports_.lastDetail();
    return count;
}

int RtMidiOutput::devName(int device, QString& name) {
    return ports_.name(options_, device, name);
}

int RtMidiOutput::open(int device) {
    ports_.clearResult();
    if (const int rc = checkChoice(device); rc != NoError) {
        return rc;
    }
    std::unique_ptr<Connection> connection;
    QString wanted;
    qsizetype index = -1;
    if (const int rc = ports_.connectToChosen(options_, device, connection, wanted, index);
        rc != NoError) {
        return rc;
    }
    if (const int rc = ports_.openPort(*connection, index, OutPortName, wanted); rc != NoError) {
        return rc;
    }
    if (const int rc = settleConnection(*connection, wanted); rc != NoError) {
        return rc;
    }
    if (connection->api == MidiSystem::Alsa) {
        // Without the probe a destination that goes away cannot be seen;
        // sending still works, as it always did.
        probe_ = detail::AlsaSeqProbe::open();
    }
    open_ = std::move(connection);
    openPortName_ = wanted;
    message_.clear();
    prepared_ = false;
    inFlight_ = false;
    inFlightReported_ = false;
    return NoError;
}

int RtMidiOutput::checkChoice(int device) {
    if (open_) {
        return ports_.fail(
            Allocated,
            QStringLiteral("The MIDI output port \"%1\" is still open.").arg(openPortName_));
    }
    if (device == DefaultDevice) {
        // With no MIDI system there is no port to choose either: say why.
        return ports_.fail(
            BadDeviceId,
            unavailable_.isEmpty()
                ? QStringLiteral("This system has no default MIDI output port. ") + choosePort()
                : QStringLiteral("This system has no default MIDI output port.\n") + unavailable_);
    }
    if (device < 0) {
        return ports_.fail(BadDeviceId,
                           QStringLiteral("No MIDI output port has been chosen. ") + choosePort());
    }
    return NoError;
}

int RtMidiOutput::settleConnection(Connection& connection, const QString& wanted) {
    // RtMidi's JACK output looks the port up by number once more and ignores
    // a failed connection; make sure the port is the one asked for. The
    // server shows a new connection from its next cycle on, and adding the
    // program's clients changes its graph, which can make it skip a cycle:
    // wait a few cycles, so that the connection shows and an xrun seen later,
    // while a message is on its way, is one that can really have cost it.
    JackWatch* watch = connection.watch.get();
    if (watch == nullptr) {
        return NoError;
    }
    QString source;
    bool following = false;
    watch->waitCycles(watch->cycles(), SettleCycles,
                      std::chrono::steady_clock::now() +
                          std::min(options_.deliveryTimeout, std::chrono::milliseconds(500)),
                      [&] {
                          if (source.isEmpty()) {
                              source = watch->connectedPort(wanted, options_.clientName,
                                                            OutPortName);
                              following = !source.isEmpty() && watch->followSends(source, wanted);
                          }
                          return !source.isEmpty() && (!following || watch->followingSends());
                      });
    if (!source.isEmpty()) {
        if (!following) {
            qCDebug(lcMidi) << "Messages leaving" << source << "cannot be followed";
        }
        return NoError;
    }
    connection.call([&] { connection.rt->closePort(); });
    return ports_.fail(NoDevice, QStringLiteral("The MIDI output port \"%1\" could not be "
                                                "connected; it may have gone away. ")
                                         .arg(wanted) +
                                     choosePortAgain());
}

int RtMidiOutput::prepareHeader(QByteArrayView message) {
    ports_.clearResult();
    if (!open_) {
        return ports_.fail(InvalidHandle, baseText(InvalidHandle));
    }
    if (inFlight_) {
        return ports_.fail(StillPlaying,
                           QStringLiteral("The previous message to \"%1\" is still being sent.")
                               .arg(openPortName_));
    }
    if (message.isEmpty()) {
        return ports_.fail(InvalidParam, QStringLiteral("The MIDI message is empty."));
    }
    if (message.size() > MaxMessageSize) {
        return ports_.fail(InvalidParam,
                           QStringLiteral("The MIDI message is %1 bytes long; at most %2 "
                                          "bytes can be sent at once.")
                               .arg(message.size())
                               .arg(MaxMessageSize));
    }
    message_ = message.toByteArray();
    prepared_ = true;
    return NoError;
}

int RtMidiOutput::longMsg() {
    ports_.clearResult();
    if (const int rc = checkReadyToSend(); rc != NoError) {
        return rc;
    }
    Connection& connection = *open_;
    sentAtCycle_ = connection.watch ? connection.watch->cycles() : 0;
    sentAtXruns_ = connection.watch ? connection.watch->xruns() : 0;
    if (connection.watch) {
        connection.watch->expectMessage();
    }
    if (const int rc = handOver(connection); rc != NoError) {
        return rc;
    }
    inFlight_ = true;
    inFlightReported_ = false;
    if (connection.watch && connection.watch->serverGone()) {
        inFlight_ = false;
        return ports_.fail(NoDevice,
                           QStringLiteral("The JACK server stopped (%1) while the message to "
                                          "\"%2\" was being sent.")
                               .arg(connection.watch->goneReason(), openPortName_));
    }
    return NoError;
}

int RtMidiOutput::checkReadyToSend() {
    if (!open_) {
        return ports_.fail(InvalidHandle, baseText(InvalidHandle));
    }
    if (!prepared_) {
        return ports_.fail(NotPrepared, baseText(NotPrepared));
    }
    if (inFlight_) {
        return ports_.fail(StillPlaying,
                           QStringLiteral("The previous message to \"%1\" is still being sent.")
                               .arg(openPortName_));
    }
    if (open_->watch && open_->watch->serverGone()) {
        return ports_.fail(NoDevice,
                           QStringLiteral("The JACK server has stopped (%1); nothing was sent "
                                          "to \"%2\".")
                               .arg(open_->watch->goneReason(), openPortName_));
    }
    // Checked before every message: a receiver that went away swallows
    // whatever comes after unseen. One that quits right after taking the
    // last message (as 'receive' does) has taken it whole, and whether a
    // message in flight when the destination went reached it cannot be told
    // from here; so it is the next message that is not sent.
    if (!destinationConnected()) {
        return ports_.fail(NoDevice, QStringLiteral("The MIDI output port \"%1\" went away or was "
                                                    "disconnected; nothing more was sent to it. ")
                                             .arg(openPortName_) +
                                         choosePortAgain());
    }
    return NoError;
}

bool RtMidiOutput::destinationConnected() const {
    if (const JackWatch* watch = open_->watch.get()) {
        return watch->isConnected(openPortName_, options_.clientName, OutPortName);
    }
    if (probe_) {
        return probe_->receivesFrom(detail::SeqAddressOfPortName(openPortName_),
                                    options_.clientName);
    }
    return true;
}

int RtMidiOutput::handOver(Connection& connection) {
    QList<QByteArray> parts;
    if (connection.api == MidiSystem::Jack) {
        parts = JackEvents(message_);
    } else {
        parts.append(AlsaBytes(message_).toByteArray());
    }
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const QByteArray& part = parts.at(i);
        const bool accepted = connection.call([&] {
            connection.out().sendMessage(reinterpret_cast<const unsigned char*>(part.constData()),
                                         std::size_t(part.size()));
        });
        if (!accepted) {
            // Earlier parts may already be on their way.
            inFlight_ = i > 0;
            inFlightReported_ = false;
            return ports_.fail(NotReady,
                               QStringLiteral("The MIDI output port \"%1\" did not accept the "
                                              "message: %2.")
                                   .arg(openPortName_, detail::ReasonText(connection.errors.text)));
        }
    }
    return NoError;
}

int RtMidiOutput::waitUntilDelivered() {
    if (!inFlight_) {
        return NoError;
    }
    const JackWatch* watch = open_->watch.get();
    if (watch == nullptr) {
        // ALSA: RtMidi's sendMessage has put the events into the sequencer
        // and drained its output buffer (a failure there reaches the error
        // callback). The sequencer delivers direct events at once, and a
        // hardware port's driver drains its buffer when the port is released.
        inFlight_ = false;
        return NoError;
    }
    // Followed by the watch, the message is waited for until all its bytes
    // were seen leaving, or until an xrun makes that uncertain anyway; then
    // the cycles run out.
    const bool followed = watch->followingSends();
    const auto bytes = std::uint64_t(message_.size());
    std::function<bool()> left;
    if (followed) {
        left = [&] { return watch->bytesSent() >= bytes || watch->xruns() != sentAtXruns_; };
    }
    const auto end = watch->waitCycles(sentAtCycle_, CyclesToDeliver,
                                       std::chrono::steady_clock::now() + options_.deliveryTimeout,
                                       left);
    if (end == JackWatch::WaitEnd::TimedOut && watch->cycles() < sentAtCycle_ + CyclesToDeliver) {
        return ports_.fail(
            StillPlaying,
            QStringLiteral("The message to \"%1\" has not left the JACK server within "
                           "%2 ms: the server is not running its process cycles.")
                .arg(openPortName_)
                .arg(options_.deliveryTimeout.count()));
    }
    inFlight_ = false;
    if (end == JackWatch::WaitEnd::ServerGone) {
        return ports_.fail(NoDevice,
                           QStringLiteral("The JACK server stopped (%1) before the message "
                                          "reached \"%2\".")
                               .arg(watch->goneReason(), openPortName_));
    }
    return deliveryResult(*watch, followed);
}

int RtMidiOutput::deliveryResult(const JackWatch& watch, bool followed) {
    // The destination was not connected in a cycle that carried part of the
    // message up to its end of exclusive: that part went nowhere. Zeros
    // after it are padding that no receiver reads (the ALSA sequencer is
    // never given them).
    const auto needed = std::uint64_t(AlsaBytes(message_).size());
    const std::uint64_t whileConnected = watch.bytesSentWhileConnected();
    if (followed && whileConnected < needed && whileConnected < watch.bytesSent()) {
        return ports_.fail(NoDevice,
                           QStringLiteral("The MIDI output port \"%1\" went away or was "
                                          "disconnected while the message was on its way: it "
                                          "did not arrive whole. ")
                                   .arg(openPortName_) +
                               choosePortAgain());
    }
    // An overloaded server skips cycles (xruns), and MIDI events due in them
    // can be lost without a word. Sending a kit again is harmless; telling
    // the user it arrived when it may not have is not.
    if (watch.xruns() != sentAtXruns_) {
        return ports_.fail(Error, QStringLiteral("The JACK server was overloaded (xrun) while "
                                                 "the message to \"%1\" was on its way: it may "
                                                 "not have arrived. Send it again.")
                                      .arg(openPortName_));
    }
    if (followed && watch.bytesSent() < std::uint64_t(message_.size())) {
        return ports_.fail(Error, QStringLiteral("The message to \"%1\" was not seen leaving "
                                                 "the program's MIDI port within %2 ms: it may "
                                                 "not have arrived. Send it again.")
                                      .arg(openPortName_)
                                      .arg(options_.deliveryTimeout.count()));
    }
    return NoError;
}

int RtMidiOutput::unprepareHeader() {
    ports_.clearResult();
    if (!open_) {
        return ports_.fail(InvalidHandle, baseText(InvalidHandle));
    }
    if (!prepared_) {
        return ports_.fail(NotPrepared, baseText(NotPrepared));
    }
    if (const int rc = waitUntilDelivered(); rc != NoError) {
        inFlightReported_ = true;
        return rc;
    }
    prepared_ = false;
    message_.clear();
    return NoError;
}

int RtMidiOutput::close() {
    ports_.clearResult();
    if (!open_) {
        return ports_.fail(InvalidHandle, baseText(InvalidHandle));
    }
    int rc = NoError;
    QString detail;
    if (inFlight_) {
        // A message handed over and never unprepared still gets its time; a
        // failure unprepareHeader already reported is not reported twice.
        const bool reported = inFlightReported_;
        if (const int waited = waitUntilDelivered(); waited != NoError && !reported) {
            rc = waited;
            detail = ports_.lastDetail();
        }
    }
    const bool closed = open_->call([this] { open_->rt->closePort(); });
    if (!closed && rc == NoError) {
        rc = Error;
        detail = QStringLiteral("The MIDI output port \"%1\" did not close cleanly: %2.")
                     .arg(openPortName_, detail::ReasonText(open_->errors.text));
    }
    open_.reset();
    probe_.reset();
    openPortName_.clear();
    message_.clear();
    prepared_ = false;
    inFlight_ = false;
    inFlightReported_ = false;
    if (rc == NoError) {
        ports_.clearResult();
        return NoError;
    }
    return ports_.fail(rc, detail);
}

QString RtMidiOutput::errorText(int code) {
    return ports_.errorText(code, baseText(code));
}

}  // namespace tamboril::midi
