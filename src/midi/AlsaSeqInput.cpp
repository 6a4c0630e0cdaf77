// SPDX-License-Identifier: GPL-3.0-or-later
#include "midi/AlsaSeqInput.h"

#include "midi/MidiLog.h"

#include <alsa/asoundlib.h>
#include <poll.h>

#include <QRegularExpression>

#include <array>
#include <cerrno>
#include <vector>

namespace tamboril::midi::detail {

namespace {

// The largest input pool the sequencer grants a client, in cells of one
// event (28 bytes, SysEx data takes one cell per 28 bytes more). It holds
// about 220 kits: a 64-kit dump fits whole even when the program takes none
// of it in until it has all come.
constexpr long InputPoolCells = 2000;
// Bytes libasound reads from the sequencer at once.
constexpr std::size_t InputBufferBytes = 64 * 1024;
// How long the input thread waits for events before it looks whether it is
// to stop.
constexpr int PollMs = 50;
// The longest non-SysEx message the decoder makes bytes of.
constexpr long DecodeBufferBytes = 256;

QString AlsaText(int rc) {
    return QString::fromLocal8Bit(snd_strerror(rc));
}

}  // namespace

SeqAddress SeqAddressOfPortName(const QString& name) {
    static const QRegularExpression address(QStringLiteral(" (\\d{1,3}):(\\d{1,3})$"));
    const QRegularExpressionMatch match = address.match(name);
    if (!match.hasMatch()) {
        return {};
    }
    return {match.captured(1).toInt(), match.captured(2).toInt()};
}

struct AlsaSeqInput::Handles {
    snd_seq_t* seq = nullptr;
    snd_midi_event_t* decoder = nullptr;
    int port = -1;
    SeqAddress source;

