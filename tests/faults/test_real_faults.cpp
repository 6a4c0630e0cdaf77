// SPDX-License-Identifier: GPL-3.0-or-later
// Every program writer in front of real faults: a file system that is full
// (with room for a few files, so a split fails part way), one that is
// read-only, and a file size limit. The first two are a 64 KiB tmpfs this
// test mounts, fills and remounts; the limit rows run in a child run of this
// test under setrlimit(RLIMIT_FSIZE) with SIGXFSZ ignored, so that writes fail
// late with EFBIG. Where mounting is not allowed the tmpfs rows are skipped
// and say so; the limit rows run everywhere.
//
// For every writer and fault: the user is told which file and the system's
// reason, nothing is confirmed, every file that was there keeps its bytes,
// and nothing new is left but kit files that are complete and correct.

#include "kit/BulkSplit.h"
#include "kit/KitFile.h"
#include "midi/WireFormat.h"
#include "support/FakeMidiOut.h"
#include "support/KitReceiver.h"
#include "support/TestFiles.h"
#include "ui/FormDriver.h"
#include "ui/ScriptedLibraryPrompts.h"
#include "ui/library/BankView.h"
#include "ui/library/LibraryWindow.h"

#include <QDir>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>
#include <cerrno>
#include <csignal>
#include <functional>
#include <memory>

using namespace tamboril;
using namespace tamboril::test;

namespace {

const QString Program = QStringLiteral(TAMBORIL_KIT_PROGRAM);
// Set in the child run that works under the file size limit.
const char* const LimitedChild = "TAMBORIL_TEST_FSIZE_CHILD";
constexpr rlim_t FileSizeLimit = 100;  // bytes: less than one kit

enum class Fault { Full, ReadOnly, SizeLimit };

QString reasonFor(Fault fault) {
    switch (fault) {
        case Fault::Full:
            return QStringLiteral("No space left on device");
        case Fault::ReadOnly:
            return QStringLiteral("Read-only file system");
        case Fault::SizeLimit:
            return QStringLiteral("File too large");
    }
    return QString();
}

// A 64 KiB tmpfs mounted on a folder of its own while the object lives.
class SmallDisk {
  public:
    SmallDisk() {
        if (::mount("tmpfs", path().toLocal8Bit().constData(), "tmpfs", 0, "size=64k") != 0) {
            why_ = qt_error_string(errno);
            return;
        }
        mounted_ = true;
    }
    ~SmallDisk() {
        if (mounted_) {
            ::umount2(path().toLocal8Bit().constData(), MNT_DETACH);
        }
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool mounted() const { return mounted_; }
    QString why() const { return why_; }
    QString path() const { return mountPoint_.path(); }

    // Fills the disk with the file "fill", then gives `spare` bytes back.
    bool fill(qint64 spare) {
        const QByteArray name = QDir(path()).filePath(QStringLiteral("fill")).toLocal8Bit();
        const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0) {
            return false;
        }
        const QByteArray page(4096, 'f');
        qint64 size = 0;
        for (;;) {
            const ssize_t written = ::write(fd, page.constData(), std::size_t(page.size()));
            if (written <= 0) {
                break;
            }
            size += written;
        }
        const bool full = errno == ENOSPC;
        const bool trimmed = ::ftruncate(fd, std::max<qint64>(0, size - spare)) == 0;
        ::close(fd);
        return full && trimmed;
    }

    bool remountReadOnly() {
        return ::mount("tmpfs", path().toLocal8Bit().constData(), "tmpfs", MS_REMOUNT | MS_RDONLY,
                       "size=64k") == 0;
    }

