// SPDX-License-Identifier: GPL-3.0-or-later
#include "midi/JackWatch.h"

#include "midi/MidiLog.h"

#include <jack/jack.h>
#include <jack/midiport.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <thread>

namespace tamboril::midi {

namespace {

// libjack prints its complaints (no server socket and the like) on stderr by
// default. Failures reach the user as result codes with texts of their own,
// so libjack's chatter goes to the debug log instead.
void routeJackMessages() {
    static std::once_flag once;
    std::call_once(once, [] {
        jack_set_error_function([](const char* text) { qCDebug(lcMidi) << "JACK:" << text; });
        jack_set_info_function([](const char* text) { qCDebug(lcMidi) << "JACK:" << text; });
    });
}

QString serverDescription() {
    const QString name = qEnvironmentVariable("JACK_DEFAULT_SERVER");
    return name.isEmpty() ? QStringLiteral("No JACK server is running")
                          : QStringLiteral("No JACK server named \"%1\" is running").arg(name);
}

// JACK renames a second client of the same name "client-NN".
bool isClientOrRenamed(const QString& owner, const QString& client) {
    if (owner == client) {
        return true;
    }
    if (!owner.startsWith(client + QLatin1Char('-'))) {
        return false;
    }
    const QString number = owner.mid(client.size() + 1);
    return !number.isEmpty() &&
           std::all_of(number.begin(), number.end(), [](QChar c) { return c.isDigit(); });
}

}  // namespace

jack_client_t* JackWatch::openClient(const QString& name, unsigned& status) {
    routeJackMessages();
    constexpr int Tries = 3;
    for (int attempt = 1;; ++attempt) {
        jack_status_t got{};
        jack_client_t* client =
            jack_client_open(name.toUtf8().constData(), JackNoStartServer, &got);
        status = unsigned(got);
        if (client != nullptr || (status & JackServerError) == 0 || attempt == Tries) {
            return client;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20 * attempt));
    }
}

std::unique_ptr<JackWatch> JackWatch::connect(const QString& clientName, QString& reason) {
    routeJackMessages();
    std::unique_ptr<JackWatch> watch(new JackWatch);
    unsigned status = 0;
    watch->client_ = openClient(clientName, status);
    if (watch->client_ == nullptr) {
        reason = (status & JackServerFailed) != 0
                     ? serverDescription()
                     : QStringLiteral("The JACK server refused a client (status 0x%1)")
                           .arg(status, 0, 16);
        return nullptr;
    }
    jack_set_process_callback(
        watch->client_, [](jack_nframes_t frames, void* self) { return onProcess(frames, self); },
        watch.get());
    jack_set_xrun_callback(watch->client_, &JackWatch::onXrun, watch.get());
    jack_on_info_shutdown(
        watch->client_,
        [](jack_status_t code, const char* why, void* self) { onShutdown(int(code), why, self); },
        watch.get());
    if (jack_activate(watch->client_) != 0) {
        reason = QStringLiteral("The JACK server did not run the program's client");
        return nullptr;
    }
    return watch;
}

JackWatch::~JackWatch() {
    if (client_ != nullptr) {
        // Closing also deactivates; after a shutdown it only frees the client.
        jack_client_close(client_);
    }
}

int JackWatch::onProcess(std::uint32_t frames, void* self) {
    auto* watch = static_cast<JackWatch*>(self);
    watch->cycles_.fetch_add(1);
    if (jack_port_t* in = watch->sendsIn_.load()) {
        watch->noteSends(in, frames);
    }
    return 0;
}

void JackWatch::noteSends(jack_port_t* in, std::uint32_t frames) {
    void* buffer = jack_port_get_buffer(in, frames);
    const std::uint32_t count = jack_midi_get_event_count(buffer);
    std::uint64_t bytes = 0;
    for (std::uint32_t i = 0; i < count; ++i) {
        jack_midi_event_t event;
        if (jack_midi_event_get(&event, buffer, i) == 0) {
            bytes += event.size;
        }
    }
    if (bytes == 0) {
        return;
    }
    // Noted before the bytes are counted: whoever sees all bytes of a
    // message also sees where they began to go nowhere.
    if (jack_port_connected_to(source_, destination_) == 0) {
        std::uint64_t none = NoneUnconnected;
        bytesBeforeUnconnected_.compare_exchange_strong(none, bytesSent_.load());
    }
    bytesSent_.fetch_add(bytes);
}

