// SPDX-License-Identifier: GPL-3.0-or-later
#include "midi/Cancellation.h"

namespace tamboril::midi {

void Cancellation::request() {
    const std::lock_guard lock(mutex_);
    requested_ = true;
    requestCame_.notify_all();
    // Under the lock: a Wake that is going away waits for this call.
    if (wake_) {
        wake_();
    }
}

bool Cancellation::requested() const {
    const std::lock_guard lock(mutex_);
    return requested_;
}

bool Cancellation::waitFor(std::chrono::milliseconds duration) const {
    std::unique_lock lock(mutex_);
    return requestCame_.wait_for(lock, duration, [this] { return requested_; });
}

void Cancellation::reset() {
    const std::lock_guard lock(mutex_);
    requested_ = false;
}

Cancellation::Wake::Wake(const Cancellation* cancellation, std::function<void()> wake)
    : cancellation_(cancellation) {
    if (cancellation_ == nullptr) {
        return;
    }
    const std::lock_guard lock(cancellation_->mutex_);
    cancellation_->wake_ = std::move(wake);
    if (cancellation_->requested_) {
        cancellation_->wake_();
    }
}

Cancellation::Wake::~Wake() {
    if (cancellation_ != nullptr) {
        const std::lock_guard lock(cancellation_->mutex_);
        cancellation_->wake_ = nullptr;
    }
}

}  // namespace tamboril::midi
