// SPDX-License-Identifier: GPL-3.0-or-later
// One Library per user, with the real program on a real socket in a runtime
// folder of the test's own: a second start hands its files over and ends, a
// socket left by a killed Library is taken over, starts at once make one
// Library, and a Library that takes the files without a proper answer ends
// the start with status 1 within the wait.

#include "bank/Bank.h"
#include "support/TestFiles.h"
#include "support/ScriptedPrompts.h"
#include "library/BankView.h"
#include "library/LibraryInstance.h"
#include "library/LibraryWindow.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

using namespace tamboril;
using namespace tamboril::test;

namespace {

const QString LibraryProgram = QStringLiteral(TAMBORIL_LIBRARY_PROGRAM);
constexpr int ProcessWaitMs = library::HandOverWaitMs + 10000;

struct Ended {
    int status = -1;  // -1: killed, or still running after the wait
    qint64 elapsedMs = 0;
    QString out;
    QString err;
};

// Whether a Library listens on the socket: a connection taken at once.
bool listening() {
    QLocalSocket probe;
    probe.connectToServer(library::LibrarySocketPath());
    return probe.waitForConnected(200);
}

QByteArray withWord(QByteArray bytes, int at, quint32 word) {
    qToBigEndian(word, bytes.data() + at);
    return bytes;
}

}  // namespace

class TestLibraryInstance : public QObject {
    Q_OBJECT

    QDir home_;
    QString file(const QString& name) const { return home_.filePath(name); }

