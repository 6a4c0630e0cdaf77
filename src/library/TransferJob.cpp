// SPDX-License-Identifier: GPL-3.0-or-later
#include "library/TransferJob.h"

#include <QThread>

namespace tamboril::library {

TransferJob::TransferJob(QObject* parent) : QObject(parent) {}

TransferJob::~TransferJob() {
    if (thread_ != nullptr) {
        cancel_.request();
        thread_->wait();
        delete thread_;
    }
}

bool TransferJob::start(Running what, std::function<void(TransferJob&)> work) {
    if (thread_ != nullptr) {
        return false;
    }
    cancel_.reset();
    running_ = std::move(what);
    done_ = 0;
    thread_ = QThread::create([this, work = std::move(work)] { work(*this); });
    // Queued to this object's thread: the result is read there, after the
    // work has written it.
    connect(thread_, &QThread::finished, this, [this, run = ++runs_] {
        if (run == runs_ && thread_ != nullptr) {
            end();
        }
    });
    thread_->start();
    return true;
}

void TransferJob::cancelAndWait() {
    if (thread_ != nullptr) {
        cancel_.request();
        end();
    }
}

void TransferJob::kitDone(int count) {
    done_ = count;
    emit progress(count);
}

void TransferJob::end() {
    thread_->wait();
    delete thread_;
    thread_ = nullptr;
    emit finished();
}

}  // namespace tamboril::library
