#include "midi/RtMidiConnection.h"

#include "midi/MidiLog.h"
#include "midi/MidiOut.h"

#include <QFileInfo>

#include <algorithm>
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

void RtMidiConnection::create(RtMidi::Api system, const std::string& clientName) {
    if (direction == Direction::Input) {
        input = std::make_unique<::RtMidiIn>(system, clientName);
        rt = input.get();
    } else {
        output = std::make_unique<::RtMidiOut>(system, clientName);
        rt = output.get();
    }
    rt->setErrorCallback(&ErrorSink::callback, &errors);
}

ConnectResult ConnectRtMidi(const RtMidiOptions& options, Direction direction,
                            std::unique_ptr<RtMidiConnection>& connection) {
    MidiSystem api = options.api;
    if (api == MidiSystem::Auto) {
        const QString forced = qEnvironmentVariable("TAMBORIL_MIDI_API").trimmed().toLower();
        if (forced == QLatin1String("alsa")) {
            api = MidiSystem::Alsa;
        } else if (forced == QLatin1String("jack")) {
            api = MidiSystem::Jack;
        } else if (!forced.isEmpty()) {
            return {NoDriver,
                    QStringLiteral("TAMBORIL_MIDI_API is set to \"%1\"; the MIDI systems this "
                                   "program knows are alsa and jack.")
                        .arg(forced),
                    QString()};
        }
    }

    std::vector<RtMidi::Api> compiled;
    RtMidi::getCompiledApi(compiled);
    const auto hasApi = [&compiled](RtMidi::Api wanted) {
        return std::find(compiled.begin(), compiled.end(), wanted) != compiled.end();
    };
    const std::string clientName = options.clientName.toStdString();
    QStringList reasons;
    bool missingSupport = false;

    const auto newConnection = [direction](MidiSystem system) {
        auto candidate = std::make_unique<RtMidiConnection>();
        candidate->api = system;
        candidate->direction = direction;
        return candidate;
    };
    // Makes the candidate's RtMidi object on `system`; the candidate becomes
    // the connection, or `failure` with RtMidi's reason joins the reasons.
    const auto tryCreate = [&](std::unique_ptr<RtMidiConnection>& candidate, RtMidi::Api system,
                               const QString& failure) {
        try {
            candidate->create(system, clientName);
            connection = std::move(candidate);
            return true;
        } catch (const std::exception& error) {
            reasons << failure.arg(ReasonText(error.what()));
            return false;
        }
    };

    if (api != MidiSystem::Jack) {
        if (!hasApi(RtMidi::LINUX_ALSA)) {
            missingSupport = true;
            reasons << QStringLiteral("The RtMidi library was built without ALSA support.");
        } else if (!QFileInfo::exists(QStringLiteral("/dev/snd/seq"))) {
            // Trying anyway would only make ALSA and RtMidi print on stderr.
            reasons << QStringLiteral("There is no ALSA sequencer (/dev/snd/seq is missing).");
        } else {
            // RtMidi's ALSA constructor throws when the sequencer cannot be
            // opened; it does not fall back to JACK by itself.
            auto candidate = newConnection(MidiSystem::Alsa);
            if (tryCreate(candidate, RtMidi::LINUX_ALSA,
                          QStringLiteral("The ALSA sequencer cannot be opened: %1."))) {
                return {NoError, QString(), QStringLiteral("ALSA")};
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
            auto candidate = newConnection(MidiSystem::Jack);
            candidate->watch =
                JackWatch::connect(options.clientName + QStringLiteral(" watch"), reason);
            if (!candidate->watch) {
                reasons << reason + QLatin1Char('.');
            } else if (tryCreate(candidate, RtMidi::UNIX_JACK,
                                 QStringLiteral("The JACK client cannot be created: %1."))) {
                return {NoError, QString(), QStringLiteral("JACK")};
            }
        }
    }

    const bool forcedApi = api != MidiSystem::Auto;
    return {missingSupport && forcedApi ? NoDriver : NotEnabled,
            QStringLiteral("No MIDI system is available.\n") + reasons.join(QLatin1Char('\n')),
            QString()};
}

}  // namespace tamboril::midi::detail
