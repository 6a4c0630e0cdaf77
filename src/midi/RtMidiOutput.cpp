#include "RtMidiOutput.h"

#include "JackWatch.h"
#include "MidiLog.h"
#include "WireFormat.h"

#include <RtMidi.h>

#include <QFileInfo>

#include <algorithm>
#include <thread>
#include <vector>

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

// RtMidi prefixes its texts with the function that reported them
// ("MidiOutAlsa::initialize: ..."); the user gets the reason alone.
QString reasonText(const std::string& text) {
    QString reason = QString::fromStdString(text).trimmed();
    const qsizetype colon = reason.indexOf(QLatin1String(": "));
    if (colon > 0 && reason.left(colon).contains(QLatin1String("::"))) {
        reason = reason.mid(colon + 2);
    }
    while (reason.endsWith(QLatin1Char('.')) || reason.endsWith(QLatin1Char('!'))) {
        reason.chop(1);
    }
    return reason;
}

QString baseText(int code) {
    switch (code) {
        case NoError:
            return QStringLiteral("The MIDI operation succeeded.");
        case Error:
            return QStringLiteral("The MIDI system reported an error.");
        case BadDeviceId:
            return QStringLiteral(
                "There is no such MIDI output port. Choose a port with Edit, Change Device.");
        case NotEnabled:
            return QStringLiteral(
                "No MIDI system is available: neither the ALSA sequencer nor a JACK server.");
        case Allocated:
            return QStringLiteral("The MIDI output port is already in use.");
        case InvalidHandle:
            return QStringLiteral("No MIDI output port is open.");
        case NoDriver:
            return QStringLiteral("The MIDI system asked for is not supported.");
        case NoMemory:
            return QStringLiteral("There is not enough memory for the MIDI output.");
        case InvalidParam:
            return QStringLiteral("The MIDI message is empty or too long.");
        case NotPrepared:
            return QStringLiteral("No MIDI message has been prepared for sending.");
        case StillPlaying:
            return QStringLiteral("The MIDI message is still being sent.");
        case NotReady:
            return QStringLiteral("The MIDI output port did not accept the message.");
        case NoDevice:
            return QStringLiteral(
                "The MIDI output port is no longer available. Choose a port again with Edit, "
                "Change Device.");
        default:
            return QStringLiteral("Unknown MIDI error %1.").arg(code);
    }
}

// Collects what RtMidi reports through its error callback. With a callback
// set RtMidi neither throws nor prints; it calls this and carries on, so each
// call is followed by a look at `failed`.
struct ErrorSink {
    bool failed = false;
    RtMidiError::Type type = RtMidiError::UNSPECIFIED;
    std::string text;

    void clear() {
        failed = false;
        type = RtMidiError::UNSPECIFIED;
        text.clear();
    }

    static void callback(RtMidiError::Type type, const std::string& text, void* self) {
        qCDebug(lcMidi) << "RtMidi:" << text.c_str();
        if (type == RtMidiError::DEBUG_WARNING) {
            return;
        }
        auto* sink = static_cast<ErrorSink*>(self);
        if (!sink->failed) {
            sink->failed = true;
            sink->type = type;
            sink->text = text;
        }
    }
};

}  // namespace

// One connection to a MIDI system: RtMidi's output object and, on JACK, the
// watch on the server. Members are destroyed bottom up: RtMidi's client goes
// first, the error sink it reports to last.
struct RtMidiOutput::Connection {
    MidiSystem api = MidiSystem::Alsa;
    ErrorSink errors;
    std::unique_ptr<JackWatch> watch;
    std::unique_ptr<::RtMidiOut> rt;

    // Runs one RtMidi call with the error sink cleared. RtMidi reports
    // through the sink; anything it throws all the same (a standard library
    // exception from inside it) is recorded there too instead of escaping.
    // True when the call went through without a report.
    template <typename Call>
    bool call(Call&& rtMidiCall) {
        errors.clear();
        try {
            rtMidiCall();
        } catch (const std::exception& error) {
            if (!errors.failed) {
                errors.failed = true;
                errors.type = RtMidiError::UNSPECIFIED;
                errors.text = error.what();
            }
        }
        return !errors.failed;
    }

    // The port names at this moment, by RtMidi's port number. A port whose
    // name cannot be read (it went away while listing) gets an empty entry so
    // that the numbers stay RtMidi's.
    QStringList portNames() {
        QStringList names;
        unsigned count = 0;
        if (!call([&] { count = rt->getPortCount(); })) {
            count = 0;
        }
        for (unsigned i = 0; i < count; ++i) {
            std::string name;
            const bool read = call([&] { name = rt->getPortName(i); });
            names.append(read ? QString::fromStdString(name) : QString());
        }
        errors.clear();
        return names;
    }
};

