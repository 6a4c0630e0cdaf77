// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// MIDI input from a JACK server through libjack directly. Used inside the
// midi library only, by MidiIn on JACK.
//
// RtMidi's JACK input unregisters its port while its client is still active,
// so the server's process thread can be reading that port at the moment it
// goes; under PipeWire's JACK layer that ends the program with a
// segmentation fault at close now and then. This input stops its client's
// processing before its port goes, moves what arrives out of the process
// thread through a lock-free ring buffer (counting what did not fit as lost
// instead of dropping it unseen), waits until its own client sees the
// source's connection, and tells when the source goes away.

#include <QByteArray>
#include <QString>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <thread>

typedef struct _jack_client jack_client_t;

namespace tamboril::midi::detail {

class JackMidiInput {
  public:
    // Called on the input thread with the bytes of each event that arrived,
    // in order; lone clock and active sensing bytes are left out.
    using Sink = std::function<void(const char* bytes, qsizetype size)>;

    JackMidiInput();
    ~JackMidiInput();
    JackMidiInput(const JackMidiInput&) = delete;
    JackMidiInput& operator=(const JackMidiInput&) = delete;

    // Opens a JACK client `clientName` with a MIDI input port `portName`,
    // connects the port whose full name is `source` to it and waits at most
    // `wait` until this client sees the connection. Empty on success,
    // otherwise the reason it could not. Never starts a server.
    QString open(const QString& clientName, const QString& portName, const QString& source,
                 std::chrono::milliseconds wait, Sink sink);
    // Stops taking input and closes the client; no call of the sink comes
    // after this.
    void close();

    // How many events did not fit into the buffer between the process
    // thread and the input thread since open.
    int overruns() const;
    // How many of the server's cycles ran without this client since open:
    // whatever the source sent in them did not arrive.
    int skippedCycles() const;
    // Why input from the source cannot come any more (the server stopped,
    // the source went away or was disconnected); empty while it can.
    QString lostReason() const;

  private:
    // Everything the JACK callbacks touch: they are given this, not the
    // input, and it lives until the client is closed, so a callback that
    // comes while close runs finds it whole.
    struct Handles;
    static int process(std::uint32_t frames, void* handles);
    static void noteSkippedCycles(Handles& h, std::uint32_t start, std::uint32_t frames);
    static void shutdown(int code, const char* reason, void* handles);
    QString connectSource(std::chrono::milliseconds wait);
    // The input thread: hands what the process thread put into the ring
    // buffer to the sink until stopped.
    void run();
    void drain();

    std::unique_ptr<Handles> handles_;
    Sink sink_;
    std::thread thread_;
    std::atomic<bool> stop_{false};
};

}  // namespace tamboril::midi::detail
