// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// MIDI input from the ALSA sequencer through libasound directly. Used inside
// the midi library only, by MidiIn on ALSA.
//
// RtMidi's ALSA input keeps the sequencer's small default input pool (200
// cells of 28 bytes): a 64-kit dump that comes at full speed fills it before
// RtMidi's thread has taken it in, and the sequencer drops the rest. This
// input asks for the largest pool the sequencer grants, which holds a whole
// dump, reads SysEx events as the raw bytes they carry, and counts what the
// sequencer reports as lost instead of printing it.

#include <QByteArray>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <thread>

struct snd_seq_event;

namespace tamboril::midi::detail {

// The sequencer address at the end of a port name as the listing gives it
// ("Midi Through:Midi Through Port-0 14:0"); not valid() when the name does
// not end with one.
struct SeqAddress {
    int client = -1;
    int port = -1;
    bool valid() const { return client >= 0 && port >= 0; }
};
SeqAddress SeqAddressOfPortName(const QString& name);

class AlsaSeqInput {
  public:
    // Called on the input thread with the bytes of each event that arrived,
    // in order.
    using Sink = std::function<void(const char* bytes, qsizetype size)>;

    AlsaSeqInput();
    ~AlsaSeqInput();
    AlsaSeqInput(const AlsaSeqInput&) = delete;
    AlsaSeqInput& operator=(const AlsaSeqInput&) = delete;

    // Opens a sequencer client `clientName` with an input port `portName`,
    // connects `source` to it and starts taking input. Empty on success,
    // otherwise the reason (libasound's words) it could not.
    QString open(const QString& clientName, const QString& portName, SeqAddress source,
                 Sink sink);
    // Stops taking input and closes the client; no call of the sink comes
    // after this.
    void close();

    // How many times the sequencer reported input lost since open (its pool
    // for this client overflowed).
    int overruns() const { return overruns_.load(); }
    // Why input from the source cannot come any more (it was disconnected or
    // went away, or the sequencer cannot be read); empty while it can.
    QString lostReason() const;

  private:
    struct Handles;
    // The reading thread: waits for input and takes it until stopped, or
    // until the sequencer cannot be read any more.
    void run();
    // Takes every event the sequencer holds; false when it cannot be read.
    bool readPending();
    void take(const snd_seq_event& event);
    // True for an announcement that the source is gone or disconnected.
    bool endsSource(const snd_seq_event& event) const;

    std::unique_ptr<Handles> handles_;
    Sink sink_;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::atomic<int> overruns_{0};
    std::atomic<bool> disconnected_{false};
    // libasound's error code when reading failed for good; 0 while it works.
    std::atomic<int> failure_{0};
};

}  // namespace tamboril::midi::detail
