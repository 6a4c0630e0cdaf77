// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary MIDI input to the wait for kits that receive uses, through
// an input that hands out the fuzz input's pieces read by read, and checks
// what the assembly made of them:
// - every message kept is whole (F0, data bytes only, F7) and stands, in
//   order, in the bytes that came once real-time bytes are left out;
// - every F0 that came is accounted for exactly once: kept, dropped, too
//   long, or still open;
// - the kits counted are the kept messages of a kit's size;
// - how the bytes were cut into reads changes nothing;
// - the wait reads nothing after the kits asked for are complete, says Done
//   only then, and reports progress that only grows up to the final count.
//
// Input: the first byte picks how many kits to wait for (bits 0 and 1: 1, 2,
// 3 or 64). The wait is the same for any number and a few kits keep every
// input quick; 64 never come within MaxDelivered, and stand for the dumps
// that end otherwise. Then a sequence of steps, each starting with a byte h:
//   0xFF  the input reports an overrun from now on;
//   0xFE  the user asks to stop;
//   0xFD  the port is lost: one more read returns all the rest;
//   0x80..0xFC  a read of the (next byte) bytes that follow, handed out
//         h - 0x7F times over in that one read, so that several kits or an
//         overlong message come from a short input;
//   0x00..0x7F  a read of the h bytes that follow (0: a read that timed out).
// When the steps run out, or more than MaxDelivered bytes have come, the
// input is lost, so every wait ends, and soon.

#include "kit/KitImage.h"
#include "midi/MidiInput.h"
#include "midi/Receiving.h"
#include "midi/SysExAssembler.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <utility>

using namespace tamboril;
using namespace tamboril::midi;

namespace {

// Names the check that failed, so that a crash input says what it broke.
void check(bool condition, int line = __builtin_LINE()) {
    if (!condition) {
        std::fprintf(stderr, "check failed at line %d\n", line);
        std::abort();
    }
}

constexpr std::uint8_t Overrun = 0xFF;
constexpr std::uint8_t Stop = 0xFE;
constexpr std::uint8_t Lose = 0xFD;
constexpr std::uint8_t Repeated = 0x80;
// The assembly keeps messages up to this size here (more than a kit), so
// that too long messages come from short inputs and every input is quick.
constexpr qsizetype MaxMessage = 256;
// Enough for a message too long to keep and a few kits after it.
constexpr qsizetype MaxDelivered = 2048;

// The fuzz input's steps as a MIDI input.
class ScriptedInput final : public MidiInput {
  public:
    explicit ScriptedInput(QByteArrayView script) : script_(script) {}

    int numDevs() override { return 1; }
    int devName(int, QString& name) override {
        name = QStringLiteral("scripted");
        return 0;
    }
    int open(int) override { return 0; }
    int close() override { return 0; }
    QString errorText(int) const override { return QString(); }
    QString systemName() const override { return QStringLiteral("scripted"); }
    int lastResult() const override { return 0; }

    QByteArray read(std::chrono::milliseconds) override {
        QByteArray bytes;
        if (lost_) {
            // What had arrived before the port went is all there at once.
            while (at_ < script_.size() && came_.size() + bytes.size() <= MaxDelivered) {
                bytes += nextRead();
            }
        } else {
            bytes = nextRead();
        }
        ++reads_;
        came_ += bytes;
        return bytes;
    }
    QString lostReason() const override {
        return lost_ || at_ >= script_.size() || came_.size() > MaxDelivered
                   ? QStringLiteral("gone")
                   : QString();
    }
    int overruns() const override { return overrun_ ? 1 : 0; }

    int readCount() const { return reads_; }
    // Everything the reads returned, in order.
    const QByteArray& came() const { return came_; }

    bool stopAsked() const { return stop_; }
    bool overrunSeen() const { return overrun_; }

  private:
    // The bytes of the next read; control steps on the way take effect.
    QByteArray nextRead() {
        while (at_ < script_.size()) {
            const auto h = std::uint8_t(script_[at_++]);
            if (h == Overrun) {
                overrun_ = true;
            } else if (h == Stop) {
                stop_ = true;
            } else if (h == Lose) {
                lost_ = true;
            } else {
                return piece(h);
            }
        }
        return QByteArray();
    }

