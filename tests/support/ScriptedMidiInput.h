// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "midi/MidiInput.h"
#include "midi/MidiOut.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace tamboril::test {

// A MIDI input that hands out one prepared chunk per read (an empty chunk is
// a read on which nothing came: it waits as a real input would), then
// nothing. The input is lost, or overruns, from a given read on. A wake ends
// a waiting read, as on a real input. With a systemError it stands for an
// input that reaches no MIDI system: no ports, no system name, that error.
class ScriptedMidiInput final : public midi::MidiInput {
  public:
    QStringList ports{QStringLiteral("synth:out")};
    QList<QByteArray> chunks;
    int lostFromRead = -1;
    int overrunFromRead = -1;
    int skipped = 0;  // cycles the MIDI system ran without the program
    int reads = 0;
    int opened = -1;  // the device last opened
    QString systemError;

    int numDevs() override { return systemError.isEmpty() ? int(ports.size()) : 0; }
    int devName(int device, QString& name) override {
        name = ports.value(device);
        return midi::NoError;
    }
    int open(int device) override {
        opened = device;
        return midi::NoError;
    }
    QByteArray read(std::chrono::milliseconds wait) override {
        const int index = reads++;
        if (index < chunks.size() && !chunks.at(index).isEmpty()) {
            return chunks.at(index);
        }
        std::unique_lock lock(mutex_);
        woken_.wait_for(lock, wait, [this] { return wakes_ > 0; });
        wakes_ = 0;
        return {};
    }
    void wake() override {
        {
            const std::lock_guard lock(mutex_);
            ++wakes_;
        }
        woken_.notify_all();
    }
    QString lostReason() const override {
        return lostFromRead >= 0 && reads >= lostFromRead ? QStringLiteral("the port went away")
                                                          : QString();
    }
    int overruns() const override { return overrunFromRead >= 0 && reads >= overrunFromRead; }
    int skippedCycles() const override { return skipped; }
    int close() override { return midi::NoError; }
    QString errorText(int) const override { return systemError; }
    QString systemName() const override {
        return systemError.isEmpty() ? QStringLiteral("test") : QString();
    }
    int lastResult() const override {
        return systemError.isEmpty() ? midi::NoError : midi::NotEnabled;
    }

  private:
    std::mutex mutex_;
    std::condition_variable woken_;
    int wakes_ = 0;
};

}  // namespace tamboril::test