  private:
    QTemporaryDir mountPoint_;
    bool mounted_ = false;
    QString why_;
};

// Everything one row works with.
struct Scene {
    QString dir;          // the folder on the faulty file system
    QTemporaryDir files;  // the user's own files, on a sound disk
    ScriptedPrompts prompts;
    FakeMidiOut midi;
    std::unique_ptr<ui::Form1> form;
    std::unique_ptr<JackSource> feeder;
    ScriptedLibraryPrompts libraryPrompts;
    std::unique_ptr<QSettings> librarySettings;
    std::unique_ptr<ui::LibraryWindow> library;

    // What the user was told, and whether it said the write failed.
    QString told;
    bool toldFailure = false;

    QString in(const QString& name) const { return dir + QLatin1Char('/') + name; }
    QString file(const QString& name) const { return files.filePath(name); }

    void makeForm(const QString& programFolder) {
        form = std::make_unique<ui::Form1>(prompts, programFolder, &midi);
    }
    void trigger(const char* action) const {
        form->findChild<QAction*>(QLatin1String(action))->trigger();
    }
    void load(const QString& path) {
        prompts.openAnswers.append(path);
        trigger("mnuLoad");
    }
    void openLibrary(const QString& bank) {
        librarySettings =
            std::make_unique<QSettings>(files.filePath("library.ini"), QSettings::IniFormat);
        library = std::make_unique<ui::LibraryWindow>(libraryPrompts, *librarySettings, "true");
        QVERIFY(library->openBank(bank));
    }
    // Runs a Library command; told is what the window said, and a failure
    // is one message with the bank's changes still unsaved.
    void libraryCommand(const char* action) {
        library->findChild<QAction*>(QLatin1String(action))->trigger();
        told = libraryPrompts.allMessages();
        toldFailure = libraryPrompts.messages.size() == 1;
    }
    void takeMessages() {
        for (const Message& m : prompts.messages) {
            told += m.title + QLatin1Char(':') + m.text + QLatin1Char('\n');
        }
    }
    void runKit(const QStringList& args) {
        QProcess process;
        process.start(Program, args);
        QVERIFY(process.waitForFinished(60000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        told = QString::fromUtf8(process.readAllStandardOutput() + process.readAllStandardError());
        toldFailure = process.exitCode() == 1;
    }
};

struct Writer {
    const char* name;
    QString names;  // the file the message must name (relative to dir)
    qint64 spare;   // bytes left free on the full disk
    bool splits;    // writes the 64 kit files of sampleBulk()
    bool needsJack;
    QStringList success;                 // texts that would confirm the write
    std::function<void(Scene&)> before;  // set up, before the fault
    std::function<void(Scene&)> write;   // under the fault
};

const QList<Writer>& writers() {
    static const QList<Writer> table = {
        {"Save",
         "kit.syx",
         0,
         false,
         false,
         {"Saved Complete."},
         [](Scene& s) {
             s.makeForm(s.file("program"));
             s.load(s.in("kit.syx"));
             FormDriver::pick(s.form->findChild<QComboBox*>("Pad"), 3);
             FormDriver::pick(s.form->findChild<QComboBox*>("SoundNum"), 200);
         },
         [](Scene& s) {
             s.trigger("mnusave");
             s.takeMessages();
             s.toldFailure = s.prompts.messages.size() == 1;
             QCOMPARE(s.form->kitFileName(), s.in("kit.syx"));
         }},
        {"Save As",
         "kit.syx",
         0,
         false,
         false,
         {},
         [](Scene& s) {
             s.makeForm(s.file("program"));
             s.load(s.file("new.syx"));
         },
         [](Scene& s) {
             s.prompts.saveAnswers.append(s.in("kit.syx"));
             s.trigger("mnusaveas");
             s.takeMessages();
             s.toldFailure = s.prompts.messages.size() == 1;
             // Save still writes to the file that holds the kit.
             QCOMPARE(s.form->kitFileName(), s.file("new.syx"));
         }},
        {"Spilt File",
         "",
         20480,
         true,
         false,
         {"Files Spilt to : "},
         [](Scene& s) { s.makeForm(s.dir); },
         [](Scene& s) {
             s.prompts.openAnswers.append(s.file("bulk.syx"));
             s.trigger("mnuSpliFile");
             s.takeMessages();
             s.toldFailure = s.prompts.messages.size() == 1 &&
                             s.prompts.messages[0].title == QStringLiteral("Tamboril");
         }},
        {"Send",
         "temp.syx",
         0,
         false,
         false,
         {},
         [](Scene& s) {
             s.midi.ports = {QStringLiteral("Synth")};
             s.makeForm(s.dir);
             s.load(s.file("new.syx"));
         },
         [](Scene& s) {
             s.trigger("mnuSend");
             s.takeMessages();
             s.toldFailure = s.prompts.messages.size() == 1 &&
                             s.told.contains(QStringLiteral("Nothing was sent."));
             QVERIFY2(s.midi.calls.isEmpty(), qPrintable(s.midi.calls.join(", ")));
             QVERIFY(s.midi.sent.isEmpty());
         }},
        {"Library Save",
         "kit.syx",
         0,
         false,
         false,
         {},
         [](Scene& s) {
             s.openLibrary(s.in("kit.syx"));
             s.libraryPrompts.nameAnswers << "NEW NAME";
             s.library->findChild<QAction*>("actionRename")->trigger();
             QVERIFY(s.library->isWindowModified());
         },
         [](Scene& s) {
             s.libraryCommand("actionSave");
             QVERIFY(s.library->isWindowModified());
             s.libraryPrompts.unsavedAnswers << ui::LibraryPrompts::Unsaved::Discard;
         }},
        {"Library Save As",
         "kit.syx",
         0,
         false,
         false,
         {},
         [](Scene& s) { s.openLibrary(s.file("bulk.syx")); },
         [](Scene& s) {
             s.libraryPrompts.saveAnswers << s.in("kit.syx");
             s.libraryCommand("actionSaveAs");
             // The bank still saves to the file it came from.
             QCOMPARE(s.library->currentView()->document().bank().path, s.file("bulk.syx"));
         }},
        {"Library Export All",
         "",
         20480,
         true,
         false,
         {"Files Spilt to : "},
         [](Scene& s) { s.openLibrary(s.file("bulk.syx")); },
         [](Scene& s) {
             s.libraryPrompts.folderAnswers << s.dir;
             s.libraryCommand("actionExportAll");
         }},
        {"tamboril-kit set",
         "kit.syx",
         0,
         false,
         false,
         {"Saved Complete."},
         [](Scene&) {},
         [](Scene& s) {
             s.runKit({"set", s.in("kit.syx"), "3", "200"});
         }},
        {"tamboril-kit rename",
         "kit.syx",
         0,
         false,
         false,
         {"Saved Complete."},
         [](Scene&) {},
         [](Scene& s) {
             s.runKit({"rename", s.in("kit.syx"), "NEW NAME"});
         }},
        {"tamboril-kit join",
         "kit.syx",
         0,
         false,
         false,
         {"Joined"},
         [](Scene& s) {
             QVERIFY(QDir().mkpath(s.file("kits")));
             for (int k = 0; k < BulkKitCount; ++k) {
                 writeBytes(s.file("kits/" + SplitFileName(k)),
                            toBytes(sampleKit(static_cast<std::uint8_t>(k))));
             }
         },
         [](Scene& s) {
             s.runKit({"join", s.in("kit.syx"), "--from", s.file("kits")});
         }},
        {"tamboril-kit split",
         "",
         20480,
         true,
         false,
         {"Files Spilt to : "},
         [](Scene&) {},
         [](Scene& s) {
             s.runKit({"split", s.file("bulk.syx"), "--into", s.dir});
         }},
        {"tamboril-kit receive",
         "kit.syx",
         0,
         false,
         true,
         {"Received"},
         [](Scene& s) {
             s.feeder = std::make_unique<JackSource>(QStringLiteral("tk-fault-feeder"));
         },
         [](Scene& s) {
             Receiver receiver(Program, {"receive", s.in("kit.syx"), "--port", s.feeder->portName(),
                                         "--timeout", "30"});
             QString why;
             QVERIFY2(!receiver.waitUntilListening(*s.feeder, why).isEmpty(), qPrintable(why));
             s.feeder->send(toBytes(sampleKit(9)));
             QVERIFY(receiver.process.waitForFinished(30000));
             s.told = QString::fromUtf8(receiver.process.readAllStandardOutput() +
                                        receiver.process.readAllStandardError());
             s.toldFailure = receiver.process.exitCode() == 1;
         }},
    };
    return table;
}

QMap<QString, QByteArray> filesIn(const QString& dir) {
    QMap<QString, QByteArray> files;
    for (const QString& name :
         QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
        files.insert(name, readBytes(QDir(dir).filePath(name)));
    }
    return files;
}

// The content splitting sampleBulk() gives each kit file.
QMap<QString, QByteArray> splitKits() {
    QMap<QString, QByteArray> kits;
    const QByteArray bulk = sampleBulk();
    for (int k = 0; k < BulkKitCount; ++k) {
        kits.insert(SplitFileName(k), bulk.mid(k * qsizetype(KitSize), qsizetype(KitSize)));
    }
    return kits;
}

// The old files every row finds in the folder it writes to.
void putOldFiles(const QString& dir) {
    writeBytes(dir + "/kit.syx", toBytes(sampleKit(1, "OLD KIT    ")));
    writeBytes(dir + "/temp.syx", "an older scratch file");
    writeBytes(dir + "/" + SplitFileName(63), toBytes(sampleKit(2, "OLD SPLIT  ")));
}

void putUserFiles(const Scene& s) {
    writeBytes(s.file("new.syx"), toBytes(sampleKit(5, "NEW KIT    ")));
    writeBytes(s.file("bulk.syx"), sampleBulk());
    QVERIFY(QDir().mkpath(s.file("program")));
}

void limitFileSize() {
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{};
    QCOMPARE(::getrlimit(RLIMIT_FSIZE, &limit), 0);
    limit.rlim_cur = FileSizeLimit;
    QCOMPARE(::setrlimit(RLIMIT_FSIZE, &limit), 0);
}

}  // namespace

class TestRealFaults : public QObject {
    Q_OBJECT