RtMidiOutput::RtMidiOutput(RtMidiOptions options) : options_(std::move(options)) {}

RtMidiOutput::~RtMidiOutput() {
    if (open_) {
        close();
    }
}

int RtMidiOutput::fail(int code, const QString& detail) {
    lastCode_ = code;
    lastDetail_ = detail;
    qCDebug(lcMidi) << "MIDI error" << code << detail;
    return code;
}

int RtMidiOutput::connectSystem(std::unique_ptr<Connection>& connection) {
    MidiSystem api = options_.api;
    if (api == MidiSystem::Auto) {
        const QString forced = qEnvironmentVariable("TAMBORIL_MIDI_API").trimmed().toLower();
        if (forced == QLatin1String("alsa")) {
            api = MidiSystem::Alsa;
        } else if (forced == QLatin1String("jack")) {
            api = MidiSystem::Jack;
        } else if (!forced.isEmpty()) {
            return fail(NoDriver, QStringLiteral("TAMBORIL_MIDI_API is set to \"%1\"; the MIDI "
                                                 "systems this program knows are alsa and jack.")
                                      .arg(forced));
        }
    }

    std::vector<RtMidi::Api> compiled;
    RtMidi::getCompiledApi(compiled);
    const auto hasApi = [&compiled](RtMidi::Api wanted) {
        return std::find(compiled.begin(), compiled.end(), wanted) != compiled.end();
    };
    const std::string clientName = options_.clientName.toStdString();
    QStringList reasons;
    bool missingSupport = false;
    systemName_.clear();

    if (api != MidiSystem::Jack) {
        if (!hasApi(RtMidi::LINUX_ALSA)) {
            missingSupport = true;
            reasons << QStringLiteral("The RtMidi library was built without ALSA support.");
        } else if (!QFileInfo::exists(QStringLiteral("/dev/snd/seq"))) {
            // Trying anyway would only make ALSA and RtMidi print on stderr.
            reasons << QStringLiteral("There is no ALSA sequencer (/dev/snd/seq is missing).");
        } else {
            auto candidate = std::make_unique<Connection>();
            candidate->api = MidiSystem::Alsa;
            try {
                // RtMidi's ALSA constructor throws when the sequencer cannot
                // be opened; it does not fall back to JACK by itself.
                candidate->rt = std::make_unique<::RtMidiOut>(RtMidi::LINUX_ALSA, clientName);
                candidate->rt->setErrorCallback(&ErrorSink::callback, &candidate->errors);
                connection = std::move(candidate);
                systemName_ = QStringLiteral("ALSA");
                return NoError;
            } catch (const std::exception& error) {
                reasons << QStringLiteral("The ALSA sequencer cannot be opened: %1.")
                               .arg(reasonText(error.what()));
            }
        }
    }

    if (api != MidiSystem::Alsa) {
        if (!hasApi(RtMidi::UNIX_JACK)) {
            missingSupport = true;
            reasons << QStringLiteral("The RtMidi library was built without JACK support.");
        } else {
            // The watch connects first: it fails quietly when there is no
            // server, where RtMidi's JACK client would print a warning.
            QString reason;
            auto candidate = std::make_unique<Connection>();
            candidate->api = MidiSystem::Jack;
            candidate->watch =
                JackWatch::connect(options_.clientName + QStringLiteral(" watch"), reason);
            if (!candidate->watch) {
                reasons << reason + QLatin1Char('.');
            } else {
                try {
                    candidate->rt = std::make_unique<::RtMidiOut>(RtMidi::UNIX_JACK, clientName);
                    candidate->rt->setErrorCallback(&ErrorSink::callback, &candidate->errors);
                    connection = std::move(candidate);
                    systemName_ = QStringLiteral("JACK");
                    return NoError;
                } catch (const std::exception& error) {
                    reasons << QStringLiteral("The JACK client cannot be created: %1.")
                                   .arg(reasonText(error.what()));
                }
            }
        }
    }

    const bool forcedApi = api != MidiSystem::Auto;
    return fail(missingSupport && forcedApi ? NoDriver : NotEnabled,
                QStringLiteral("No MIDI system is available.\n") + reasons.join(QLatin1Char('\n')));
}

int RtMidiOutput::numDevs() {
    lastCode_ = NoError;
    lastDetail_.clear();
    listed_.clear();
    hasListing_ = true;
    unavailable_.clear();
    std::unique_ptr<Connection> connection;
    if (connectSystem(connection) != NoError) {
        unavailable_ = lastDetail_;
        return 0;
    }
    const QStringList names = connection->portNames();
    for (const QString& name : names) {
        if (!name.isEmpty()) {
            listed_.append(name);
        }
    }
    return int(listed_.size());
}

