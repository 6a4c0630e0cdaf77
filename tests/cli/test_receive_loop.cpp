// SPDX-License-Identifier: GPL-3.0-or-later
// 'tamboril-kit receive' run again and again on the test run's JACK server
// (jackd, or PipeWire's JACK layer): against a source that stays silent it
// must time out every time, never crash and never take a port that is there
// for gone; against a dump it must write the dump every time.
// TAMBORIL_RECEIVE_RUNS sets how many runs of each (default 3); the long
// loop is scripts/receive-loop.

#include "support/KitReceiver.h"
#include "support/SentKits.h"
#include "support/TestFiles.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QtTest>

using namespace tamboril;
using namespace tamboril::test;

namespace {

const QString Program = QStringLiteral(TAMBORIL_KIT_PROGRAM);

int runs() {
    bool ok = false;
    const int count = qEnvironmentVariableIntValue("TAMBORIL_RECEIVE_RUNS", &ok);
    return ok && count > 0 ? count : 3;
}

// How one run of receive ended, as a line for the failure message; empty
// when it ended as `status` with `errPart` in its messages.
QString unexpectedEnd(QProcess& process, int status, const QString& errPart) {
    if (process.state() == QProcess::NotRunning && process.error() == QProcess::FailedToStart) {
        return QStringLiteral("could not be started: ") + process.errorString();
    }
    if (!process.waitForFinished(30000)) {
        process.kill();
        process.waitForFinished();
        return QStringLiteral("did not end within 30 s");
    }
    const QString err = QString::fromUtf8(process.readAllStandardError());
    if (process.exitStatus() != QProcess::NormalExit) {
        return QStringLiteral("crashed (signal %1): %2").arg(process.exitCode()).arg(err);
    }
    if (process.exitCode() != status || !err.contains(errPart)) {
        return QStringLiteral("ended with status %1: %2").arg(process.exitCode()).arg(err);
    }
    return QString();
}

}  // namespace

class TestReceiveLoop : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() {
        QVERIFY2(onTestRunServer(), "run through ctest: it starts the JACK server");
        qInfo("%d runs of each", runs());
    }

    void aSilentSourceTimesOutEveryTime() {
        QTemporaryDir dir;
        JackSource silent(QStringLiteral("tk-silent"));
        const QString out = dir.filePath("nothing.syx");
        QStringList failures;
        for (int run = 0; run < runs(); ++run) {
            QProcess receive;
            receive.start(Program, {"receive", out, "--port", silent.portName(), "--timeout", "1"});
            const QString problem =
                unexpectedEnd(receive, 1, QStringLiteral("timed out: no SysEx data came"));
            if (!problem.isEmpty()) {
                failures << QStringLiteral("run %1 %2").arg(run + 1).arg(problem);
            }
        }
        QVERIFY2(failures.isEmpty(), qPrintable(failures.join(QLatin1Char('\n'))));
        QVERIFY(!QFileInfo::exists(out));
    }

    void aDumpArrivesEveryTime() {
        QTemporaryDir dir;
        JackSource instrument(QStringLiteral("tk-dumping"));
        QByteArray dump;
        for (const KitData& kit : distinctKits()) {
            dump += asSent(kit);
        }
        const QString out = dir.filePath("dump.syx");
        QStringList failures;
        for (int run = 0; run < runs(); ++run) {
            QFile::remove(out);
            Receiver receiver(Program, {"receive", out, "--port", instrument.portName(), "--kits",
                                        "64", "--timeout", "1"});
            QString why;
            if (receiver.waitUntilListening(instrument, why).isEmpty()) {
                failures << QStringLiteral("run %1: %2").arg(run + 1).arg(why);
                continue;
            }
            // A few kits per process cycle, as the instrument sends them:
            // more than a JACK MIDI buffer holds in one cycle would be lost
            // on the way.
            for (qsizetype at = 0; at < dump.size(); at += 197) {
                instrument.send(dump.mid(at, 197));
                QThread::msleep(5);
            }
            QString problem = unexpectedEnd(receiver.process, 0, QString());
            if (problem.isEmpty() && readBytes(out) != dump) {
                problem = QStringLiteral("wrote other bytes than were sent");
            }
            if (!problem.isEmpty()) {
                failures << QStringLiteral("run %1 %2").arg(run + 1).arg(problem);
            }
        }
        QVERIFY2(failures.isEmpty(), qPrintable(failures.join(QLatin1Char('\n'))));
    }
};

QTEST_GUILESS_MAIN(TestReceiveLoop)
#include "test_receive_loop.moc"