    void startLibrary(QProcess& process, const QStringList& args, const QString& folder = {}) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        environment.insert("XDG_RUNTIME_DIR", home_.path());
        environment.insert("HOME", home_.path());
        environment.insert("XDG_CONFIG_HOME", file("config"));
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(folder.isEmpty() ? home_.path() : folder);
        process.start(LibraryProgram, args);
    }

    // Runs the program to its end while this process's event loop serves.
    Ended run(const QStringList& args, const QString& folder = {}) {
        QProcess process;
        QElapsedTimer clock;
        clock.start();
        startLibrary(process, args, folder);
        while (process.state() != QProcess::NotRunning && clock.elapsed() < ProcessWaitMs) {
            QTest::qWait(20);
        }
        Ended ended;
        ended.elapsedMs = clock.elapsed();
        if (process.state() == QProcess::NotRunning &&
            process.exitStatus() == QProcess::NormalExit) {
            ended.status = process.exitCode();
        }
        process.kill();
        process.waitForFinished();
        ended.out = QString::fromLocal8Bit(process.readAllStandardOutput());
        ended.err = QString::fromLocal8Bit(process.readAllStandardError());
        return ended;
    }

  public:
    explicit TestLibraryInstance(const QString& home) : home_(home) {}

  private slots:
    void initTestCase() {
        QCOMPARE(library::LibrarySocketPath(), file("tamboril-library.socket"));
        writeBytes(file("dump.syx"), sampleBulk());
        writeBytes(file("other.syx"), sampleBulk());
    }

    void init() { QLocalServer::removeServer(library::LibrarySocketPath()); }

    void secondStartsHandTheirFilesToTheRunningLibrary() {
        ScriptedPrompts prompts;
        QSettings settings(file("settings.ini"), QSettings::IniFormat);
        library::LibraryWindow window(prompts, settings, "/bin/true");
        window.show();
        library::LibraryInstance instance;
        QCOMPARE(instance.start({}).start, library::Start::Serving);
        connect(&instance, &library::LibraryInstance::filesHanded, &window,
                [&window](const QStringList& paths) { library::OpenHandedFiles(window, paths); });

        Ended first = run({"dump.syx"});  // relative to the start's folder
        QVERIFY2(first.status == 0, qPrintable(first.err));
        QTRY_COMPARE(window.bankCount(), 1);
        QCOMPARE(window.currentView()->document().bank().path, file("dump.syx"));
        QVERIFY(window.openBank(file("other.syx")));
        QCOMPARE(window.bankCount(), 2);

        Ended again = run({file("dump.syx")});
        QVERIFY2(again.status == 0, qPrintable(again.err));
        QTRY_COMPARE(window.currentView()->document().bank().path, file("dump.syx"));
        QCOMPARE(window.bankCount(), 2);
        QVERIFY2(prompts.messages.isEmpty(), qPrintable(prompts.allMessages()));
    }

    void informationAndPicturesAreNotHandedOver_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("printed");
        QTest::newRow("version") << QStringList{"--version"} << QStringLiteral("Tamboril Library ");
        QTest::newRow("help") << QStringList{"--help"} << QStringLiteral("--screenshot");
        QTest::newRow("picture") << QStringList{"--screenshot", "shot.png", "dump.syx"}
                                 << QString();
    }
    void informationAndPicturesAreNotHandedOver() {
        QFETCH(QStringList, args);
        QFETCH(QString, printed);
        library::LibraryInstance instance;
        QCOMPARE(instance.start({}).start, library::Start::Serving);
        QSignalSpy handed(&instance, &library::LibraryInstance::filesHanded);
        QFile::remove(file("shot.png"));
        Ended ended = run(args);
        QVERIFY2(ended.status == 0, qPrintable(ended.err));
        QVERIFY2(ended.out.contains(printed), qPrintable(ended.out));
        QCOMPARE(QFileInfo(file("shot.png")).size() > 0, args.contains("--screenshot"));
        QTest::qWait(50);
        QCOMPARE(handed.count(), 0);
    }

    void aSocketLeftByAKilledLibraryIsTakenOver() {
        QProcess killed;
        startLibrary(killed, {});
        QTRY_VERIFY_WITH_TIMEOUT(listening(), ProcessWaitMs);
        killed.kill();  // SIGKILL: nothing is cleaned up
        QVERIFY(killed.waitForFinished());
        QVERIFY(QFileInfo::exists(library::LibrarySocketPath()));
        QVERIFY(!listening());

        QProcess successor;
        startLibrary(successor, {});
        QTRY_VERIFY_WITH_TIMEOUT(listening(), ProcessWaitMs);
        Ended third = run({file("dump.syx")});
        QVERIFY2(third.status == 0, qPrintable(third.err));
        QCOMPARE(successor.state(), QProcess::Running);
        successor.kill();
        QVERIFY(successor.waitForFinished());
    }

    void startsAtOnceMakeOneLibrary() {
        for (int round = 0; round < 3; ++round) {
            QProcess a;
            QProcess b;
            startLibrary(a, {});
            startLibrary(b, {});
            const auto oneEnded = [&] {
                return (a.state() == QProcess::NotRunning) != (b.state() == QProcess::NotRunning);
            };
            QTRY_VERIFY_WITH_TIMEOUT(oneEnded(), ProcessWaitMs);
            QProcess& ended = a.state() == QProcess::NotRunning ? a : b;
            QVERIFY2(ended.exitCode() == 0, ended.readAllStandardError().constData());
            QVERIFY(listening());
            QTest::qWait(300);  // the other keeps serving
            QVERIFY(oneEnded());
            QProcess& serving = &ended == &a ? b : a;
            serving.kill();
            QVERIFY(serving.waitForFinished());
        }
    }

    void requestsThatAreNotWholeAreDropped_data() {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<bool>("libraryCloses");  // else the start closes
        const QByteArray valid = library::HandOverRequest({"/tmp/a.syx"});
        // length 0..3, magic 4..7, version 8..9, count 10..13, path length 14..17
        QTest::newRow("nothing") << QByteArray() << false;
        QTest::newRow("half a length") << valid.left(2) << false;
        QTest::newRow("cut short") << valid.chopped(3) << false;
        QTest::newRow("over the limit") << withWord(valid, 0, 0x7fffffff) << true;
        QTest::newRow("wrong magic") << withWord(valid, 4, 0x12345678) << true;
        QByteArray otherVersion = valid;
        otherVersion[9] = 2;
        QTest::newRow("other version") << otherVersion << true;
        QTest::newRow("count beyond the bytes") << withWord(valid, 10, 0x7fffffff) << true;
        QTest::newRow("odd path length") << withWord(valid, 14, 3) << true;
        QTest::newRow("path past the end") << withWord(valid, 14, 256) << true;
        QTest::newRow("relative path") << library::HandOverRequest({"a.syx"}) << true;
        QTest::newRow("bytes after it") << valid + "x" << true;
    }
    void requestsThatAreNotWholeAreDropped() {
        QFETCH(QByteArray, request);
        QFETCH(bool, libraryCloses);
        library::LibraryInstance instance;
        QVERIFY(instance.start({}).start == library::Start::Serving);
        QSignalSpy handed(&instance, &library::LibraryInstance::filesHanded);
        QLocalSocket bad;
        bad.connectToServer(instance.socketPath());
        QVERIFY(bad.waitForConnected(1000));
        bad.write(request);
        if (libraryCloses) {
            QTRY_COMPARE(bad.state(), QLocalSocket::UnconnectedState);
        } else {
            QTest::qWait(100);
            bad.disconnectFromServer();
        }
        QCOMPARE(bad.bytesAvailable(), 0);

        QLocalSocket good;  // the Library still serves
        good.connectToServer(instance.socketPath());
        QVERIFY(good.waitForConnected(1000));
        good.write(library::HandOverRequest({"/tmp/b.syx", "/tmp/c d.syx"}));
        QTRY_COMPARE(handed.count(), 1);
        QCOMPARE(handed.at(0).at(0).toStringList(), QStringList({"/tmp/b.syx", "/tmp/c d.syx"}));
        QTRY_VERIFY(good.bytesAvailable() > 0 || good.state() == QLocalSocket::UnconnectedState);
        QVERIFY(good.readAll().size() > 0);
    }

    void aLibraryWithoutAProperAnswerEndsTheStart_data() {
        QTest::addColumn<QByteArray>("answer");  // empty: none
        QTest::addColumn<bool>("closes");
        QTest::addColumn<QString>("said");
        QTest::newRow("silent") << QByteArray() << false
                                << QStringLiteral("did not answer within 5 s");
        QTest::newRow("garbage") << QByteArray("HTTP/1.1 200 OK\r\n") << false
                                 << QStringLiteral("something other than an acknowledgement");
        QTest::newRow("closes") << QByteArray() << true << QStringLiteral("closed the connection");
    }
    void aLibraryWithoutAProperAnswerEndsTheStart() {
        QFETCH(QByteArray, answer);
        QFETCH(bool, closes);
        QFETCH(QString, said);
        QLocalServer impostor;
        impostor.setSocketOptions(QLocalServer::UserAccessOption);
        QVERIFY(impostor.listen(library::LibrarySocketPath()));
        connect(&impostor, &QLocalServer::newConnection, &impostor, [&] {
            QLocalSocket* socket = impostor.nextPendingConnection();
            socket->write(answer);
            if (closes) {
                socket->disconnectFromServer();
            }
        });
        Ended ended = run({file("dump.syx")});
        QCOMPARE(ended.status, 1);
        QVERIFY2(ended.err.contains(library::LibrarySocketPath()), qPrintable(ended.err));
        QVERIFY2(ended.err.contains(said), qPrintable(ended.err));
        QVERIFY(ended.elapsedMs < library::HandOverWaitMs + 3000);
    }
};

int main(int argc, char** argv) {
    // The runtime folder, settings and files of the whole run, named before
    // Qt first looks for a runtime folder: the user's is never touched.
    QTemporaryDir home;
    if (!home.isValid()) {
        return 1;
    }
    qputenv("XDG_RUNTIME_DIR", home.path().toLocal8Bit());
    QApplication app(argc, argv);
    TestLibraryInstance test(home.path());
    return QTest::qExec(&test, argc, argv);
}
#include "test_library_instance.moc"