  private slots:
    void writersNeverLoseAKit_data() {
        QTest::addColumn<int>("writer");
        QTest::addColumn<int>("fault");
        const QList<std::pair<Fault, const char*>> faults = {
            {Fault::Full, "full disk"},
            {Fault::ReadOnly, "read-only disk"},
            {Fault::SizeLimit, "file size limit"},
        };
        for (int w = 0; w < writers().size(); ++w) {
            for (const auto& [fault, name] : faults) {
                QTest::addRow("%s, %s", writers()[w].name, name) << w << int(fault);
            }
        }
    }

    void writersNeverLoseAKit() {
        QFETCH(int, writer);
        QFETCH(int, fault);
        const Writer& w = writers()[writer];
        const auto kind = Fault(fault);
        const bool inChild = qEnvironmentVariableIsSet(LimitedChild);
        if (w.needsJack && qEnvironmentVariable("JACK_DEFAULT_SERVER").isEmpty()) {
            QSKIP("needs the JACK server of the test run: run it through ctest");
        }
        if (kind == Fault::SizeLimit && !inChild) {
            runInLimitedChild();
            return;
        }

        Scene s;
        std::unique_ptr<SmallDisk> disk;
        QTemporaryDir plain;
        if (kind == Fault::SizeLimit) {
            s.dir = plain.path();
        } else {
            disk = std::make_unique<SmallDisk>();
            if (!disk->mounted()) {
                QSKIP(qPrintable(
                    QStringLiteral("cannot mount a tmpfs here (%1): the full and read-only disk "
                                   "cases are not run; the file size limit rows run the same "
                                   "writers")
                        .arg(disk->why())));
            }
            s.dir = disk->path();
        }
        putOldFiles(s.dir);
        putUserFiles(s);
        w.before(s);
        if (QTest::currentTestFailed()) {
            return;
        }
        const QMap<QString, QByteArray> before = filesIn(s.dir);

        switch (kind) {
            case Fault::Full:
                QVERIFY(disk->fill(w.spare));
                break;
            case Fault::ReadOnly:
                QVERIFY(disk->remountReadOnly());
                break;
            case Fault::SizeLimit:
                limitFileSize();
                break;
        }
        w.write(s);
        if (QTest::currentTestFailed()) {
            return;
        }

        // Told that it failed, which file and why; nothing confirmed.
        QVERIFY2(s.toldFailure, qPrintable(s.told));
        QVERIFY2(s.told.contains(s.in(w.names)), qPrintable(s.told));
        QVERIFY2(s.told.contains(reasonFor(kind)), qPrintable(s.told));
        for (const QString& text : w.success) {
            QVERIFY2(!s.told.contains(text), qPrintable(s.told));
        }
        checkNothingLost(w, kind, s, before);
    }

