// SPDX-License-Identifier: GPL-3.0-or-later
#include "midi/JackMidiInput.h"

#include "midi/JackWatch.h"

#include <jack/jack.h>
#include <jack/midiport.h>
#include <jack/ringbuffer.h>
#include <semaphore.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <ctime>

namespace tamboril::midi::detail {

namespace {

// Room between the process thread and the input thread: five whole dumps,
// for an input thread that is held up for a while.
constexpr std::size_t RingBytes = 64 * 1024;
// How long the input thread waits for the process thread before it looks
// whether it is to stop.
constexpr long WakeNs = 50'000'000;

bool IsLoneTiming(const jack_midi_event_t& event) {
    return event.size == 1 && (event.buffer[0] == 0xF8 || event.buffer[0] == 0xFE);
}

}  // namespace

struct JackMidiInput::Handles {
    jack_client_t* client = nullptr;
    jack_port_t* port = nullptr;
    jack_ringbuffer_t* ring = nullptr;
    QByteArray source;
    sem_t arrived{};
    bool active = false;
    std::atomic<int> overruns{0};
    std::atomic<int> skipped{0};
    // The process thread's own: where its last cycle started and how long
    // it was, to tell cycles the server did not run this client in.
    bool ranBefore = false;
    std::uint32_t lastStart = 0;
    std::uint32_t lastFrames = 0;
    std::atomic<bool> gone{false};
    // Written once by the shutdown callback before gone is set.
    char goneReason[256] = {};

