// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "kit/KitImage.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

namespace tamboril::midi {

// How a long message is put on a port. The program hands over a fixed-size
// buffer: a SysEx message (F0 .. F7) followed by zero padding. The MIDI
// systems differ in what they can carry.

// Every send hands over one long message of this many bytes.
inline constexpr qsizetype LongMessageSize = 255;

// The long message for `bytes`: its first 255 bytes, then zeros up to 255
// bytes in all.
QByteArray LongMessage(QByteArrayView bytes);

// The long message that sends `kit` to the instrument: the kit with the
// transmission checksum (bytes 6..194) in byte 195, then 58 zero bytes. The
// kit passed in is not changed.
QByteArray KitTransmission(KitData kit);

// JACK carries raw bytes in events, and a JACK event is read as one MIDI
// message: receivers treat an event that starts with F0 and does not end with
// F7 as the first part of a SysEx still to be continued. So the bytes are cut
// after every F7: the SysEx travels as an event of its own, and whatever
// follows it (the padding) as the next event. Every byte handed over is
// carried, in order.
QList<QByteArray> JackEvents(QByteArrayView message);

// The ALSA sequencer carries MIDI events, not bytes: zero bytes after the
// final F7 have no status byte and form no event (the sequencer's encoder
// rejects them as an incomplete message). They are padding and are left off;
// everything up to and including the final F7 is sent. A message without an
// F7, or with non-zero bytes after it, is sent whole, so that a malformed
// message fails loudly instead of being trimmed.
QByteArrayView AlsaBytes(QByteArrayView message);

}  // namespace tamboril::midi