int RtMidiOutput::devName(int device, QString& name) {
    lastCode_ = NoError;
    lastDetail_.clear();
    if (!hasListing_) {
        numDevs();
    }
    if (device < 0 || device >= listed_.size()) {
        return fail(BadDeviceId,
                    QStringLiteral("There is no MIDI output port number %1.").arg(device));
    }
    name = listed_.at(device);
    return NoError;
}

int RtMidiOutput::open(int device) {
    lastCode_ = NoError;
    lastDetail_.clear();
    if (open_) {
        return fail(
            Allocated,
            QStringLiteral("The MIDI output port \"%1\" is still open.").arg(openPortName_));
    }
    if (device == DefaultDevice) {
        // With no MIDI system there is no port to choose either: say why.
        return fail(
            BadDeviceId,
            unavailable_.isEmpty()
                ? QStringLiteral("This system has no default MIDI output port. Choose a "
                                 "port with Edit, Change Device.")
                : QStringLiteral("This system has no default MIDI output port.\n") + unavailable_);
    }
    if (device < 0) {
        return fail(BadDeviceId, QStringLiteral("No MIDI output port has been chosen. Choose a "
                                                "port with Edit, Change Device."));
    }

    std::unique_ptr<Connection> connection;
    if (const int rc = connectSystem(connection); rc != NoError) {
        return rc;
    }
    if (hasListing_ && device >= listed_.size()) {
        return fail(BadDeviceId, QStringLiteral("There is no MIDI output port number %1. Choose a "
                                                "port with Edit, Change Device.")
                                     .arg(device));
    }
    const QStringList current = connection->portNames();

    // The port is found again by the name it was listed under: ports come and
    // go and the numbers shift, and a number alone could now mean another
    // port.
    QString wanted;
    qsizetype index = -1;
    if (hasListing_) {
        wanted = listed_.at(device);
        index = device < current.size() && current.at(device) == wanted ? device
                                                                        : current.indexOf(wanted);
        if (index < 0) {
            return fail(NoDevice, QStringLiteral("The MIDI output port \"%1\" is no longer "
                                                 "available. Choose a port again with Edit, "
                                                 "Change Device.")
                                      .arg(wanted));
        }
    } else {
        if (device >= current.size() || current.at(device).isEmpty()) {
            return fail(BadDeviceId, QStringLiteral("There is no MIDI output port number %1. "
                                                    "Choose a port with Edit, Change Device.")
                                         .arg(device));
        }
        index = device;
        wanted = current.at(device);
    }

    const bool opened = connection->call(
        [&] { connection->rt->openPort(unsigned(index), OutPortName.toStdString()); });
    if (!opened || !connection->rt->isPortOpen()) {
        const RtMidiError::Type type = connection->errors.type;
        const QString reason = connection->errors.failed
                                   ? reasonText(connection->errors.text)
                                   : QStringLiteral("the MIDI system did not open it");
        int code = Error;
        if (type == RtMidiError::MEMORY_ERROR) {
            code = NoMemory;
        } else if (type == RtMidiError::WARNING || type == RtMidiError::NO_DEVICES_FOUND ||
                   type == RtMidiError::INVALID_DEVICE || type == RtMidiError::INVALID_PARAMETER) {
            code = NoDevice;
        }
        connection->call([&] { connection->rt->closePort(); });
        return fail(code, QStringLiteral("The MIDI output port \"%1\" cannot be opened: %2.")
                              .arg(wanted, reason));
    }
    // RtMidi's JACK output looks the port up by number once more and ignores
    // a failed connection; make sure the port is the one asked for.
    if (connection->watch &&
        !connection->watch->isConnected(wanted, options_.clientName, OutPortName)) {
        connection->call([&] { connection->rt->closePort(); });
        return fail(NoDevice, QStringLiteral("The MIDI output port \"%1\" could not be connected; "
                                             "it may have gone away. Choose a port again with "
                                             "Edit, Change Device.")
                                  .arg(wanted));
    }

    open_ = std::move(connection);
    openPortName_ = wanted;
    message_.clear();
    prepared_ = false;
    inFlight_ = false;
    inFlightReported_ = false;
    return NoError;
}

int RtMidiOutput::prepareHeader(QByteArrayView message) {
    lastCode_ = NoError;
    lastDetail_.clear();
    if (!open_) {
        return fail(InvalidHandle, baseText(InvalidHandle));
    }
    if (inFlight_) {
        return fail(StillPlaying,
                    QStringLiteral("The previous message to \"%1\" is still being sent.")
                        .arg(openPortName_));
    }
    if (message.isEmpty()) {
        return fail(InvalidParam, QStringLiteral("The MIDI message is empty."));
    }
    if (message.size() > MaxMessageSize) {
        return fail(InvalidParam, QStringLiteral("The MIDI message is %1 bytes long; at most %2 "
                                                 "bytes can be sent at once.")
                                      .arg(message.size())
                                      .arg(MaxMessageSize));
    }
    message_ = message.toByteArray();
    prepared_ = true;
    return NoError;
}