    Handles() { sem_init(&arrived, 0, 0); }
    ~Handles() {
        if (client != nullptr) {
            jack_client_close(client);
        }
        if (ring != nullptr) {
            jack_ringbuffer_free(ring);
        }
        sem_destroy(&arrived);
    }
};

JackMidiInput::JackMidiInput() = default;

JackMidiInput::~JackMidiInput() {
    close();
}

QString JackMidiInput::open(const QString& clientName, const QString& portName,
                            const QString& source, std::chrono::milliseconds wait, Sink sink) {
    close();
    auto h = std::make_unique<Handles>();
    h->source = source.toUtf8();
    unsigned status = 0;
    h->client = JackWatch::openClient(clientName, status);
    if (h->client == nullptr) {
        return QStringLiteral("the JACK server refused a client (status 0x%1)").arg(status, 0, 16);
    }
    h->ring = jack_ringbuffer_create(RingBytes);
    h->port = jack_port_register(h->client, portName.toUtf8().constData(), JACK_DEFAULT_MIDI_TYPE,
                                 JackPortIsInput, 0);
    if (h->ring == nullptr || h->port == nullptr) {
        return QStringLiteral("the input port cannot be made");
    }
    jack_set_process_callback(h->client, &JackMidiInput::process, h.get());
    jack_on_info_shutdown(
        h->client,
        [](jack_status_t code, const char* why, void* handles) { shutdown(code, why, handles); },
        h.get());
    handles_ = std::move(h);
    sink_ = std::move(sink);
    stop_ = false;
    if (jack_activate(handles_->client) != 0) {
        handles_.reset();
        return QStringLiteral("the JACK server did not run the program's client");
    }
    handles_->active = true;
    thread_ = std::thread([this] { run(); });
    if (QString problem = connectSource(wait); !problem.isEmpty()) {
        close();
        return problem;
    }
    return QString();
}

QString JackMidiInput::connectSource(std::chrono::milliseconds wait) {
    const char* source = handles_->source.constData();
    const int rc = jack_connect(handles_->client, source, jack_port_name(handles_->port));
    if (rc != 0 && rc != EEXIST) {
        return QStringLiteral("it cannot be connected; it may have gone away");
    }
    // Each client of the server learns of a new connection on its own; under
    // PipeWire's JACK layer some milliseconds after jack_connect returned.
    const auto deadline = std::chrono::steady_clock::now() + wait;
    while (jack_port_connected_to(handles_->port, source) == 0) {
        if (handles_->gone || std::chrono::steady_clock::now() >= deadline) {
            return QStringLiteral("it could not be connected; it may have gone away");
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return QString();
}

void JackMidiInput::close() {
    if (!handles_) {
        return;
    }
    // The process thread stops before the port and the ring buffer go.
    if (handles_->active && !handles_->gone) {
        jack_deactivate(handles_->client);
    }
    if (thread_.joinable()) {
        stop_ = true;
        sem_post(&handles_->arrived);
        thread_.join();
    }
    handles_.reset();
    sink_ = nullptr;
}

int JackMidiInput::process(std::uint32_t frames, void* handles) {
    Handles& h = *static_cast<Handles*>(handles);
    noteSkippedCycles(h, jack_last_frame_time(h.client), frames);
    void* buffer = jack_port_get_buffer(h.port, frames);
    const std::uint32_t count = jack_midi_get_event_count(buffer);
    bool wrote = false;
    for (std::uint32_t i = 0; i < count; ++i) {
        jack_midi_event_t event{};
        if (jack_midi_event_get(&event, buffer, i) != 0 || IsLoneTiming(event)) {
            continue;
        }
        const auto size = static_cast<std::uint32_t>(event.size);
        if (jack_ringbuffer_write_space(h.ring) < sizeof size + size) {
            h.overruns.fetch_add(1);
            continue;
        }
        jack_ringbuffer_write(h.ring, reinterpret_cast<const char*>(&size), sizeof size);
        jack_ringbuffer_write(h.ring, reinterpret_cast<const char*>(event.buffer), size);
        wrote = true;
    }
    if (wrote) {
        sem_post(&h.arrived);
    }
    return 0;
}

void JackMidiInput::noteSkippedCycles(Handles& h, std::uint32_t start, std::uint32_t frames) {
    // A cycle starts where the one before it ended, unless the server left
    // this client out of cycles between them (it was late, the computer too
    // busy); what the source sent in those cycles never reached the port.
    if (h.ranBefore && h.lastFrames > 0) {
        const std::uint32_t gap = start - h.lastStart;  // wraps as frame times do
        if (gap > h.lastFrames) {
            h.skipped.fetch_add(int((gap - 1) / h.lastFrames));
        }
    }
    h.ranBefore = true;
    h.lastStart = start;
    h.lastFrames = frames;
}

void JackMidiInput::shutdown(int, const char* reason, void* handles) {
    Handles& h = *static_cast<Handles*>(handles);
    if (reason != nullptr) {
        std::strncpy(h.goneReason, reason, sizeof h.goneReason - 1);
    }
    h.gone.store(true);
    sem_post(&h.arrived);
}

void JackMidiInput::run() {
    while (!stop_) {
        timespec until{};
        clock_gettime(CLOCK_REALTIME, &until);
        until.tv_nsec += WakeNs;
        if (until.tv_nsec >= 1'000'000'000) {
            until.tv_sec += 1;
            until.tv_nsec -= 1'000'000'000;
        }
        sem_timedwait(&handles_->arrived, &until);
        drain();
    }
}

void JackMidiInput::drain() {
    jack_ringbuffer_t* ring = handles_->ring;
    std::uint32_t size = 0;
    QByteArray bytes;
    // The process thread writes an event's size and its bytes one after the
    // other: an event is taken only once both are in.
    while (jack_ringbuffer_peek(ring, reinterpret_cast<char*>(&size), sizeof size) == sizeof size &&
           jack_ringbuffer_read_space(ring) >= sizeof size + size) {
        jack_ringbuffer_read_advance(ring, sizeof size);
        bytes.resize(qsizetype(size));
        jack_ringbuffer_read(ring, bytes.data(), size);
        sink_(bytes.constData(), bytes.size());
    }
}

int JackMidiInput::overruns() const {
    return handles_ ? handles_->overruns.load() : 0;
}

int JackMidiInput::skippedCycles() const {
    return handles_ ? handles_->skipped.load() : 0;
}

QString JackMidiInput::lostReason() const {
    if (!handles_) {
        return QString();
    }
    if (handles_->gone) {
        const QString why = QString::fromUtf8(handles_->goneReason);
        return why.isEmpty() ? QStringLiteral("the JACK server has stopped") : why;
    }
    const char* source = handles_->source.constData();
    if (jack_port_by_name(handles_->client, source) == nullptr) {
        return QStringLiteral("the port went away");
    }
    if (jack_port_connected_to(handles_->port, source) == 0) {
        return QStringLiteral("the port was disconnected");
    }
    return QString();
}

}  // namespace tamboril::midi::detail
