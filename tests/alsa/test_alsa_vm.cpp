// SPDX-License-Identifier: GPL-3.0-or-later
// tamboril-kit, the window's Send and the Library's transfers on a real ALSA
// sequencer. Runs inside the
// virtual machine that alsa_vm.sh boots (the kernel's virtual raw MIDI card
// and "Midi Through"); ctest reports each function's result from its log.
//
// Each "VirMIDI 0-N" sequencer port has the raw MIDI device hw:0,N on its
// other side, where the test reads what the programs send to the port, and
// amidi writes what the instrument would send, byte for byte.

#include "kit/KitImage.h"
#include "midi/RtMidiOutput.h"
#include "midi/WireFormat.h"
#include "support/SentKits.h"
#include "support/TestFiles.h"
#include "support/SendReports.h"
#include "ui/FormDriver.h"
#include "support/ScriptedPrompts.h"
#include "library/BankView.h"
#include "library/LibraryWindow.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <array>
#include <csignal>

#include <alsa/asoundlib.h>
#include <poll.h>

#include <chrono>
#include <thread>
#include <vector>

using namespace tamboril;
using namespace tamboril::test;

namespace {

QString kitProgram() {
    return qEnvironmentVariable("TAMBORIL_KIT_PROGRAM");
}

struct Result {
    int status = -1;
    QString out;
    QString err;
};

Result finish(QProcess& process, int ms, const QString& errSoFar = QString()) {
    Result result;
    const bool ended = process.state() == QProcess::NotRunning || process.waitForFinished(ms);
    if (!ended || process.exitStatus() != QProcess::NormalExit) {
        process.kill();
        process.waitForFinished();
        result.err = process.program() + QStringLiteral(" did not finish normally: ") + errSoFar +
                     QString::fromUtf8(process.readAllStandardError());
        return result;
    }
    result.status = process.exitCode();
    result.out = QString::fromUtf8(process.readAllStandardOutput());
    result.err = errSoFar + QString::fromUtf8(process.readAllStandardError());
    return result;
}

Result run(const QString& program, const QStringList& args, int ms = 60000) {
    QProcess process;
    process.start(program, args);
    return finish(process, ms);
}

Result runKit(const QStringList& args) {
    return run(kitProgram(), args);
}

QString rawDevice(int n) {
    return QStringLiteral("/dev/snd/midiC0D%1").arg(n);
}

// Whether the sequencer has a client `client` with a port that sequencer
// port `source` ("17:0") is connected to, as /proc/asound/seq/clients
// shows it.
bool connectedFrom(const QString& client, const QString& source) {
    const QString clients = QString::fromLatin1(readBytes(QStringLiteral("/proc/asound/seq/clients")));
    static const QRegularExpression start(QStringLiteral("^Client +\\d+ : "),
                                          QRegularExpression::MultilineOption);
    for (const QString& block : clients.split(start)) {
        if (block.startsWith(QLatin1Char('"') + client + QLatin1Char('"'))) {
            static const QRegularExpression from(QStringLiteral("Connected From: ([^\\n]*)"));
            auto matches = from.globalMatch(block);
            while (matches.hasNext()) {
                const QStringList sources = matches.next().captured(1).split(QStringLiteral(", "));
                for (const QString& entry : sources) {
                    if (entry.section(QLatin1Char('['), 0, 0).trimmed() == source) {
                        return true;
                    }
                }
            }
        }
    }
    return false;
}

// Reads raw MIDI device hw:0,N, as amidi -r would, until no data has come
// for `idleSeconds`. Its buffer holds a whole dump: amidi's 4 KB buffer
// overflows under emulation when a bulk is sent without delay, before amidi
// is scheduled to empty it.
class RawReader {
  public:
    RawReader(int device, int idleSeconds) : idle_(std::chrono::seconds(idleSeconds)) {
        const QByteArray name = QStringLiteral("hw:0,%1").arg(device).toLatin1();
        if (const int rc = snd_rawmidi_open(&in_, nullptr, name.constData(), SND_RAWMIDI_NONBLOCK);
            rc < 0) {
            in_ = nullptr;
            problem_ = QStringLiteral("%1 cannot be opened: %2").arg(name, snd_strerror(rc));
            return;
        }
        snd_rawmidi_params_t* params = nullptr;
        snd_rawmidi_params_malloc(&params);
        snd_rawmidi_params_current(in_, params);
        snd_rawmidi_params_set_buffer_size(in_, params, 64 * 1024);
        if (const int rc = snd_rawmidi_params(in_, params); rc < 0) {
            problem_ = QStringLiteral("no 64 KB buffer: %1").arg(snd_strerror(rc));
        }
        snd_rawmidi_params_free(params);
        thread_ = std::thread([this] { run(); });
    }
    ~RawReader() {
        if (thread_.joinable()) {
            thread_.join();
        }
        if (in_ != nullptr) {
            snd_rawmidi_close(in_);
        }
    }
    bool reading() const { return in_ != nullptr && problem_.isEmpty(); }
    QString problem() const { return problem_; }

