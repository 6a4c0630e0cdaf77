// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/JackPorts.h"
#include "kit/KitImage.h"
#include "midi/MidiIn.h"
#include "midi/RtMidiOutput.h"
#include "support/TestFiles.h"

#include <jack/jack.h>

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QThread>
#include <QtTest>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

// Runs against the JACK server the test run started (JACK_DEFAULT_SERVER) and
// receives what is sent through a JACK MIDI input in this process.

using namespace tamboril;
using namespace tamboril::midi;
using tamboril::test::EnvOverride;
using tamboril::test::JackReceiver;
using tamboril::test::JackSource;

namespace {

// What the program sends: the kit with its transmission checksum, then zeros
// up to 255 bytes.
QByteArray kitBytes() {
    KitData kit = test::sampleKit();
    StoreChecksum(kit, TransmissionChecksumFirst);
    return test::toBytes(kit);
}

QByteArray sentMessage() {
    return kitBytes() + QByteArray(58, '\0');
}

// The number under which input `port` is listed, or -1.
int sourceOf(MidiIn& in, const QString& port) {
    const int count = in.numDevs();
    for (int device = 0; device < count; ++device) {
        QString name;
        if (in.devName(device, name) == NoError && name == port) {
            return device;
        }
    }
    return -1;
}

// Reads from `in` until `bytes` bytes have come or `ms` have passed.
QByteArray readWithin(MidiIn& in, int ms, qsizetype bytes) {
    QByteArray all;
    QElapsedTimer timer;
    timer.start();
    while (all.size() < bytes && timer.elapsed() < ms) {
        all += in.read(std::chrono::milliseconds(50));
    }
    return all;
}

// The device number under which `port` is listed, or -1.
int deviceOf(RtMidiOutput& out, const QString& port) {
    const int count = out.numDevs();
    for (int device = 0; device < count; ++device) {
        QString name;
        if (out.devName(device, name) == NoError && name == port) {
            return device;
        }
    }
    return -1;
}

QByteArray joined(const QList<QByteArray>& parts) {
    QByteArray all;
    for (const QByteArray& part : parts) {
        all += part;
    }
    return all;
}

// Waits until `done` holds, asking every 5 ms, for `ms` at most.
bool waitUntil(const std::function<bool()>& done, int ms) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() >= ms) {
            return false;
        }
        QThread::msleep(5);
    }
    return true;
}

// A JACK client that counts the server's xruns and, once told to, overruns
// its process cycles: the server then skips cycles (xruns), as an overloaded
// machine makes it do.
class Overload {
  public:
    Overload() {
        client_ = jack_client_open("tamboril-overload", JackNoStartServer, nullptr);
        if (client_ != nullptr) {
            jack_set_process_callback(client_, &Overload::process, this);
            jack_set_xrun_callback(client_, &Overload::xrun, this);
            jack_activate(client_);
        }
    }
    ~Overload() {
        if (client_ != nullptr) {
            jack_client_close(client_);
        }
    }
    Overload(const Overload&) = delete;
    Overload& operator=(const Overload&) = delete;
    bool ok() const { return client_ != nullptr; }
    void start() { busy_ = true; }
    void stop() { busy_ = false; }
    std::uint64_t xruns() const { return xruns_.load(); }
    std::uint64_t cycles() const { return cycles_.load(); }

    // Waits until the server has run `count` cycles in a row without an
    // xrun, for `ms` at most.
    bool waitForCalm(std::uint64_t count, int ms) const {
        std::uint64_t from = cycles();
        std::uint64_t seen = xruns();
        return waitUntil(
            [&] {
                if (xruns() != seen) {
                    seen = xruns();
                    from = cycles();
                }
                return cycles() - from >= count;
            },
            ms);
    }

