// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Ports of the test process itself on the JACK server the test run started
// (JACK_DEFAULT_SERVER): an input that keeps what is sent to it and an output
// that sends what a test gives it. Tests that use them link RtMidi.

#include <RtMidi.h>

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QString>
#include <QStringList>
#include <QThread>

#include <cstddef>
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
// drop them as an instrument's input would, timing and active sensing.
class JackReceiver {
  public:
    enum class Timing { Keep, Drop };

    explicit JackReceiver(const QString& client, Timing timing = Timing::Keep)
        : client_(client), in_(RtMidi::UNIX_JACK, client.toStdString()) {
        const bool drop = timing == Timing::Drop;
        in_.ignoreTypes(false, drop, drop);
        in_.openVirtualPort("in");
    }

    QString portName() const { return client_ + QStringLiteral(":in"); }

    // The messages received so far, without waiting.
    QList<QByteArray> takeNow() {
        QList<QByteArray> messages;
        std::vector<unsigned char> message;
        for (;;) {
            in_.getMessage(&message);
            if (message.empty()) {
                return messages;
            }
            messages.append(QByteArray(reinterpret_cast<const char*>(message.data()),
                                       qsizetype(message.size())));
        }
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
    QString client_;
    RtMidiIn in_;
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