    // What was read, once reading has stopped; `why` is set when it failed.
    QByteArray bytes(QString& why) {
        if (thread_.joinable()) {
            thread_.join();
        }
        why = problem_;
        return bytes_;
    }

  private:
    void run() {
        std::vector<pollfd> fds(std::size_t(snd_rawmidi_poll_descriptors_count(in_)));
        snd_rawmidi_poll_descriptors(in_, fds.data(), unsigned(fds.size()));
        auto last = std::chrono::steady_clock::now();
        std::array<char, 4096> buffer{};
        while (std::chrono::steady_clock::now() - last < idle_) {
            ::poll(fds.data(), nfds_t(fds.size()), 50);
            for (;;) {
                const ssize_t size = snd_rawmidi_read(in_, buffer.data(), buffer.size());
                if (size <= 0) {
                    if (size < 0 && size != -EAGAIN) {
                        problem_ = QStringLiteral("reading failed: %1").arg(snd_strerror(int(size)));
                        return;
                    }
                    break;
                }
                bytes_.append(buffer.data(), qsizetype(size));
                last = std::chrono::steady_clock::now();
            }
        }
    }

    std::chrono::steady_clock::duration idle_;
    snd_rawmidi_t* in_ = nullptr;
    QString problem_;
    QByteArray bytes_;
    std::thread thread_;
};

// Writes `file` to raw MIDI device hw:0,N as the instrument would send it:
// at full speed, or with `intervalMs` between SysEx messages.
//
// amidi is held to the first CPU. The kernel's raw MIDI write moves its write
// pointer before it copies the bytes in, and the virtual port's reader runs as
// a work item on the CPU that woke it. From another CPU that reader can take a
// byte before it has been copied: at full speed, one read of the stale F0 at
// the start of the ring buffer cut a kit in the virtual port itself, before
// any receiver saw it. On one CPU writer and reader take turns, as the kernel
// is not preempted inside the copy; the receiver still has the other CPU, and
// the dump still comes in one go.
Result rawSend(int device, const QString& file, int intervalMs = 0) {
    QStringList args{"-c", "0", "amidi", "-p", QStringLiteral("hw:0,%1").arg(device), "-s", file};
    if (intervalMs > 0) {
        args << "-i" << QString::number(intervalMs);
    }
    return run(QStringLiteral("taskset"), args);
}

// 'tamboril-kit receive' running in the background.
class Receiver {
  public:
    // Listens on `port`, which is sequencer port `address` ("17:0").
    Receiver(const QString& address, const QStringList& args) : address_(address) {
        process.start(kitProgram(), QStringList{"receive"} + args);
        process.waitForStarted();
    }
    ~Receiver() {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished();
        }
    }

    // Waits until its port is connected to the source.
    bool waitUntilListening(QString& why) {
        QElapsedTimer timer;
        timer.start();
        while (!connectedFrom(QStringLiteral("tamboril-kit"), address_)) {
            if (process.state() == QProcess::NotRunning || timer.elapsed() > 20000) {
                why = QStringLiteral("receive did not start listening: ") +
                      QString::fromUtf8(process.readAllStandardError()) +
                      QString::fromLatin1(readBytes(QStringLiteral("/proc/asound/seq/clients")));
                return false;
            }
            QThread::msleep(10);
        }
        return true;
    }