  private:
    static int process(jack_nframes_t, void* self) {
        auto* overload = static_cast<Overload*>(self);
        overload->cycles_.fetch_add(1);
        if (overload->busy_) {
            QThread::msleep(60);
        }
        return 0;
    }
    static int xrun(void* self) {
        static_cast<Overload*>(self)->xruns_.fetch_add(1);
        return 0;
    }
    jack_client_t* client_ = nullptr;
    std::atomic<bool> busy_{false};
    std::atomic<std::uint64_t> xruns_{0};
    std::atomic<std::uint64_t> cycles_{0};
};

// Runs open, prepare, long message, unprepare and close the way the send
// command does, and checks that each step succeeds. A send that the server's
// overload made uncertain is tried again, three times at most, but only when
// a client of the test's own saw that xrun too: the machine running the
// tests may be busy, and a send reported as overloaded without one is a fault.
// Before another try, `forget` takes from the receiver whatever of the
// uncertain send did arrive, so that it holds the message once.
void sendWhole(RtMidiOutput& out, int device, const QByteArray& message,
               const std::function<void()>& forget) {
    Overload watch;
    QVERIFY(watch.ok());
    for (int attempt = 1;; ++attempt) {
        const std::uint64_t xrunsBefore = watch.xruns();
        QCOMPARE(out.open(device), int(NoError));
        QCOMPARE(out.prepareHeader(message), int(NoError));
        int rc = out.longMsg();
        if (rc == NoError) {
            rc = out.unprepareHeader();
        }
        const QString text = rc == NoError ? QString() : out.errorText(rc);
        const int closed = out.close();
        if (rc == NoError) {
            QCOMPARE(closed, int(NoError));
            return;
        }
        const bool sawXrun = waitUntil([&] { return watch.xruns() != xrunsBefore; }, 2000);
        QVERIFY2(attempt < 3 && sawXrun && text.contains(QStringLiteral("overloaded")),
                 qPrintable(text));
        QVERIFY(watch.waitForCalm(8, 10000));
        forget();
    }
}

// What a JACK receiver or an input port still holds is taken and dropped.
std::function<void()> forgetting(JackReceiver& receiver) {
    return [&receiver] { receiver.takeWithin(300, 1 << 20); };
}
// Makes the server's cycles as long as the dummy driver allows (8192 frames,
// about 170 ms) while it lives, so that a test can act between two cycles.
class LongCycles {
  public:
    LongCycles() {
        client_ = jack_client_open("tamboril-long-cycles", JackNoStartServer, nullptr);
        if (client_ != nullptr) {
            before_ = jack_get_buffer_size(client_);
            ok_ = jack_set_buffer_size(client_, 8192) == 0;
        }
    }
    ~LongCycles() {
        if (client_ != nullptr) {
            jack_set_buffer_size(client_, before_);
            jack_client_close(client_);
        }
    }
    LongCycles(const LongCycles&) = delete;
    LongCycles& operator=(const LongCycles&) = delete;
    bool ok() const { return ok_; }

  private:
    jack_client_t* client_ = nullptr;
    jack_nframes_t before_ = 0;
    bool ok_ = false;
};

std::function<void()> forgetting(MidiIn& in) {
    return [&in] { readWithin(in, 300, 1 << 20); };
}

}  // namespace

