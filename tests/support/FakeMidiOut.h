// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "midi/MidiOut.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

namespace tamboril::test {

// A MidiOut for tests: a port list of the test's choosing, a result to force
// on each operation, and a record of every call and of every message sent.
//
// Without forced results it behaves like a careful backend: it opens only the
// listed ports (so DefaultDevice and numbers out of range give BadDeviceId),
// refuses calls out of order (InvalidHandle, NotPrepared, Allocated), and
// keeps every message a successful longMsg hands over. A forced result makes
// that call fail with the code and change nothing, except close, which
// releases the port whatever it reports (as MidiOut promises).
class FakeMidiOut : public midi::MidiOut {
  public:
    // What numDevs and devName report.
    QStringList ports;
    // devName fails with devNameResult for this device number (-1: never).
    int devNameFailsAt = -1;
    int devNameResult = midi::Error;
    // Forced results; NoError lets the call behave normally.
    int openResult = midi::NoError;
    int prepareResult = midi::NoError;
    int longMsgResult = midi::NoError;
    int unprepareResult = midi::NoError;
    int closeResult = midi::NoError;
    // errorText(code) returns texts[code], or "Fake MIDI error <code>".
    QMap<int, QString> texts;

    // Every call in order: "numDevs", "devName 0", "open -1",
    // "prepareHeader 255", "longMsg", "unprepareHeader", "close",
    // "errorText 2".
    QStringList calls;
    // Every message a successful longMsg handed over, in order.
    QList<QByteArray> sent;
    // The device of the last successful open.
    int openedDevice = -100;

    bool isOpen() const { return open_; }
    bool isPrepared() const { return prepared_; }

    int numDevs() override;
    int devName(int device, QString& name) override;
    int open(int device) override;
    int prepareHeader(QByteArrayView message) override;
    int longMsg() override;
    int unprepareHeader() override;
    int close() override;
    QString errorText(int code) override;

  private:
    bool open_ = false;
    bool prepared_ = false;
    QByteArray message_;
};

}  // namespace tamboril::test
