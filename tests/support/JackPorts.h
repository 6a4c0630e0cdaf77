// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Ports of the test process itself on the JACK server the test run started
// (JACK_DEFAULT_SERVER): an input that keeps what is sent to it and an output
// that sends what a test gives it. Tests that use them link libjack and RtMidi.

#include <RtMidi.h>
#include <jack/jack.h>
#include <jack/midiport.h>

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QString>
#include <QStringList>
#include <QThread>

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <utility>
#include <vector>

namespace tamboril::test {

// True when the test runs on a JACK server the test run started: jackd under
// the name JACK_DEFAULT_SERVER gives, or PipeWire's JACK layer.
inline bool onTestRunServer() {
    return !qEnvironmentVariable("JACK_DEFAULT_SERVER").isEmpty() ||
           qEnvironmentVariable("TAMBORIL_TEST_PIPEWIRE") == QLatin1String("1");
}

// Sets an environment variable for the lifetime of the object.
class EnvOverride {
  public:
    EnvOverride(const char* name, const QByteArray& value)
        : name_(name), old_(qgetenv(name)), had_(qEnvironmentVariableIsSet(name)) {
        qputenv(name, value);
    }
    ~EnvOverride() {
        if (had_) {
            qputenv(name_, old_);
        } else {
            qunsetenv(name_);
        }
    }
    EnvOverride(const EnvOverride&) = delete;
    EnvOverride& operator=(const EnvOverride&) = delete;

  private:
    const char* name_;
    QByteArray old_;
    bool had_;
};

// A JACK MIDI input port "<client>:in" that keeps SysEx and, unless told to
// drop them as an instrument's input would, timing and active sensing. It
// reads through libjack itself, not RtMidi: RtMidi's JACK input removes its
// port while its client is still active, and the server's process thread
// then now and then reads a port that is going (a crash at the end of a
// test). This client stops processing before its port goes.
class JackReceiver {
  public:
    enum class Timing { Keep, Drop };

    explicit JackReceiver(const QString& client, Timing timing = Timing::Keep)
        : drop_(timing == Timing::Drop) {
        client_ = jack_client_open(client.toUtf8().constData(), JackNoStartServer, nullptr);
        if (client_ == nullptr) {
            return;
        }
        name_ = QString::fromUtf8(jack_get_client_name(client_)) + QStringLiteral(":in");
        port_ = jack_port_register(client_, "in", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
        jack_set_process_callback(client_, &JackReceiver::process, this);
        jack_activate(client_);
    }
    ~JackReceiver() {
        if (client_ != nullptr) {
            jack_deactivate(client_);
            jack_client_close(client_);
        }
    }
    JackReceiver(const JackReceiver&) = delete;
    JackReceiver& operator=(const JackReceiver&) = delete;

    QString portName() const { return name_; }

    // Connects `source` (a full port name) to this port and waits, two
    // seconds at most, until this client sees the connection.
    bool listenTo(const QString& source) {
        if (jack_connect(client_, source.toUtf8().constData(), name_.toUtf8().constData()) != 0) {
            return false;
        }
        QElapsedTimer timer;
        timer.start();
        while (jack_port_connected(port_) == 0 && timer.elapsed() < 2000) {
            QThread::msleep(1);
        }
        return jack_port_connected(port_) > 0;
    }

    // Disconnects the port from every source, as a receiver that leaves
    // does; the server shows it from its next cycle on.
    bool leave() { return jack_port_disconnect(client_, port_) == 0; }

    // The messages received so far, without waiting.
    QList<QByteArray> takeNow() {
        const std::lock_guard<std::mutex> lock(mutex_);
        return std::exchange(messages_, {});
    }

    // Messages until `bytes` bytes have come in or `ms` have passed.
    QList<QByteArray> takeWithin(int ms, qsizetype bytes) {
        QList<QByteArray> messages;
        qsizetype total = 0;
        QElapsedTimer timer;
        timer.start();
        while (total < bytes && timer.elapsed() < ms) {
            for (const QByteArray& message : takeNow()) {
                messages.append(message);
                total += message.size();
            }
            QThread::msleep(5);
        }
        return messages;
    }

  private:
    static bool timing(const jack_midi_event_t& event) {
        const auto status = event.size > 0 ? event.buffer[0] : 0;
        return status == 0xF1 || status == 0xF8 || status == 0xFE;
    }

    // Each event is a message, except that a SysEx message that does not end
    // in its event goes on in the next ones. A test's server runs without
    // real-time demands, so the lock here costs nothing that matters.
    static int process(jack_nframes_t frames, void* self) {
        auto* receiver = static_cast<JackReceiver*>(self);
        void* buffer = jack_port_get_buffer(receiver->port_, frames);
        const std::uint32_t count = jack_midi_get_event_count(buffer);
        const std::lock_guard<std::mutex> lock(receiver->mutex_);
        for (std::uint32_t i = 0; i < count; ++i) {
            jack_midi_event_t event;
            if (jack_midi_event_get(&event, buffer, i) != 0 || (receiver->drop_ && timing(event))) {
                continue;
            }
            QByteArray& pending = receiver->pending_;
            pending.append(reinterpret_cast<const char*>(event.buffer), qsizetype(event.size));
            if (pending.startsWith('\xF0') && !pending.endsWith('\xF7')) {
                continue;
            }
            receiver->messages_.append(std::exchange(pending, {}));
        }
        return 0;
    }

    bool drop_;
    jack_client_t* client_ = nullptr;
    jack_port_t* port_ = nullptr;
    QString name_;
    std::mutex mutex_;
    QByteArray pending_;
    QList<QByteArray> messages_;
};

// A JACK MIDI output port "<client>:out": a source a MIDI input can listen
// to, standing in for an instrument's MIDI out.
class JackSource {
  public:
    explicit JackSource(const QString& client)
        : client_(client), out_(RtMidi::UNIX_JACK, client.toStdString()) {
        out_.openVirtualPort("out");
    }

    QString portName() const { return client_ + QStringLiteral(":out"); }

    void send(const QByteArray& message) {
        out_.sendMessage(reinterpret_cast<const unsigned char*>(message.constData()),
                         std::size_t(message.size()));
    }

    // The JACK MIDI input ports this output could be connected to now.
    QStringList destinations() {
        QStringList names;
        const unsigned count = out_.getPortCount();
        for (unsigned i = 0; i < count; ++i) {
            names << QString::fromStdString(out_.getPortName(i));
        }
        return names;
    }

  private:
    QString client_;
    RtMidiOut out_;
};

}  // namespace tamboril::test
