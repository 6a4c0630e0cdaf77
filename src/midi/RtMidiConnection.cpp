// SPDX-License-Identifier: GPL-3.0-or-later
#include "midi/RtMidiConnection.h"

#include "midi/MidiLog.h"
#include "midi/MidiOut.h"

#include <QFileInfo>
#include <QScopeGuard>

#include <algorithm>
#include <chrono>
#include <iostream>
#include <sstream>
#include <thread>
#include <vector>

namespace tamboril::midi::detail {

QString ReasonText(const std::string& text) {
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

void ErrorSink::clear() {
    failed = false;
    type = RtMidiError::UNSPECIFIED;
    text.clear();
}

void ErrorSink::callback(RtMidiError::Type type, const std::string& text, void* self) {
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

QStringList RtMidiConnection::portNames() {
    QStringList names;
    const unsigned count = portCount();
    for (unsigned i = 0; i < count; ++i) {
        std::string name;
        const bool read = call([&] { name = rt->getPortName(i); });
        names.append(read ? QString::fromStdString(name) : QString());
    }
    errors.clear();
    return names;
}

unsigned RtMidiConnection::portCount() {
    // RtMidi opens its JACK client lazily, and again on each call until one
    // opens. A busy JACK server now and then refuses a new client once (as
    // JackWatch::openClient knows); without another try that would look like
    // a system without the port asked for.
    constexpr int Tries = 3;
    for (int attempt = 1;; ++attempt) {
        unsigned count = 0;
        if (call([&] { count = rt->getPortCount(); })) {
            return count;
        }
        if (api != MidiSystem::Jack || attempt == Tries) {
            return 0;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20 * attempt));
    }
}

void RtMidiConnection::create(RtMidi::Api system, const std::string& clientName) {
    // RtMidi's constructors print their warnings (a JACK client the server
    // refused) on std::cerr, as no error callback can be set before them.
    // They go to the debug log instead; the next call tries again.
    std::ostringstream said;
    std::streambuf* const terminal = std::cerr.rdbuf(said.rdbuf());
    const auto restore = qScopeGuard([&] {
        std::cerr.rdbuf(terminal);
        if (!said.str().empty()) {
            qCDebug(lcMidi) << "RtMidi:" << QString::fromStdString(said.str()).trimmed();
        }
    });
    if (direction == Direction::Input) {
        input = std::make_unique<::RtMidiIn>(system, clientName);
        rt = input.get();
    } else {
        output = std::make_unique<::RtMidiOut>(system, clientName);
        rt = output.get();
    }
    rt->setErrorCallback(&ErrorSink::callback, &errors);
}

namespace {

// The MIDI system asked for: the options' choice, or TAMBORIL_MIDI_API when
// they leave it open. False for a value of the variable no system answers to.
bool ChosenSystem(const RtMidiOptions& options, MidiSystem& api, QString& unknown) {
    api = options.api;
    if (api != MidiSystem::Auto) {
        return true;
    }
    const QString forced = qEnvironmentVariable("TAMBORIL_MIDI_API").trimmed().toLower();
    if (forced == QLatin1String("alsa")) {
        api = MidiSystem::Alsa;
    } else if (forced == QLatin1String("jack")) {
        api = MidiSystem::Jack;
    } else if (!forced.isEmpty()) {
        unknown = forced;
        return false;
    }
    return true;
}

bool Compiled(RtMidi::Api wanted) {
    std::vector<RtMidi::Api> compiled;
    RtMidi::getCompiledApi(compiled);
    return std::find(compiled.begin(), compiled.end(), wanted) != compiled.end();
}

// One attempt after another at connecting; collects why each one failed.
class Attempts {
  public:
    Attempts(const RtMidiOptions& options, Direction direction)
        : clientName_(options.clientName), direction_(direction) {}

    // The ALSA sequencer, where it opens.
    std::unique_ptr<RtMidiConnection> alsa() {
        if (!Compiled(RtMidi::LINUX_ALSA)) {
            missingSupport = true;
            reasons << QStringLiteral("The RtMidi library was built without ALSA support.");
            return nullptr;
        }
        if (!QFileInfo::exists(QStringLiteral("/dev/snd/seq"))) {
            // Trying anyway would only make ALSA and RtMidi print on stderr.
            reasons << QStringLiteral("There is no ALSA sequencer (/dev/snd/seq is missing).");
            return nullptr;
        }
        // RtMidi's ALSA constructor throws when the sequencer cannot be
        // opened; it does not fall back to JACK by itself.
        return create(MidiSystem::Alsa, RtMidi::LINUX_ALSA, nullptr,
                      QStringLiteral("The ALSA sequencer cannot be opened: %1."));
    }

    // A running JACK server; never starts one.
    std::unique_ptr<RtMidiConnection> jack() {
        if (!Compiled(RtMidi::UNIX_JACK)) {
            missingSupport = true;
            reasons << QStringLiteral("The RtMidi library was built without JACK support.");
            return nullptr;
        }
        // The watch connects first: it fails quietly when there is no
        // server, where RtMidi's JACK client would print a warning.
        QString reason;
        auto watch = JackWatch::connect(clientName_ + QStringLiteral(" watch"), reason);
        if (!watch) {
            reasons << reason + QLatin1Char('.');
            return nullptr;
        }
        return create(MidiSystem::Jack, RtMidi::UNIX_JACK, std::move(watch),
                      QStringLiteral("The JACK client cannot be created: %1."));
    }

    QStringList reasons;
    bool missingSupport = false;

  private:
    std::unique_ptr<RtMidiConnection> create(MidiSystem system, RtMidi::Api api,
                                             std::unique_ptr<JackWatch> watch,
                                             const QString& failure) {
        auto candidate = std::make_unique<RtMidiConnection>();
        candidate->api = system;
        candidate->direction = direction_;
        candidate->watch = std::move(watch);
        try {
            candidate->create(api, clientName_.toStdString());
            return candidate;
        } catch (const std::exception& error) {
            reasons << failure.arg(ReasonText(error.what()));
            return nullptr;
        }
    }

    QString clientName_;
    Direction direction_;
};

}  // namespace

ConnectResult ConnectRtMidi(const RtMidiOptions& options, Direction direction,
                            std::unique_ptr<RtMidiConnection>& connection) {
    MidiSystem api = MidiSystem::Auto;
    if (QString unknown; !ChosenSystem(options, api, unknown)) {
        return {NoDriver,
                QStringLiteral("TAMBORIL_MIDI_API is set to \"%1\"; the MIDI systems this "
                               "program knows are alsa and jack.")
                    .arg(unknown),
                QString()};
    }
    Attempts attempts(options, direction);
    if (api != MidiSystem::Jack) {
        if ((connection = attempts.alsa())) {
            return {NoError, QString(), QStringLiteral("ALSA")};
        }
    }
    if (api != MidiSystem::Alsa) {
        if ((connection = attempts.jack())) {
            return {NoError, QString(), QStringLiteral("JACK")};
        }
    }
    const bool forcedApi = api != MidiSystem::Auto;
    return {attempts.missingSupport && forcedApi ? NoDriver : NotEnabled,
            QStringLiteral("No MIDI system is available.\n") +
                attempts.reasons.join(QLatin1Char('\n')),
            QString()};
}

}  // namespace tamboril::midi::detail