    ~Handles() {
        if (decoder != nullptr) {
            snd_midi_event_free(decoder);
        }
        if (seq != nullptr) {
            snd_seq_close(seq);
        }
    }
};

AlsaSeqInput::AlsaSeqInput() = default;

AlsaSeqInput::~AlsaSeqInput() {
    close();
}

QString AlsaSeqInput::open(const QString& clientName, const QString& portName, SeqAddress source,
                           Sink sink) {
    close();
    auto h = std::make_unique<Handles>();
    h->source = source;
    if (const int rc = snd_seq_open(&h->seq, "default", SND_SEQ_OPEN_INPUT, SND_SEQ_NONBLOCK);
        rc < 0) {
        h->seq = nullptr;
        return QStringLiteral("the ALSA sequencer cannot be opened: %1").arg(AlsaText(rc));
    }
    snd_seq_set_client_name(h->seq, clientName.toLocal8Bit().constData());
    if (const int rc = snd_seq_set_client_pool_input(h->seq, InputPoolCells); rc < 0) {
        // The default pool still works, only for slower senders.
        qCDebug(lcMidi) << "ALSA input pool stays at its default:" << AlsaText(rc);
    }
    snd_seq_set_input_buffer_size(h->seq, InputBufferBytes);
    if (const int rc = snd_midi_event_new(DecodeBufferBytes, &h->decoder); rc < 0) {
        h->decoder = nullptr;
        return QStringLiteral("no MIDI decoder: %1").arg(AlsaText(rc));
    }
    snd_midi_event_no_status(h->decoder, 1);

    h->port = snd_seq_create_simple_port(
        h->seq, portName.toLocal8Bit().constData(),
        SND_SEQ_PORT_CAP_WRITE | SND_SEQ_PORT_CAP_SUBS_WRITE,
        SND_SEQ_PORT_TYPE_MIDI_GENERIC | SND_SEQ_PORT_TYPE_APPLICATION);
    if (h->port < 0) {
        return QStringLiteral("the input port cannot be made: %1").arg(AlsaText(h->port));
    }
    if (const int rc = snd_seq_connect_from(h->seq, h->port, source.client, source.port); rc < 0) {
        return QStringLiteral("it cannot be connected: %1").arg(AlsaText(rc));
    }
    // The system's announcements tell when the source goes away or is
    // disconnected; without them the input would only fall silent.
    if (const int rc = snd_seq_connect_from(h->seq, h->port, SND_SEQ_CLIENT_SYSTEM,
                                            SND_SEQ_PORT_SYSTEM_ANNOUNCE);
        rc < 0) {
        qCDebug(lcMidi) << "ALSA announcements not followed:" << AlsaText(rc);
    }

    handles_ = std::move(h);
    sink_ = std::move(sink);
    stop_ = false;
    overruns_ = 0;
    disconnected_ = false;
    failure_ = 0;
    thread_ = std::thread([this] { run(); });
    return QString();
}

void AlsaSeqInput::close() {
    if (thread_.joinable()) {
        stop_ = true;
        thread_.join();
    }
    handles_.reset();
    sink_ = nullptr;
}

QString AlsaSeqInput::lostReason() const {
    if (const int rc = failure_.load(); rc != 0) {
        return QStringLiteral("the ALSA sequencer cannot be read: %1").arg(AlsaText(rc));
    }
    return disconnected_ ? QStringLiteral("the port went away or was disconnected") : QString();
}

void AlsaSeqInput::run() {
    snd_seq_t* seq = handles_->seq;
    const int count = snd_seq_poll_descriptors_count(seq, POLLIN);
    std::vector<pollfd> fds(std::size_t(std::max(count, 0)));
    snd_seq_poll_descriptors(seq, fds.data(), unsigned(fds.size()), POLLIN);
    while (!stop_) {
        if (poll(fds.data(), nfds_t(fds.size()), PollMs) > 0 && !readPending()) {
            return;
        }
    }
}

bool AlsaSeqInput::readPending() {
    for (;;) {
        snd_seq_event_t* event = nullptr;
        const int rc = snd_seq_event_input(handles_->seq, &event);
        if (rc == -ENOSPC) {
            // The sequencer had no room for input and dropped it.
            ++overruns_;
            continue;
        }
        if (rc == -EAGAIN) {
            return true;  // everything has been read
        }
        if (rc == -EINTR) {
            continue;  // a signal (Ctrl+C) came to this thread
        }
        if (rc < 0 || event == nullptr) {
            // The sequencer cannot be read any more; polling again would
            // only spin.
            failure_ = rc < 0 ? rc : -EIO;
            return false;
        }
        take(*event);
    }
}

bool AlsaSeqInput::endsSource(const snd_seq_event& event) const {
    const SeqAddress source = handles_->source;
    switch (event.type) {
        case SND_SEQ_EVENT_PORT_UNSUBSCRIBED:
            return event.data.connect.sender.client == source.client &&
                   event.data.connect.sender.port == source.port &&
                   event.data.connect.dest.client == snd_seq_client_id(handles_->seq) &&
                   event.data.connect.dest.port == handles_->port;
        case SND_SEQ_EVENT_PORT_EXIT:
            return event.data.addr.client == source.client && event.data.addr.port == source.port;
        case SND_SEQ_EVENT_CLIENT_EXIT:
            return event.data.addr.client == source.client;
        default:
            return false;
    }
}

void AlsaSeqInput::take(const snd_seq_event& event) {
    switch (event.type) {
        case SND_SEQ_EVENT_SYSEX:
            sink_(static_cast<const char*>(event.data.ext.ptr), qsizetype(event.data.ext.len));
            return;
        case SND_SEQ_EVENT_CLOCK:
        case SND_SEQ_EVENT_SENSING:
            return;
        case SND_SEQ_EVENT_PORT_UNSUBSCRIBED:
        case SND_SEQ_EVENT_PORT_EXIT:
        case SND_SEQ_EVENT_CLIENT_EXIT:
            if (endsSource(event)) {
                disconnected_ = true;
            }
            return;
        default:
            break;
    }
    if (event.source.client == SND_SEQ_CLIENT_SYSTEM) {
        return;  // other announcements
    }
    std::array<unsigned char, DecodeBufferBytes> bytes{};
    if (const long size = snd_midi_event_decode(handles_->decoder, bytes.data(),
                                                long(bytes.size()), &event);
        size > 0) {
        sink_(reinterpret_cast<const char*>(bytes.data()), qsizetype(size));
    }
}

}  // namespace tamboril::midi::detail