int RtMidiOutput::longMsg() {
    lastCode_ = NoError;
    lastDetail_.clear();
    if (!open_) {
        return fail(InvalidHandle, baseText(InvalidHandle));
    }
    if (!prepared_) {
        return fail(NotPrepared, baseText(NotPrepared));
    }
    if (inFlight_) {
        return fail(StillPlaying,
                    QStringLiteral("The previous message to \"%1\" is still being sent.")
                        .arg(openPortName_));
    }
    Connection& connection = *open_;
    if (connection.watch && connection.watch->serverGone()) {
        return fail(NoDevice, QStringLiteral("The JACK server has stopped (%1); nothing was sent "
                                             "to \"%2\".")
                                  .arg(connection.watch->goneReason(), openPortName_));
    }

    QList<QByteArray> parts;
    if (connection.api == MidiSystem::Jack) {
        parts = JackEvents(message_);
    } else {
        parts.append(AlsaBytes(message_).toByteArray());
    }

    sentAtCycle_ = connection.watch ? connection.watch->cycles() : 0;
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const QByteArray& part = parts.at(i);
        const bool accepted = connection.call([&] {
            connection.rt->sendMessage(reinterpret_cast<const unsigned char*>(part.constData()),
                                       std::size_t(part.size()));
        });
        if (!accepted) {
            // Earlier parts may already be on their way.
            inFlight_ = i > 0;
            inFlightReported_ = false;
            return fail(NotReady, QStringLiteral("The MIDI output port \"%1\" did not accept the "
                                                 "message: %2.")
                                      .arg(openPortName_, reasonText(connection.errors.text)));
        }
    }
    inFlight_ = true;
    inFlightReported_ = false;

    if (connection.watch && connection.watch->serverGone()) {
        inFlight_ = false;
        return fail(NoDevice, QStringLiteral("The JACK server stopped (%1) while the message to "
                                             "\"%2\" was being sent.")
                                  .arg(connection.watch->goneReason(), openPortName_));
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
    const auto deadline = std::chrono::steady_clock::now() + options_.deliveryTimeout;
    for (;;) {
        if (watch->serverGone()) {
            inFlight_ = false;
            return fail(NoDevice, QStringLiteral("The JACK server stopped (%1) before the message "
                                                 "reached \"%2\".")
                                      .arg(watch->goneReason(), openPortName_));
        }
        if (watch->cycles() >= sentAtCycle_ + CyclesToDeliver) {
            inFlight_ = false;
            return NoError;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return fail(StillPlaying,
                        QStringLiteral("The message to \"%1\" has not left the JACK server within "
                                       "%2 ms: the server is not running its process cycles.")
                            .arg(openPortName_)
                            .arg(options_.deliveryTimeout.count()));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

int RtMidiOutput::unprepareHeader() {
    lastCode_ = NoError;
    lastDetail_.clear();
    if (!open_) {
        return fail(InvalidHandle, baseText(InvalidHandle));
    }
    if (!prepared_) {
        return fail(NotPrepared, baseText(NotPrepared));
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
    lastCode_ = NoError;
    lastDetail_.clear();
    if (!open_) {
        return fail(InvalidHandle, baseText(InvalidHandle));
    }
    int rc = NoError;
    QString detail;
    if (inFlight_) {
        // A message handed over and never unprepared still gets its time; a
        // failure unprepareHeader already reported is not reported twice.
        const bool reported = inFlightReported_;
        if (const int waited = waitUntilDelivered(); waited != NoError && !reported) {
            rc = waited;
            detail = lastDetail_;
        }
    }
    const bool closed = open_->call([this] { open_->rt->closePort(); });
    if (!closed && rc == NoError) {
        rc = Error;
        detail = QStringLiteral("The MIDI output port \"%1\" did not close cleanly: %2.")
                     .arg(openPortName_, reasonText(open_->errors.text));
    }
    open_.reset();
    openPortName_.clear();
    message_.clear();
    prepared_ = false;
    inFlight_ = false;
    inFlightReported_ = false;
    if (rc == NoError) {
        lastCode_ = NoError;
        lastDetail_.clear();
        return NoError;
    }
    return fail(rc, detail);
}

QString RtMidiOutput::errorText(int code) {
    if (code != NoError && code == lastCode_ && !lastDetail_.isEmpty()) {
        return lastDetail_;
    }
    return baseText(code);
}

}  // namespace tamboril::midi