    Result result(int ms = 60000) { return finish(process, ms); }

    QProcess process;

  private:
    QString address_;
};

// 64 kits that can all be told apart, every byte a SysEx data byte: as a
// file (`bulk`) and as they are sent (`sent`).
struct Bulk {
    QByteArray file;
    QByteArray sent;
};
Bulk bulkKits() {
    Bulk bulk;
    for (const KitData& kit : distinctKits()) {
        bulk.file += toBytes(kit);
        bulk.sent += asSent(kit);
    }
    return bulk;
}

// The sequencer address of "VirMIDI 0-N" and its name as ports are listed.
QString virmidiAddress(int n) {
    return QStringLiteral("%1:0").arg(16 + n);
}
QString sequencerName(int n) {
    return QStringLiteral("Virtual Raw MIDI 0-%1:VirMIDI 0-%1 %2").arg(n).arg(virmidiAddress(n));
}

}  // namespace

class TestAlsaVm : public QObject {
    Q_OBJECT

  private:
    QTemporaryDir dir_;

    // Sends `file` with tamboril-kit to "VirMIDI 0-0" and checks that the raw
    // MIDI side reads exactly `expected`.
    void sendAndRead(const QString& file, const QStringList& extra, const QByteArray& expected) {
        RawReader reader(0, 3);
        QVERIFY2(reader.reading(), qPrintable(reader.problem()));
        const Result sent = runKit(QStringList{"send", file, "--port", "VirMIDI 0-0"} + extra);
        QCOMPARE(sent.status, 0);
        QVERIFY2(sent.err.isEmpty(), qPrintable(sent.err));
        QVERIFY2(sent.out.contains(QStringLiteral("to \"%1\" (ALSA).").arg(sequencerName(0))),
                 qPrintable(sent.out));
        QString why;
        const QByteArray got = reader.bytes(why);
        QVERIFY2(why.isEmpty(), qPrintable(why));
        QCOMPARE(got.size(), expected.size());
        QCOMPARE(got, expected);
    }

    // Receives `kits` kits from "VirMIDI 0-N" while amidi plays `file` there.
    void receiveWhileSent(int device, const QString& file, int kits, int intervalMs,
                          const QByteArray& expected) {
        const QString out = dir_.filePath("received.syx");
        QFile::remove(out);
        Receiver receiver(virmidiAddress(device),
                          {out, "--port", QStringLiteral("VirMIDI 0-%1").arg(device), "--kits",
                           QString::number(kits), "--timeout", "20"});
        QString why;
        QVERIFY2(receiver.waitUntilListening(why), qPrintable(why));
        const Result played = rawSend(device, file, intervalMs);
        QVERIFY2(played.status == 0, qPrintable(played.err));
        const Result got = receiver.result();
        QVERIFY2(got.status == 0, qPrintable(got.err));
        QVERIFY2(!got.err.contains(QStringLiteral("warning")), qPrintable(got.err));
        QVERIFY2(got.out.startsWith(QStringLiteral("Received %1 from \"%2\"; wrote %3 (%4 bytes).")
                                        .arg(kits == 1 ? QStringLiteral("1 kit")
                                                       : QStringLiteral("%1 kits").arg(kits),
                                             sequencerName(device), out)
                                        .arg(expected.size())),
                 qPrintable(got.out));
        QCOMPARE(readBytes(out), expected);
    }

  private slots:
    void initTestCase() {
        QVERIFY2(QFileInfo::exists(rawDevice(3)) && QFileInfo::exists("/dev/snd/seq"),
                 "runs inside the ALSA test machine (tests/alsa/alsa_vm.sh)");
        QCOMPARE(qEnvironmentVariable("TAMBORIL_MIDI_API"), QStringLiteral("alsa"));
        QVERIFY(QFileInfo(kitProgram()).isExecutable());
        QVERIFY(dir_.isValid());
        writeBytes(dir_.filePath("kit.syx"), toBytes(fileKit(7)));
        const Bulk bulk = bulkKits();
        writeBytes(dir_.filePath("dump.syx"), bulk.file);
        writeBytes(dir_.filePath("dump-sent.syx"), bulk.sent);
    }

