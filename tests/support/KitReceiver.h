// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// 'tamboril-kit receive' run as a process of its own on the JACK server the
// test run started, and a wait until it listens to a feeder of the test's.
// Tests that use it link the MIDI backend and RtMidi.

#include "midi/JackWatch.h"
#include "support/JackPorts.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QStringList>

namespace tamboril::test {

// The input ports of running 'tamboril-kit receive' processes ("tamboril-kit:in",
// or JACK's renamed "tamboril-kit-01:in") that `feeder` could send to. There
// can be more than one: a receiver of an earlier test may still be ending.
inline QStringList receiverPorts(JackSource& feeder) {
    static const QRegularExpression receiver(QStringLiteral("^tamboril-kit(-\\d+)?:in$"));
    QStringList ports;
    for (const QString& name : feeder.destinations()) {
        if (receiver.match(name).hasMatch()) {
            ports << name;
        }
    }
    return ports;
}

// 'tamboril-kit receive' running in the background.
class Receiver {
  public:
    Receiver(const QString& program, const QStringList& args) { process.start(program, args); }
    ~Receiver() {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished();
        }
    }
    Receiver(const Receiver&) = delete;
    Receiver& operator=(const Receiver&) = delete;

    // Waits until the receiver's port exists and the feeder is connected to
    // it; returns the port's name, or empty (and the receiver's complaint in
    // `why`) when that does not happen.
    QString waitUntilListening(JackSource& feeder, QString& why) {
        QString reason;
        const auto watch = midi::JackWatch::connect(QStringLiteral("tk-test watch"), reason);
        if (!watch) {
            why = reason;
            return QString();
        }
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < 60000) {
            if (process.state() == QProcess::NotRunning) {
                why = QStringLiteral("receive ended early: ") +
                      QString::fromUtf8(process.readAllStandardOutput() +
                                        process.readAllStandardError());
                return QString();
            }
            for (const QString& port : receiverPorts(feeder)) {
                const QString client = port.section(QLatin1Char(':'), 0, 0);
                if (watch->isConnected(feeder.portName(), client, QStringLiteral("in"))) {
                    return port;
                }
            }
            // QProcess learns that the process ended only in an event loop
            // or a wait; this wait is the pause between two looks.
            process.waitForFinished(20);
        }
        why = QStringLiteral("receive did not start listening within 60 s");
        return QString();
    }

    QProcess process;
};

}  // namespace tamboril::test
