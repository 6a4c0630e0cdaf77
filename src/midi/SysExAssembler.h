// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

namespace tamboril::midi {

// Puts SysEx messages together from MIDI input bytes that arrive in pieces
// of any size. Keeps only complete messages, F0 to F7:
// - real-time bytes (0xF8..0xFF: clock, active sensing, ...) may come at any
//   moment, also inside a SysEx message; they are left out and change
//   nothing;
// - any other status byte inside a message (a note, a new F0) ends it
//   unfinished, and it is dropped;
// - bytes outside a message (data without a status, such as the zero padding
//   after a kit, or the bytes of other messages) are ignored.
class SysExAssembler {
  public:
    // The longest message kept. A longer one is dropped, and the rest of its
    // bytes up to the next status byte are ignored.
    static constexpr qsizetype MaxMessageSize = 64 * 1024;

    SysExAssembler() = default;
    // Keeps messages of at most `maxMessageSize` bytes instead.
    explicit SysExAssembler(qsizetype maxMessageSize) : maxMessageSize_(maxMessageSize) {}
    qsizetype maxMessageSize() const { return maxMessageSize_; }

    // Takes the next bytes. True when any of them belonged to a SysEx
    // message (its start, its data or its end): the sender is still busy.
    bool feed(QByteArrayView bytes);

    // The complete messages, in the order they ended.
    const QList<QByteArray>& messages() const { return messages_; }
    // How many of them are kit messages (197 bytes).
    int kitCount() const { return kitCount_; }
    // Messages started but cut off by a status byte before their end.
    int droppedCount() const { return dropped_; }
    // Messages longer than maxMessageSize(), left out whole.
    int tooLongCount() const { return tooLong_; }
    // True while a message has started and not yet ended.
    bool inMessage() const { return inMessage_; }

  private:
    void drop();
    // One byte each: a start, an end, a data byte. True when it belonged to
    // a SysEx message.
    bool start(char c);
    bool end(char c);
    bool data(char c);

    qsizetype maxMessageSize_ = MaxMessageSize;
    QList<QByteArray> messages_;
    QByteArray current_;
    bool inMessage_ = false;
    bool skipping_ = false;  // inside a message that was too long
    int kitCount_ = 0;
    int dropped_ = 0;
    int tooLong_ = 0;
};

}  // namespace tamboril::midi