    void portsListsTheSequencerPorts() {
        const Result ports = runKit({"ports"});
        QCOMPARE(ports.status, 0);
        QVERIFY2(ports.err.isEmpty(), qPrintable(ports.err));
        QVERIFY2(ports.out.startsWith(QStringLiteral("MIDI system: ALSA\n")), qPrintable(ports.out));
        const qsizetype inputs = ports.out.indexOf(QStringLiteral("Input ports"));
        QVERIFY(inputs > 0);
        const QString outputs = ports.out.left(inputs);
        const QString sources = ports.out.mid(inputs);
        for (const QString* section : {&outputs, &sources}) {
            QVERIFY2(section->contains(QStringLiteral("  Midi Through:Midi Through Port-0 14:0\n")),
                     qPrintable(ports.out));
            for (int n = 0; n < 4; ++n) {
                QVERIFY2(section->contains(QStringLiteral("  ") + sequencerName(n) + '\n'),
                         qPrintable(ports.out));
            }
        }
    }

    void sendOneKit() {
        sendAndRead(dir_.filePath("kit.syx"), {}, asSent(fileKit(7)));
    }

    void sendBulkWithTheDefaultDelay() {
        sendAndRead(dir_.filePath("dump.syx"), {}, bulkKits().sent);
    }

    void sendBulkWithoutDelay() {
        sendAndRead(dir_.filePath("dump.syx"), {"--delay", "0"}, bulkKits().sent);
    }

    void receiveOneKit() {
        const QByteArray kit = asSent(fileKit(9));
        writeBytes(dir_.filePath("one-sent.syx"), kit);
        receiveWhileSent(1, dir_.filePath("one-sent.syx"), 1, 0, kit);
    }

    void receiveBulkSentKitByKit() {
        receiveWhileSent(1, dir_.filePath("dump-sent.syx"), 64, 20, bulkKits().sent);
    }

    // As a program or a fast USB instrument delivers a dump: 12,608 bytes in
    // one go, twenty times over.
    void receiveTwentyBulksAtFullSpeed() {
        for (int round = 0; round < 20; ++round) {
            receiveWhileSent(2, dir_.filePath("dump-sent.syx"), 64, 0, bulkKits().sent);
            if (QTest::currentTestFailed()) {
                qWarning("failed in round %d of 20", round + 1);
                return;
            }
        }
    }

    // The receiver is held while six dumps arrive, more than the sequencer
    // keeps for it: it says that data was lost and writes nothing.
    void lostInputIsReportedAndNothingWritten() {
        QByteArray six;
        for (int i = 0; i < 6; ++i) {
            six += bulkKits().sent;
        }
        const QString sixFile = dir_.filePath("six.syx");
        writeBytes(sixFile, six);
        const QString out = dir_.filePath("lost.syx");
        Receiver receiver(virmidiAddress(2),
                          {out, "--port", "VirMIDI 0-2", "--kits", "64", "--timeout", "20"});
        QString why;
        QVERIFY2(receiver.waitUntilListening(why), qPrintable(why));
        const auto pid = pid_t(receiver.process.processId());
        QCOMPARE(::kill(pid, SIGSTOP), 0);
        const Result played = rawSend(2, sixFile);
        QCOMPARE(::kill(pid, SIGCONT), 0);
        QVERIFY2(played.status == 0, qPrintable(played.err));

        const Result got = receiver.result();
        QCOMPARE(got.status, 1);
        QVERIFY(got.out.isEmpty());
        const QRegularExpression report(
            QStringLiteral("^tamboril-kit: data from \"%1\" was lost: it came "
                           "faster than it could be taken in; \\d+ of 64 kits had arrived. "
                           "Nothing was written to %2. Send the dump again.\n$")
                .arg(QRegularExpression::escape(sequencerName(2)),
                     QRegularExpression::escape(out)));
        QVERIFY2(report.match(got.err).hasMatch(), qPrintable(got.err));
        QVERIFY(!QFileInfo::exists(out));
    }

