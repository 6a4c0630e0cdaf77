// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>

namespace tamboril::midi {

// A request to stop a transfer, made on one thread and seen at once on the
// one that transfers: a waitFor ends the moment the request comes, and a
// wake registered meanwhile is called right then, so that a wait of another
// kind (a read of MIDI input) ends too. Once requested it stays so until
// reset.
class Cancellation {
  public:
    Cancellation() = default;
    Cancellation(const Cancellation&) = delete;
    Cancellation& operator=(const Cancellation&) = delete;

    // Any thread: asks the transfer to stop.
    void request();
    bool requested() const;
    // Waits `duration`, or less when a request comes first; true when one
    // has come. A duration of 0 only looks.
    bool waitFor(std::chrono::milliseconds duration) const;
    // Unrequested again, for the next transfer; nobody may wait meanwhile.
    void reset();

    // While it lives, `wake` is called when a request comes (at once when
    // one has come already), on the thread that requests, with the
    // cancellation's lock held: it must only nudge a waiting thread. One at
    // a time; a null cancellation never calls it.
    class Wake {
      public:
        Wake(const Cancellation* cancellation, std::function<void()> wake);
        ~Wake();
        Wake(const Wake&) = delete;
        Wake& operator=(const Wake&) = delete;

      private:
        const Cancellation* cancellation_;
    };

  private:
    mutable std::mutex mutex_;
    mutable std::condition_variable requestCame_;
    bool requested_ = false;
    // Registering a wake does not change whether a stop is requested.
    mutable std::function<void()> wake_;
};

}  // namespace tamboril::midi