  private:
    // Every file that was there keeps its bytes; nothing new is left but kit
    // files of a split, complete and correct, as many as the message says.
    void checkNothingLost(const Writer& w, Fault kind, const Scene& s,
                          const QMap<QString, QByteArray>& before) {
        const QMap<QString, QByteArray> after = filesIn(s.dir);
        const QMap<QString, QByteArray> kits = splitKits();
        int written = 0;
        for (auto it = after.cbegin(); it != after.cend(); ++it) {
            if (it.key() == QStringLiteral("fill")) {
                continue;
            }
            const bool newKit = w.splits && kits.value(it.key()) == it.value();
            written += newKit ? 1 : 0;
            QVERIFY2(newKit || before.value(it.key(), "(not there)") == it.value(),
                     qPrintable(it.key() + QStringLiteral(" was changed or left behind")));
        }
        for (auto it = before.cbegin(); it != before.cend(); ++it) {
            QVERIFY2(after.contains(it.key()), qPrintable(it.key() + " is gone"));
        }
        if (w.splits) {
            static const QRegularExpression count(
                QStringLiteral("(\\d+) of 64 kit files could not be written"));
            const QRegularExpressionMatch match = count.match(s.told);
            QVERIFY2(match.hasMatch(), qPrintable(s.told));
            const int failed = match.captured(1).toInt();
            QCOMPARE(written + failed, BulkKitCount);
            // A full disk with room for a few files fails part way.
            QVERIFY2(
                kind == Fault::Full ? failed > 0 && failed < BulkKitCount : failed == BulkKitCount,
                qPrintable(s.told));
        } else {
            QCOMPARE(written, 0);
        }
    }

    // The same row in a child run of this test, which limits its own file
    // size once the old files are in place.
    void runInLimitedChild() {
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QLatin1String(LimitedChild), QStringLiteral("1"));
        child.setProcessEnvironment(env);
        child.setProcessChannelMode(QProcess::MergedChannels);
        child.start(
            QCoreApplication::applicationFilePath(),
            {QStringLiteral("writersNeverLoseAKit:") + QString::fromUtf8(QTest::currentDataTag())});
        QVERIFY(child.waitForFinished(100000));
        const QString output = QString::fromUtf8(child.readAll());
        QVERIFY2(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0,
                 qPrintable(output));
        // The child ran this very row and passed it.
        const QString passed = QStringLiteral("PASS   : TestRealFaults::writersNeverLoseAKit(%1)")
                                   .arg(QString::fromUtf8(QTest::currentDataTag()));
        QVERIFY2(output.contains(passed), qPrintable(output));
    }
};

QTEST_MAIN(TestRealFaults)
#include "test_real_faults.moc"