    void aDisconnectedSourceIsReported() {
        const QString out = dir_.filePath("cut.syx");
        Receiver receiver(virmidiAddress(1), {out, "--port", "VirMIDI 0-1", "--timeout", "20"});
        QString why;
        QVERIFY2(receiver.waitUntilListening(why), qPrintable(why));
        const Result cut =
            run(QStringLiteral("aconnect"), {"-d", "Virtual Raw MIDI 0-1:0", "tamboril-kit:0"});
        QVERIFY2(cut.status == 0, qPrintable(cut.err));
        const Result got = receiver.result();
        QCOMPARE(got.status, 1);
        QVERIFY2(got.err.contains(QStringLiteral("the MIDI input from \"%1\" ended: the port went "
                                                 "away or was disconnected; 0 of 1 kit had "
                                                 "arrived. Nothing was written to %2.")
                                      .arg(sequencerName(1), out)),
                 qPrintable(got.err));
        QVERIFY(!QFileInfo::exists(out));
    }

    // The program a bulk goes to is killed part way through: the send stops
    // there, says how many kits went and that the port went away, and fails.
    void aReceiverKilledMidBulkEndsTheSend() {
        const QString out = dir_.filePath("killed.syx");
        Receiver receiver(virmidiAddress(1),
                          {out, "--port", "VirMIDI 0-1", "--kits", "64", "--timeout", "60"});
        QString why;
        QVERIFY2(receiver.waitUntilListening(why), qPrintable(why));
        QProcess sender;
        sender.start(kitProgram(), {"send", dir_.filePath("dump.syx"), "--port", "tamboril-kit:in",
                                    "--delay", "100"});
        QVERIFY(sender.waitForStarted());
        // 64 kits 100 ms apart take more than six seconds; the receiver goes
        // well before the end.
        QVERIFY(!sender.waitForFinished(2500));
        receiver.process.kill();
        QVERIFY(receiver.process.waitForFinished(5000));
        const Result sent = finish(sender, 30000);
        QCOMPARE(sent.status, 1);
        QVERIFY2(sent.out.isEmpty(), qPrintable(sent.out));
        const QRegularExpressionMatch match = PortWentAwayReport(sent.err);
        QVERIFY2(match.hasMatch(), qPrintable(sent.err));
        QVERIFY2(match.captured(2).toInt() < 64, qPrintable(sent.err));
        QCOMPARE(match.captured(1).toInt(), match.captured(2).toInt() + 1);
        QVERIFY(!QFileInfo::exists(out));
    }

    void sendAndReceiveMeetThroughMidiThrough() {
        const QString out = dir_.filePath("through.syx");
        Receiver receiver(QStringLiteral("14:0"),
                          {out, "--port", "Midi Through", "--kits", "64", "--timeout", "20"});
        QString why;
        QVERIFY2(receiver.waitUntilListening(why), qPrintable(why));
        const Result sent =
            runKit({"send", dir_.filePath("dump.syx"), "--port", "Midi Through", "--delay", "0"});
        QVERIFY2(sent.status == 0, qPrintable(sent.err));
        const Result got = receiver.result();
        QVERIFY2(got.status == 0, qPrintable(got.err));
        QCOMPARE(readBytes(out), bulkKits().sent);
    }