bool JackWatch::followSends(const QString& source, const QString& destination) {
    const QByteArray target = destination.toUtf8();
    if (gone_.load() || sendsIn_.load() != nullptr ||
        std::size_t(target.size()) >= sizeof destination_) {
        return false;
    }
    const QByteArray sourceName = source.toUtf8();
    source_ = jack_port_by_name(client_, sourceName.constData());
    if (source_ == nullptr) {
        return false;
    }
    std::memcpy(destination_, target.constData(), std::size_t(target.size()) + 1);
    jack_port_t* in =
        jack_port_register(client_, "sent", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
    if (in == nullptr) {
        return false;
    }
    if (jack_connect(client_, sourceName.constData(), jack_port_name(in)) != 0) {
        jack_port_unregister(client_, in);
        return false;
    }
    sendsIn_.store(in);
    return true;
}

bool JackWatch::followingSends() const {
    jack_port_t* in = sendsIn_.load();
    return in != nullptr && !gone_.load() && jack_port_connected(in) > 0;
}

void JackWatch::expectMessage() {
    bytesBeforeUnconnected_.store(NoneUnconnected);
    bytesSent_.store(0);
}

std::uint64_t JackWatch::bytesSentWhileConnected() const {
    return std::min(bytesBeforeUnconnected_.load(), bytesSent_.load());
}

int JackWatch::onXrun(void* self) {
    static_cast<JackWatch*>(self)->xruns_.fetch_add(1);
    return 0;
}

void JackWatch::onShutdown(int, const char* reason, void* self) {
    auto* watch = static_cast<JackWatch*>(self);
    if (reason != nullptr) {
        std::strncpy(watch->goneReason_, reason, sizeof watch->goneReason_ - 1);
    }
    watch->gone_.store(true);
}

QString JackWatch::goneReason() const {
    if (!gone_.load()) {
        return QString();
    }
    const QString why = QString::fromUtf8(goneReason_);
    return why.isEmpty() ? QStringLiteral("the JACK server has stopped") : why;
}

JackWatch::WaitEnd JackWatch::waitCycles(std::uint64_t start, std::uint64_t count,
                                         std::chrono::steady_clock::time_point deadline,
                                         const std::function<bool()>& ready) const {
    for (;;) {
        if (serverGone()) {
            return WaitEnd::ServerGone;
        }
        // `ready` is asked on every round, so a condition it keeps track of
        // (a connection seen once) is seen as early as possible.
        const bool isReady = !ready || ready();
        if (isReady && cycles() >= start + count) {
            return WaitEnd::Reached;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return WaitEnd::TimedOut;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

bool JackWatch::isConnected(const QString& other, const QString& client,
                            const QString& port) const {
    return !connectedPort(other, client, port).isEmpty();
}

QString JackWatch::connectedPort(const QString& other, const QString& client,
                                 const QString& port) const {
    if (gone_.load()) {
        return QString();
    }
    jack_port_t* target = jack_port_by_name(client_, other.toUtf8().constData());
    if (target == nullptr) {
        return QString();
    }
    const char** sources = jack_port_get_all_connections(client_, target);
    if (sources == nullptr) {
        return QString();
    }
    QString found;
    for (const char** source = sources; *source != nullptr && found.isEmpty(); ++source) {
        const QString name = QString::fromUtf8(*source);
        const qsizetype colon = name.indexOf(QLatin1Char(':'));
        if (colon < 0 || name.mid(colon + 1) != port) {
            continue;
        }
        if (isClientOrRenamed(name.left(colon), client)) {
            found = name;
        }
    }
    jack_free(sources);
    return found;
}

}  // namespace tamboril::midi
