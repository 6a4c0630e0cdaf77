#pragma once

// A MIDI output that records what the window hands it and fails on request.

#include "MidiOut.h"

#include <QByteArray>
#include <QStringList>

namespace tamboril::test {

class FakeMidiOut : public midi::MidiOut {
  public:
    // Result codes to return; 0 is success.
    int openResult = 0;
    int prepareResult = 0;
    int longMsgResult = 0;
    int unprepareResult = 0;
    int closeResult = 0;

    QStringList calls;
    int openedDevice = -99;
    QByteArray prepared;
    QList<QByteArray> sent;

    int numDevs() override { return 0; }
    int devName(int, QString&) override { return midi::BadDeviceId; }

    int open(int device) override {
        calls << QStringLiteral("open");
        openedDevice = device;
        return openResult;
    }
    int prepareHeader(QByteArrayView message) override {
        calls << QStringLiteral("prepare");
        prepared = message.toByteArray();
        return prepareResult;
    }
    int longMsg() override {
        calls << QStringLiteral("longMsg");
        if (longMsgResult == 0) {
            sent << prepared;
        }
        return longMsgResult;
    }
    int unprepareHeader() override {
        calls << QStringLiteral("unprepare");
        return unprepareResult;
    }
    int close() override {
        calls << QStringLiteral("close");
        return closeResult;
    }
    QString errorText(int code) override { return QStringLiteral("fake error %1").arg(code); }
};

}  // namespace tamboril::test