    QByteArray piece(std::uint8_t h) {
        int times = 1;
        qsizetype length = h;
        if (h >= Repeated) {
            times = h - Repeated + 1;
            length = at_ < script_.size() ? std::uint8_t(script_[at_++]) : 0;
        }
        length = std::min(length, script_.size() - at_);
        const QByteArrayView bytes = script_.sliced(at_, length);
        at_ += length;
        QByteArray read;
        for (int i = 0; i < times && came_.size() + read.size() <= MaxDelivered; ++i) {
            read += bytes;
        }
        return read;
    }

    QByteArrayView script_;
    qsizetype at_ = 0;
    int reads_ = 0;
    QByteArray came_;
    bool overrun_ = false;
    bool stop_ = false;
    bool lost_ = false;
};

// Every kept message is a whole SysEx message and they stand, in order and
// apart, in `stream` (the bytes that came, real-time bytes left out).
void checkMessagesIn(const SysExAssembler& assembler, const QByteArray& stream) {
    qsizetype from = 0;
    int kits = 0;
    for (const QByteArray& message : assembler.messages()) {
        check(message.size() >= 2 && message.size() <= MaxMessage);
        check(std::uint8_t(message.front()) == 0xF0 && std::uint8_t(message.back()) == 0xF7);
        for (qsizetype i = 1; i + 1 < message.size(); ++i) {
            check(std::uint8_t(message[i]) < 0x80);
        }
        const qsizetype at = stream.indexOf(message, from);
        check(at >= 0);
        from = at + message.size();
        kits += message.size() == qsizetype(KitSize) ? 1 : 0;
    }
    check(kits == assembler.kitCount());
    const auto starts = stream.count(char(0xF0));
    check(starts == assembler.messages().size() + assembler.droppedCount() +
                        assembler.tooLongCount() + (assembler.inMessage() ? 1 : 0));
}

void checkSameAs(const SysExAssembler& a, const SysExAssembler& b) {
    check(a.messages() == b.messages());
    check(a.kitCount() == b.kitCount() && a.droppedCount() == b.droppedCount());
    check(a.tooLongCount() == b.tooLongCount() && a.inMessage() == b.inMessage());
}

void checkOutcome(const ReceiveOutcome& outcome, const ScriptedInput& in, int kits, int wanted) {
    switch (outcome.end) {
        case ReceiveEnd::Done:
            check(kits >= wanted && !in.overrunSeen());
            break;
        case ReceiveEnd::Overrun:
            check(in.overrunSeen());
            break;
        case ReceiveEnd::Stopped:
            check(in.stopAsked() && kits < wanted);
            break;
        case ReceiveEnd::Lost:
            check(!outcome.lostReason.isEmpty() && kits < wanted);
            break;
        case ReceiveEnd::TimedOut:
            check(false);  // waiting without a limit
            break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    constexpr int Kits[] = {1, 2, 3, 64};
    const int wanted = Kits[data[0] & 3];
    ScriptedInput in(QByteArrayView(data + 1, qsizetype(size - 1)));
    SysExAssembler assembler(MaxMessage);
    // Each count shown, with the number of reads done by then.
    QList<std::pair<int, int>> shown;
    ReceiveLimits wait;
    TransferControl control;
    wait.kits = wanted;
    wait.timeout = std::chrono::milliseconds(0);
    wait.stopRequested = [&in] { return in.stopAsked(); };
    control.progress = [&](int count) { shown.append({count, in.readCount()}); };
    const ReceiveOutcome outcome = WaitForKits(in, assembler, wait, control);
    checkOutcome(outcome, in, assembler.kitCount(), wanted);

    SysExAssembler whole(MaxMessage);
    whole.feed(in.came());
    checkSameAs(assembler, whole);

    QByteArray stream;
    stream.reserve(in.came().size());
    for (const char c : in.came()) {
        if (std::uint8_t(c) < 0xF8) {
            stream += c;
        }
    }
    checkMessagesIn(assembler, stream);

    // Progress after every read that changed the count, growing only; no
    // read after the one that completed the kits.
    check(shown.isEmpty() == (in.readCount() == 0));
    for (qsizetype i = 0; i < shown.size(); ++i) {
        check(i == 0 ||
              (shown[i].first > shown[i - 1].first && shown[i].second > shown[i - 1].second));
        check(shown[i].first < wanted || shown[i].second == in.readCount());
    }
    check(shown.isEmpty() || shown.back().first == assembler.kitCount());
    return 0;
}
