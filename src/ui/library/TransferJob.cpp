// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/library/TransferJob.h"

#include <QThread>

namespace tamboril::ui {

TransferJob::TransferJob(QObject* parent) : QObject(parent) {}

TransferJob::~TransferJob() {
    if (thread_ != nullptr) {
        cancel_ = true;
        thread_->wait();
        delete thread_;
    }
}

bool TransferJob::start(std::function<void(TransferJob&)> work) {
    if (thread_ != nullptr) {
        return false;
    }
    cancel_ = false;
    thread_ = QThread::create([this, work = std::move(work)] { work(*this); });
    // Queued to this object's thread: the result is read there, after the
    // work has written it.
    connect(thread_, &QThread::finished, this, [this] {
        thread_->wait();
        delete thread_;
        thread_ = nullptr;
        emit finished();
    });
    thread_->start();
    return true;
}

}  // namespace tamboril::ui
