// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/FakeMidiOut.h"

namespace tamboril::test {

using namespace tamboril::midi;

int FakeMidiOut::numDevs() {
    calls.append(QStringLiteral("numDevs"));
    return int(ports.size());
}

int FakeMidiOut::devName(int device, QString& name) {
    calls.append(QStringLiteral("devName %1").arg(device));
    if (device == devNameFailsAt) {
        return devNameResult;
    }
    if (device < 0 || device >= ports.size()) {
        return BadDeviceId;
    }
    name = ports.at(device);
    return NoError;
}

int FakeMidiOut::open(int device) {
    calls.append(QStringLiteral("open %1").arg(device));
    if (openResult != NoError) {
        return openResult;
    }
    if (open_) {
        return Allocated;
    }
    if (device < 0 || device >= ports.size()) {
        return BadDeviceId;
    }
    open_ = true;
    prepared_ = false;
    openedDevice = device;
    return NoError;
}

int FakeMidiOut::prepareHeader(QByteArrayView message) {
    calls.append(QStringLiteral("prepareHeader %1").arg(message.size()));
    if (prepareResult != NoError) {
        return prepareResult;
    }
    if (!open_) {
        return InvalidHandle;
    }
    if (message.isEmpty()) {
        return InvalidParam;
    }
    message_ = message.toByteArray();
    prepared_ = true;
    return NoError;
}

int FakeMidiOut::longMsg() {
    calls.append(QStringLiteral("longMsg"));
    if (longMsgResult != NoError) {
        return longMsgResult;
    }
    if (!open_) {
        return InvalidHandle;
    }
    if (!prepared_) {
        return NotPrepared;
    }
    sent.append(message_);
    return NoError;
}

int FakeMidiOut::unprepareHeader() {
    calls.append(QStringLiteral("unprepareHeader"));
    if (unprepareResult != NoError) {
        return unprepareResult;
    }
    if (!open_) {
        return InvalidHandle;
    }
    if (!prepared_) {
        return NotPrepared;
    }
    prepared_ = false;
    message_.clear();
    return NoError;
}

int FakeMidiOut::close() {
    calls.append(QStringLiteral("close"));
    const bool wasOpen = open_;
    open_ = false;
    prepared_ = false;
    message_.clear();
    if (closeResult != NoError) {
        return closeResult;
    }
    return wasOpen ? NoError : InvalidHandle;
}

QString FakeMidiOut::errorText(int code) {
    calls.append(QStringLiteral("errorText %1").arg(code));
    return texts.value(code, QStringLiteral("Fake MIDI error %1").arg(code));
}

}  // namespace tamboril::test
