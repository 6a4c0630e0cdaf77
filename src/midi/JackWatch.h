// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>

typedef struct _jack_client jack_client_t;
typedef struct _jack_port jack_port_t;

namespace tamboril::midi {

// A port-less JACK client that watches the server while a port is open.
// RtMidi's JACK output only queues a message in a ring buffer that its client
// empties in the server's process cycle, and it reports neither delivery nor
// the server's death. This client counts process cycles and notices when the
// server goes away, so the sender can wait until the message has left, and
// can check which ports are really connected.
class JackWatch {
  public:
    // Connects to the running server (the one JACK_DEFAULT_SERVER names, or
    // the default one); never starts a server. On failure returns null and
    // sets `reason`.
    static std::unique_ptr<JackWatch> connect(const QString& clientName, QString& reason);
    // Opens a client of the running server (never starts one), and tries
    // again a few times when the server failed to reach it: a busy jackd
    // now and then cannot connect back to a new client (status 0x21).
    // `status` gets libjack's jack_status_t bits of the last try.
    static jack_client_t* openClient(const QString& name, unsigned& status);
    ~JackWatch();
    JackWatch(const JackWatch&) = delete;
    JackWatch& operator=(const JackWatch&) = delete;

    // Process cycles run since connecting.
    std::uint64_t cycles() const { return cycles_.load(); }
    // Process cycles the server could not finish in time (xruns) since
    // connecting. MIDI events in such a cycle may never reach their port.
    std::uint64_t xruns() const { return xruns_.load(); }
    // True once the server has shut down or the client was thrown out.
    bool serverGone() const { return gone_.load(); }
    QString goneReason() const;

    // How a wait for process cycles ended.
    enum class WaitEnd { Reached, ServerGone, TimedOut };
    // Waits until `count` process cycles have run after the cycle count
    // `start` and `ready` (when given, asked every millisecond) holds, or the
    // server goes away, or `deadline` passes.
    WaitEnd waitCycles(std::uint64_t start, std::uint64_t count,
                       std::chrono::steady_clock::time_point deadline,
                       const std::function<bool()>& ready = {}) const;

    // True when a port named `port` of a client called `client` (or JACK's
    // renamed form of it, "client-NN") is connected to the port whose full
    // name is `other`: an output port to its destination, or an input port
    // to its source.
    bool isConnected(const QString& other, const QString& client, const QString& port) const;
    // The full name of that port when it is connected to `other`, or an
    // empty string.
    QString connectedPort(const QString& other, const QString& client, const QString& port) const;

    // Connects the program's output port `source` to an input port of the
    // watch, so that the watch sees each message leave, in the very cycle it
    // leaves, and notes whether `source` was connected to `destination`
    // (full port names) in that cycle. The watch runs after `source` in the
    // graph, as the destination does, so both see the same cycle. False when
    // that port could not be made or connected.
    bool followSends(const QString& source, const QString& destination);
    // True once followSends succeeded and its connection shows.
    bool followingSends() const;
    // Starts counting the bytes of the next message from zero.
    void expectMessage();
    // Bytes seen leaving the source since expectMessage.
    std::uint64_t bytesSent() const { return bytesSent_.load(); }
    // How many of those bytes left before the first cycle in which the
    // source was not connected to the destination: the bytes from there on
    // went nowhere.
    std::uint64_t bytesSentWhileConnected() const;

  private:
    JackWatch() = default;
    static int onProcess(std::uint32_t frames, void* self);
    static void onShutdown(int code, const char* reason, void* self);
    static int onXrun(void* self);
    void noteSends(jack_port_t* in, std::uint32_t frames);

    jack_client_t* client_ = nullptr;
    std::atomic<std::uint64_t> cycles_{0};
    std::atomic<std::uint64_t> xruns_{0};
    std::atomic<bool> gone_{false};
    // Set once by followSends before sendsIn_ is published; read by the
    // process callback.
    jack_port_t* source_ = nullptr;
    char destination_[320] = {};
    std::atomic<jack_port_t*> sendsIn_{nullptr};
    std::atomic<std::uint64_t> bytesSent_{0};
    // bytesSent_ when the first unconnected cycle began, or NoneUnconnected.
    static constexpr std::uint64_t NoneUnconnected = ~std::uint64_t(0);
    std::atomic<std::uint64_t> bytesBeforeUnconnected_{NoneUnconnected};
    // Written once by the shutdown callback before gone_ is set.
    char goneReason_[256] = {};
};

}  // namespace tamboril::midi