class TestRtMidiJack : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() {
        QVERIFY2(tamboril::test::onTestRunServer(),
                 "run through ctest: it starts the JACK server and names it");
    }

    void deliversTheWholeMessageBeforeUnprepareReturns() {
        JackReceiver receiver(QStringLiteral("tamboril-recv-kit"));
        RtMidiOutput out;
        const int device = deviceOf(out, receiver.portName());
        QVERIFY2(device >= 0, "the receiver's port is not listed under its whole name");
        QCOMPARE(out.systemName(), QStringLiteral("JACK"));

        QCOMPARE(out.open(device), int(NoError));
        QCOMPARE(out.prepareHeader(sentMessage()), int(NoError));
        QCOMPARE(out.longMsg(), int(NoError));
        QCOMPARE(out.unprepareHeader(), int(NoError));
        // Once unprepared, the message has reached the receiver: the SysEx as
        // one complete message, then the zeros that followed it.
        const QList<QByteArray> got = receiver.takeNow();
        QCOMPARE(got.size(), 2);
        QCOMPARE(got.at(0), kitBytes());
        QCOMPARE(got.at(1), QByteArray(58, '\0'));
        QCOMPARE(out.close(), int(NoError));

        // Nothing else arrives, and the port can be used again.
        QVERIFY(receiver.takeWithin(200, 1).isEmpty());
        sendWhole(out, device, sentMessage(), forgetting(receiver));
        QCOMPARE(joined(receiver.takeWithin(2000, 255)), sentMessage());
    }

    void noDefaultPortAndNoPortOutOfRange() {
        JackReceiver receiver(QStringLiteral("tamboril-recv-range"));
        // The advice the window gives reaches the texts of a missing choice.
        RtMidiOptions options;
        options.portAdvice = QStringLiteral("with Edit, Change Device");
        RtMidiOutput out(options);
        const int count = out.numDevs();
        QVERIFY(count >= 1);

        QCOMPARE(out.open(DefaultDevice), int(BadDeviceId));
        QVERIFY2(out.errorText(BadDeviceId).contains(QStringLiteral("Edit, Change Device")),
                 qPrintable(out.errorText(BadDeviceId)));
        QCOMPARE(out.open(-2), int(BadDeviceId));
        QVERIFY(out.errorText(BadDeviceId).contains(QStringLiteral("Edit, Change Device")));
        QCOMPARE(out.open(count), int(BadDeviceId));
        QString name;
        QCOMPARE(out.devName(count, name), int(BadDeviceId));

        // Nothing was opened by the failures.
        QCOMPARE(out.prepareHeader(sentMessage()), int(InvalidHandle));
        QCOMPARE(out.close(), int(InvalidHandle));

        const int device = deviceOf(out, receiver.portName());
        sendWhole(out, device, sentMessage(), forgetting(receiver));
        QCOMPARE(joined(receiver.takeWithin(2000, 255)), sentMessage());
    }

    void aPortIsFoundByItsListedNameOrFailsWhenGone() {
        // JACK lists ports in no promised order: the port listed first is the
        // one that goes away, so that the other one moves up a number.
        auto first = std::make_unique<JackReceiver>(QStringLiteral("tamboril-recv-one"));
        auto second = std::make_unique<JackReceiver>(QStringLiteral("tamboril-recv-two"));
        RtMidiOutput out;
        int goneDevice = deviceOf(out, first->portName());
        int staysDevice = deviceOf(out, second->portName());
        QVERIFY(goneDevice >= 0 && staysDevice >= 0);
        if (staysDevice < goneDevice) {
            std::swap(first, second);
            std::swap(goneDevice, staysDevice);
        }
        auto gone = std::move(first);
        JackReceiver& stays = *second;
        const QString goneName = gone->portName();

        gone.reset();
        // The listed port went away: no other port is opened in its place.
        QCOMPARE(out.open(goneDevice), int(NoDevice));
        QVERIFY2(out.errorText(NoDevice).contains(goneName), qPrintable(out.errorText(NoDevice)));
        QCOMPARE(out.close(), int(InvalidHandle));

        // The ports after it moved up a number; the listed number still
        // reaches the listed port.
        sendWhole(out, staysDevice, sentMessage(), forgetting(stays));
        QCOMPARE(joined(stays.takeWithin(2000, 255)), sentMessage());

        // A fresh listing shows a new port, and it can be sent to.
        JackReceiver fresh(QStringLiteral("tamboril-recv-fresh"));
        const int freshDevice = deviceOf(out, fresh.portName());
        QVERIFY(freshDevice >= 0);
        QVERIFY(deviceOf(out, goneName) < 0);
        sendWhole(out, freshDevice, sentMessage(), forgetting(fresh));
        QCOMPARE(joined(fresh.takeWithin(2000, 255)), sentMessage());
        QVERIFY(stays.takeWithin(100, 1).isEmpty());
    }

    void anInputReceivesWhatItsSourceAndOthersSend() {
        auto gone = std::make_unique<JackSource>(QStringLiteral("tamboril-src-gone"));
        JackSource source(QStringLiteral("tamboril-src"));
        RtMidiOptions options;
        options.clientName = QStringLiteral("tamboril-in-test");
        MidiIn in(options);
        const int goneDevice = sourceOf(in, gone->portName());
        const int device = sourceOf(in, source.portName());
        QVERIFY(goneDevice >= 0 && device >= 0);
        QCOMPARE(in.systemName(), QStringLiteral("JACK"));
        QString name;
        QCOMPARE(in.devName(in.numDevs(), name), int(BadDeviceId));

        // A listed source that went away is not replaced by another one.
        gone.reset();
        QCOMPARE(in.open(goneDevice), int(NoDevice));
        QVERIFY2(in.errorText(NoDevice).contains(QStringLiteral("tamboril-src-gone:out")),
                 qPrintable(in.errorText(NoDevice)));
        QCOMPARE(in.close(), int(InvalidHandle));

        QCOMPARE(in.open(device, QStringLiteral("in")), int(NoError));
        QCOMPARE(in.open(device), int(Allocated));
        QVERIFY(in.lostReason().isEmpty());
        QVERIFY(in.read(std::chrono::milliseconds(50)).isEmpty());
        // A SysEx message, then the padding as an event of its own, arrive in
        // order; a lone clock byte is left out.
        const QByteArray kit = sentMessage().left(197);
        source.send(kit);
        source.send(QByteArray("\xF8", 1));
        source.send(QByteArray(58, '\0'));
        QCOMPARE(readWithin(in, 3000, 255), kit + QByteArray(58, '\0'));

        // Other programs can send to the open input port too.
        RtMidiOutput out;
        const int port = deviceOf(out, QStringLiteral("tamboril-in-test:in"));
        QVERIFY2(port >= 0, "the input's own port is not listed as an output port");
        sendWhole(out, port, sentMessage(), forgetting(in));
        QCOMPARE(readWithin(in, 3000, 255), sentMessage());

        QCOMPARE(in.close(), int(NoError));
        QCOMPARE(deviceOf(out, QStringLiteral("tamboril-in-test:in")), -1);
    }

    void aSendDuringAnOverloadIsNotReportedAsArrived() {
        JackReceiver receiver(QStringLiteral("tamboril-recv-xrun"));
        Overload overload;
        QVERIFY(overload.ok());
        RtMidiOutput out;
        const int device = deviceOf(out, receiver.portName());
        QVERIFY(device >= 0);
        QCOMPARE(out.open(device), int(NoError));
        QCOMPARE(out.prepareHeader(sentMessage()), int(NoError));
        // The message goes out only once the server is seen to skip cycles,
        // and the load lasts until the send has reported: every cycle the
        // message can travel in is one the server does not finish in time.
        const std::uint64_t calm = overload.xruns();
        overload.start();
        QVERIFY2(waitUntil([&] { return overload.xruns() != calm; }, 5000),
                 "the load did not make the server skip a cycle");
        const int sendRc = out.longMsg();
        const int unprepareRc = sendRc == NoError ? out.unprepareHeader() : sendRc;
        overload.stop();
        QVERIFY2(sendRc != NoError || unprepareRc != NoError,
                 "a message sent while the server skipped cycles was reported as arrived");
        QVERIFY2(out.errorText(unprepareRc).contains(QStringLiteral("may not have arrived")),
                 qPrintable(out.errorText(unprepareRc)));
        // An uncertain message is no message still on its way: it can be
        // sent again at once, as send's retry does.
        QCOMPARE(out.prepareHeader(sentMessage()), int(NoError));
        out.close();

        // Once the load is gone, sending works again on the same object.
        QVERIFY(overload.waitForCalm(8, 10000));
        receiver.takeWithin(100, 1000);
        sendWhole(out, device, sentMessage(), forgetting(receiver));
        QCOMPARE(joined(receiver.takeWithin(2000, 255)), sentMessage());
    }

    // The receiver leaves after the port was checked and the message handed
    // over, before the cycle that carries it: the message goes nowhere, and
    // the send says so. Should a cycle have begun in between after all, the
    // message came whole and was rightly reported; that is tried anew, three
    // times at most.
    void aReceiverThatLeavesBeforeTheMessageLeavesIsReported() {
        LongCycles longCycles;
        QVERIFY2(longCycles.ok(), "the server did not take a buffer of 8192 frames");
        for (int attempt = 1;; ++attempt) {
            JackReceiver receiver(QStringLiteral("tamboril-recv-leaves"));
            RtMidiOutput out;
            const int device = deviceOf(out, receiver.portName());
            QVERIFY(device >= 0);
            QCOMPARE(out.open(device), int(NoError));
            QCOMPARE(out.prepareHeader(sentMessage()), int(NoError));
            QCOMPARE(out.longMsg(), int(NoError));
            QVERIFY(receiver.leave());
            const int rc = out.unprepareHeader();
            const QString text = out.errorText(rc);
            out.close();
            if (receiver.takeWithin(400, 1).isEmpty()) {
                QCOMPARE(rc, int(NoDevice));
                QVERIFY2(text.contains(receiver.portName()) &&
                             text.contains(QStringLiteral("did not arrive")),
                         qPrintable(text));
                return;
            }
            QCOMPARE(rc, int(NoError));
            QVERIFY2(attempt < 3, "a cycle began between the hand-over and the leave, three times");
        }
    }

    void withoutAMidiSystemNothingOpens() {
        {
            EnvOverride server("JACK_DEFAULT_SERVER", "tamboril-test-no-such-server");
            RtMidiOptions jackOnly;
            jackOnly.api = MidiSystem::Jack;
            RtMidiOutput out(jackOnly);
            QCOMPARE(out.numDevs(), 0);
            QCOMPARE(out.systemName(), QString());
            QCOMPARE(out.open(0), int(NotEnabled));
            const QString text = out.errorText(NotEnabled);
            QVERIFY2(text.contains(QStringLiteral("tamboril-test-no-such-server")),
                     qPrintable(text));
            QCOMPARE(out.open(DefaultDevice), int(BadDeviceId));
        }
        {
            EnvOverride api("TAMBORIL_MIDI_API", "coreaudio");
            RtMidiOutput out;
            QCOMPARE(out.open(0), int(NoDriver));
            QVERIFY(out.errorText(NoDriver).contains(QStringLiteral("coreaudio")));
        }
        {
            // Without an ALSA sequencer the automatic choice falls back to
            // the running JACK server.
            if (QFileInfo::exists(QStringLiteral("/dev/snd/seq"))) {
                QSKIP("this machine has an ALSA sequencer");
            }
            EnvOverride api("TAMBORIL_MIDI_API", "");
            JackReceiver receiver(QStringLiteral("tamboril-recv-auto"));
            RtMidiOutput out;
            QVERIFY(deviceOf(out, receiver.portName()) >= 0);
            QCOMPARE(out.systemName(), QStringLiteral("JACK"));

            RtMidiOptions alsaOnly;
            alsaOnly.api = MidiSystem::Alsa;
            RtMidiOutput alsa(alsaOnly);
            QCOMPARE(alsa.numDevs(), 0);
            QCOMPARE(alsa.open(0), int(NotEnabled));
            QVERIFY2(alsa.errorText(NotEnabled).contains(QStringLiteral("ALSA sequencer")),
                     qPrintable(alsa.errorText(NotEnabled)));
        }
    }

    void aServerThatDiesWhileOpenIsReported() {
        // A server of this test's own, since it gets killed.
        const QString name = qEnvironmentVariable("JACK_DEFAULT_SERVER") + QStringLiteral("-kill");
        QProcess jackd;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("JACK_NO_AUDIO_RESERVATION"), QStringLiteral("1"));
        jackd.setProcessEnvironment(env);
        jackd.setStandardOutputFile(QProcess::nullDevice());
        jackd.setStandardErrorFile(QProcess::nullDevice());
        jackd.start(QStringLiteral("jackd"), {QStringLiteral("--no-realtime"), QStringLiteral("-n"),
                                              name, QStringLiteral("-d"), QStringLiteral("dummy")});
        QVERIFY2(jackd.waitForStarted(), qPrintable(jackd.errorString()));
        // The run's cleanup stops it from this record should the test die.
        QFile pidFile(QStringLiteral(TAMBORIL_JACK_STATE_DIR "/jackd-%1.pid").arg(name));
        QVERIFY(pidFile.open(QIODevice::WriteOnly | QIODevice::Truncate));
        pidFile.write(QByteArray::number(jackd.processId()));
        pidFile.close();
        QVERIFY2(waitForServer(name), "the test's own JACK server did not answer");

        RtMidiOutput out;
        {
            EnvOverride server("JACK_DEFAULT_SERVER", name.toUtf8());
            auto receiver = std::make_unique<JackReceiver>(QStringLiteral("tamboril-recv-doomed"));
            const int device = deviceOf(out, receiver->portName());
            QVERIFY(device >= 0);
            QCOMPARE(out.open(device), int(NoError));
            JackSource source(QStringLiteral("tamboril-src-doomed"));
            MidiIn in;
            QCOMPARE(in.open(sourceOf(in, source.portName())), int(NoError));

            jackd.kill();
            QVERIFY(jackd.waitForFinished(5000));
            pidFile.remove();

            QElapsedTimer timer;
            timer.start();
            QCOMPARE(out.prepareHeader(sentMessage()), int(NoError));
            const int sendRc = out.longMsg();
            QString text = out.errorText(sendRc);
            int unprepareRc = NoError;
            if (sendRc == NoError) {
                unprepareRc = out.unprepareHeader();
                text = out.errorText(unprepareRc);
            }
            QVERIFY2(sendRc != NoError || unprepareRc != NoError,
                     "a message to a dead JACK server was reported as sent");
            QVERIFY2(text.contains(QStringLiteral("JACK server")), qPrintable(text));
            out.close();
            // The input notices that nothing can come any more.
            QElapsedTimer noticed;
            noticed.start();
            while (in.lostReason().isEmpty() && noticed.elapsed() < 5000) {
                QThread::msleep(10);
            }
            QVERIFY2(!in.lostReason().isEmpty(), "the input did not notice the server stop");
            in.close();
            QVERIFY2(timer.elapsed() < 8000, "sending to a dead server took too long");
        }

        // The same object goes on working with the server that is running.
        JackReceiver receiver(QStringLiteral("tamboril-recv-after"));
        const int device = deviceOf(out, receiver.portName());
        QVERIFY(device >= 0);
        sendWhole(out, device, sentMessage(), forgetting(receiver));
        QCOMPARE(joined(receiver.takeWithin(2000, 255)), sentMessage());
    }

  private:
    static bool waitForServer(const QString& name) {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < 10000) {
            QProcess lsp;
            lsp.setStandardOutputFile(QProcess::nullDevice());
            lsp.setStandardErrorFile(QProcess::nullDevice());
            lsp.start(QStringLiteral("jack_lsp"), {QStringLiteral("-s"), name});
            if (lsp.waitForFinished(5000) && lsp.exitStatus() == QProcess::NormalExit &&
                lsp.exitCode() == 0) {
                return true;
            }
            QThread::msleep(100);
        }
        return false;
    }
};

QTEST_GUILESS_MAIN(TestRtMidiJack)
#include "test_rtmidi_jack.moc"