    // The Library backs up a dump that comes at full speed and sends the bank
    // back to another port, every byte compared at the raw MIDI sides.
    void libraryReceivesAFullSpeedDumpAndSendsABank() {
        QSettings settings(dir_.filePath("library.ini"), QSettings::IniFormat);
        settings.setValue("instrument/inputPort", sequencerName(2));
        settings.setValue("instrument/outputPort", sequencerName(0));
        settings.setValue("instrument/receiveTimeout", 20);
        settings.setValue("instrument/sendPause", 20);
        ScriptedPrompts prompts;
        library::LibraryWindow window(prompts, settings, "true");
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const auto press = [&window](const char* name) {
            window.findChild<QPushButton*>(QLatin1String(name))->click();
        };
        const auto ended = [&window](int ms) {
            return QTest::qWaitFor([&window] { return !window.transferRunning(); }, ms);
        };

        press("receiveAll");
        QVERIFY(window.transferRunning());
        QVERIFY(QTest::qWaitFor(
            [] { return connectedFrom(QStringLiteral("tamboril-library"), virmidiAddress(2)); },
            20000));
        const Result played = rawSend(2, dir_.filePath("dump-sent.syx"));
        QVERIFY2(played.status == 0, qPrintable(played.err));
        QVERIFY(ended(30000));
        QVERIFY2(prompts.messages.isEmpty(), qPrintable(prompts.allMessages()));
        QCOMPARE(window.bankCount(), 1);
        QCOMPARE(BulkBytes(window.currentView()->document().bank().kits), bulkKits().sent);

        RawReader reader(0, 3);
        QVERIFY2(reader.reading(), qPrintable(reader.problem()));
        press("sendBank");
        QVERIFY(ended(60000));
        QVERIFY2(prompts.messages.isEmpty(), qPrintable(prompts.allMessages()));
        QString why;
        const QByteArray got = reader.bytes(why);
        QVERIFY2(why.isEmpty(), qPrintable(why));
        QCOMPARE(got.size(), bulkKits().sent.size());
        QCOMPARE(got, bulkKits().sent);
    }

    // Last: it unloads the virtual raw MIDI card (and loads it again).
    void windowSendsAndNamesAPortGone() {
        midi::RtMidiOutput midiOut;
        FormDriver d(&midiOut);
        d.form->show();
        QVERIFY(QTest::qWaitForWindowExposed(d.form.get()));
        const KitData kit = sampleKit(21, "ALSA E2E   ");
        const QString kitFile = d.file("e2e.syx");
        writeBytes(kitFile, toBytes(kit));
        d.load(kitFile);
        QVERIFY(d.form->kitData() == kit);

        const QString port = sequencerName(3);
        d.action("mnuDeviceChng")->trigger();
        const int entry = int(d.deviceEntries().indexOf(port));
        QVERIFY2(entry >= 1, qPrintable(d.deviceEntries().join(" | ")));
        d.chooseDevice(entry);
        QTRY_VERIFY_WITH_TIMEOUT(!d.timer()->isActive(), 5000);  // the start tick

        {
            RawReader reader(3, 3);
            QVERIFY2(reader.reading(), qPrintable(reader.problem()));
            d.action("mnuSend")->trigger();
            QVERIFY2(d.prompts.messages.isEmpty(), qPrintable(d.prompts.messages.value(0).text));
            QString why;
            const QByteArray got = reader.bytes(why);
            QVERIFY2(why.isEmpty(), qPrintable(why));
            KitData sent = kit;
            sent[ChecksumIndex] = ChecksumFrom(kit, TransmissionChecksumFirst);
            QCOMPARE(got.size(), 197);
            QCOMPARE(got, toBytes(sent));
        }

        // The card goes away after the port was chosen.
        const QString module = qEnvironmentVariable("TAMBORIL_VIRMIDI_MODULE");
        const Result unloaded = run(QStringLiteral("rmmod"), {"snd_virmidi"});
        QVERIFY2(unloaded.status == 0, qPrintable(unloaded.err));
        const auto reload = qScopeGuard([&] { run(QStringLiteral("insmod"), {module}); });
        QVERIFY(!QFileInfo::exists(rawDevice(3)));
        d.prompts.messages.clear();
        d.action("mnuSend")->trigger();
        QCOMPARE(d.prompts.messages.size(), 1);
        const QString text = d.prompts.messages[0].text;
        QVERIFY2(text.startsWith(QStringLiteral("Operation: Open\r\n")), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("\"%1\" is no longer available").arg(port)),
                 qPrintable(text));
        QCOMPARE(d.label("bar")->palette().color(QPalette::Window), QColor(0, 0, 255));
    }
};

QTEST_MAIN(TestAlsaVm)
#include "test_alsa_vm.moc"
