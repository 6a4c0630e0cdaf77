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
#include "midi/JackWatch.h"
#include "midi/WireFormat.h"
#include "support/FakeMidiOut.h"
#include "support/KitReceiver.h"
#include "support/TestFiles.h"
#include "ui/FormDriver.h"
#include "support/ScriptedPrompts.h"
#include "library/BankView.h"
#include "library/KitSheets.h"
#include "library/Library.h"
#include "library/LibraryWindow.h"

#include <QDir>
#include <QMap>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/xattr.h>
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
    ScriptedPrompts libraryPrompts;
    std::unique_ptr<QSettings> librarySettings;
    std::unique_ptr<library::Library> banks;
    std::unique_ptr<library::LibraryWindow> library;

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
        prompts.openFileAnswers.append(path);
        trigger("mnuLoad");
    }
    void openLibrary(const QString& bank) {
        librarySettings =
            std::make_unique<QSettings>(files.filePath("library.ini"), QSettings::IniFormat);
        banks = std::make_unique<library::Library>(*librarySettings);
        library = std::make_unique<library::LibraryWindow>(*banks, libraryPrompts, *librarySettings,
                                                           "true");
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
             s.prompts.saveAsTypedAnswers.append(s.in("kit.syx"));
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
             s.prompts.openFileAnswers.append(s.file("bulk.syx"));
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
             s.libraryPrompts.unsavedAnswers << desktop::Prompts::Unsaved::Discard;
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
        {"Library Export Kit Sheet",
         "sheet.csv",
         0,
         false,
         false,
         {"Saved the kit sheet"},
         [](Scene& s) {
             writeBytes(s.in("sheet.csv"), "an older sheet");
             s.openLibrary(s.file("bulk.syx"));
         },
         [](Scene& s) {
             s.libraryPrompts.saveAnswers << s.in("sheet.csv");
             s.libraryCommand("actionExportSheet");
         }},
        {"Library Print to a file",
         "sheet.pdf",
         0,
         false,
         false,
         {"Saved the kit sheet"},
         [](Scene& s) {
             writeBytes(s.in("sheet.pdf"), "an older sheet");
             s.openLibrary(s.file("bulk.syx"));
             s.library->findChild<library::KitSheets*>()->setPrintQuestion(
                 [path = s.in("sheet.pdf")](QPrinter& printer) {
                     printer.setOutputFormat(QPrinter::PdfFormat);
                     printer.setOutputFileName(path);
                     return true;
                 });
         },
         [](Scene& s) { s.libraryCommand("actionPrint"); }},
        {"tamboril-kit sheet --pdf",
         "sheet.pdf",
         0,
         false,
         false,
         {"written to"},
         [](Scene& s) { writeBytes(s.in("sheet.pdf"), "an older sheet"); },
         [](Scene& s) { s.runKit({"sheet", s.file("bulk.syx"), "--pdf", s.in("sheet.pdf")}); }},
        {"tamboril-kit sheet --csv",
         "sheet.csv",
         0,
         false,
         false,
         {"written to"},
         [](Scene& s) { writeBytes(s.in("sheet.csv"), "an older sheet"); },
         [](Scene& s) { s.runKit({"sheet", s.file("bulk.syx"), "--csv", s.in("sheet.csv")}); }},
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
        // Another hard link makes the write go in place after a backup; the
        // short old kit lets the backup succeed under the size limit, so
        // the write itself fails and the old bytes are put back.
        {"tamboril-kit set, kit with another link",
         "kit.syx",
         0,
         false,
         false,
         {"Saved Complete."},
         [](Scene& s) {
             writeBytes(s.in("kit.syx"), toBytes(sampleKit(1, "OLD KIT    ")).left(60));
             QVERIFY(::link(QFile::encodeName(s.in("kit.syx")).constData(),
                            QFile::encodeName(s.in("kit link.syx")).constData()) == 0);
         },
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
             // A kit can be lost when the JACK server skips a cycle (an
             // xrun): one that a watch of the test's own saw makes the kit
             // go again, three times at most.
             QString why;
             const auto watch = midi::JackWatch::connect(QStringLiteral("tk-fault-watch"), why);
             QVERIFY2(watch, qPrintable(why));
             Receiver receiver(Program, {"receive", s.in("kit.syx"), "--port", s.feeder->portName(),
                                         "--timeout", "30"});
             QVERIFY2(!receiver.waitUntilListening(*s.feeder, why).isEmpty(), qPrintable(why));
             for (int sent = 1;; ++sent) {
                 const std::uint64_t xruns = watch->xruns();
                 s.feeder->send(toBytes(sampleKit(9)));
                 if (receiver.process.waitForFinished(10000)) {
                     break;
                 }
                 QVERIFY2(watch->xruns() != xruns && sent < 3,
                          "receive did not end, and no xrun was seen that could have cost the kit");
             }
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

// What a write must keep of a file: owner, group, mode with its special bits,
// every extended attribute (the ACL among them) and the number of links.
struct Identity {
    uid_t owner = 0;
    gid_t group = 0;
    mode_t mode = 0;
    nlink_t links = 0;
    QMap<QByteArray, QByteArray> attributes;

    bool operator==(const Identity&) const = default;
    QString text() const {
        QStringList names;
        for (auto it = attributes.cbegin(); it != attributes.cend(); ++it) {
            names << QString::fromLatin1(it.key()) + "=" + QString::fromLatin1(it.value().toHex());
        }
        return QStringLiteral("%1:%2 %3 links %4 [%5]")
            .arg(owner)
            .arg(group)
            .arg(mode, 0, 8)
            .arg(links)
            .arg(names.join(QLatin1Char(' ')));
    }
};

Identity identityOf(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    struct stat info {};
    Identity id;
    if (::stat(name.constData(), &info) != 0) {
        return id;
    }
    id = Identity{info.st_uid, info.st_gid, mode_t(info.st_mode & 07777), info.st_nlink, {}};
    char list[4096];
    const ssize_t size = ::listxattr(name.constData(), list, sizeof list);
    for (const QByteArray& attribute : QByteArray(list, std::max<ssize_t>(size, 0)).split('\0')) {
        char value[4096];
        const ssize_t got =
            attribute.isEmpty()
                ? -1
                : ::getxattr(name.constData(), attribute.constData(), value, sizeof value);
        if (got >= 0) {
            id.attributes.insert(attribute, QByteArray(value, got));
        }
    }
    return id;
}

// An access ACL in the kernel's xattr form: owner rw, user `user` rw, group
// r, mask rw, others nothing.
QByteArray aclGivingUser(quint32 user) {
    QByteArray acl;
    const auto put = [&acl](quint16 tag, quint16 perm, quint32 id) {
        acl.append(reinterpret_cast<const char*>(&tag), 2);
        acl.append(reinterpret_cast<const char*>(&perm), 2);
        acl.append(reinterpret_cast<const char*>(&id), 4);
    };
    const quint32 version = 2;
    acl.append(reinterpret_cast<const char*>(&version), 4);
    put(0x01, 6, quint32(-1));  // owner
    put(0x02, 6, user);         // the named user
    put(0x04, 4, quint32(-1));  // owning group
    put(0x10, 6, quint32(-1));  // mask
    put(0x20, 0, quint32(-1));  // others
    return acl;
}

void setAttribute(const QString& path, const char* name, const QByteArray& value) {
    QVERIFY2(::setxattr(QFile::encodeName(path).constData(), name, value.constData(),
                        std::size_t(value.size()), 0) == 0,
             qPrintable(QStringLiteral("%1 on %2: %3").arg(name, path, qt_error_string(errno))));
}

void setOwner(const QString& path, uid_t owner, gid_t group, mode_t mode) {
    const QByteArray name = QFile::encodeName(path);
    QVERIFY(::chown(name.constData(), owner, group) == 0);
    QVERIFY(::chmod(name.constData(), mode) == 0);
}

constexpr uid_t Nobody = 65534;
constexpr gid_t Users = 100;

// One write of a kit file whose identity must stay: who writes, where, and
// what the file is before.
struct IdentityCase {
    const char* name;
    bool asNobody;  // runs as uid/gid 65534, in group 100, through setpriv
    QString fileName;
    mode_t folderMode;
    std::function<void(const QString& dir, const QString& file)> prepare;
    QString refusal;  // empty: the write must succeed; else the text told
};

const QList<IdentityCase>& identityCases() {
    static const QList<IdentityCase> table = {
        {"root saves a user's file",
         false,
         "kit.syx",
         0755,
         [](const QString&, const QString& f) { setOwner(f, Nobody, Nobody, 0640); },
         {}},
        {"root saves a read-only file",
         false,
         "kit.syx",
         0755,
         [](const QString&, const QString& f) { setOwner(f, 0, 0, 0444); },
         {}},
        {"root saves a setgid group file",
         false,
         "kit.syx",
         0755,
         [](const QString&, const QString& f) { setOwner(f, Nobody, Users, 02660); },
         {}},
        {"root saves a file with an ACL and attributes",
         false,
         "kit.syx",
         0755,
         [](const QString&, const QString& f) {
             setAttribute(f, "system.posix_acl_access", aclGivingUser(Nobody));
             setAttribute(f, "user.origin", "instrument 1");
         },
         {}},
        {"root saves a file with another hard link",
         false,
         "kit.syx",
         0755,
         [](const QString& d, const QString& f) {
             QVERIFY(::link(QFile::encodeName(f).constData(),
                            QFile::encodeName(d + "/other.syx").constData()) == 0);
         },
         {}},
        {"user saves a group's file owned by root",
         true,
         "kit.syx",
         0777,
         [](const QString&, const QString& f) { setOwner(f, 0, Users, 0664); },
         {}},
        {"user saves an own file with attributes",
         true,
         "kit.syx",
         0777,
         [](const QString&, const QString& f) {
             setOwner(f, Nobody, Nobody, 0604);
             setAttribute(f, "user.origin", "instrument 2");
         },
         {}},
        {"user saves a name of 255 bytes",
         true,
         QString(251, 'k') + ".syx",
         0777,
         [](const QString&, const QString& f) { setOwner(f, Nobody, Nobody, 0644); },
         {}},
        {"user saves into a folder that allows no new file", true, "kit.syx", 0755,
         [](const QString&, const QString& f) { setOwner(f, Nobody, Nobody, 0644); },
         "does not allow new files (Permission denied)"},
        {"root saves where a killed write left its temporary file",
         false,
         "kit.syx",
         0755,
         [](const QString& d, const QString&) {
             writeBytes(d + "/.tamboril-new-Ab12Cd", "half a kit");
             writeBytes(d + "/.tamboril-old-Ef34Gh", "a backup: its write never finished");
         },
         {}},
    };
    return table;
}

// The files of dir that a write may not leave: its own temporary files.
QStringList temporariesIn(const QString& dir) {
    return QDir(dir).entryList({QStringLiteral(".tamboril-new-*")},
                               QDir::Files | QDir::Hidden | QDir::System);
}

// Old content kept during writes in place.
QStringList backupsIn(const QString& dir) {
    return QDir(dir).entryList({QStringLiteral(".tamboril-old-*")},
                               QDir::Files | QDir::Hidden | QDir::System);
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

    // Saving keeps who the file is: owner, group, mode, ACL, attributes and
    // links, for root and for a user; a folder that refuses new files is
    // named as the cause. The writer is `tamboril-kit set`, on the one writer
    // every program shares.
    void writesKeepTheFilesIdentity_data() {
        QTest::addColumn<int>("row");
        for (int r = 0; r < identityCases().size(); ++r) {
            QTest::addRow("%s", identityCases()[r].name) << r;
        }
    }

    void writesKeepTheFilesIdentity() {
        QFETCH(int, row);
        const IdentityCase& c = identityCases()[row];
        if (::geteuid() != 0) {
            QSKIP("needs root: the rows give files to other owners and run as another user");
        }
        QTemporaryDir base;
        const QString dir = base.filePath(QStringLiteral("kits"));
        QVERIFY(QDir().mkpath(dir));
        const QString file = dir + QLatin1Char('/') + c.fileName;
        const QByteArray old = toBytes(sampleKit(1, "OLD KIT    "));
        writeBytes(file, old);
        c.prepare(dir, file);
        if (QTest::currentTestFailed()) {
            return;
        }
        QVERIFY(::chmod(QFile::encodeName(base.path()).constData(), 0755) == 0);
        QVERIFY(::chmod(QFile::encodeName(dir).constData(), c.folderMode) == 0);
        const Identity before = identityOf(file);

        const QStringList backups = backupsIn(dir);
        const QStringList set{"set", file, "3", "200"};
        QProcess process;
        if (c.asNobody) {
            // A copy the other user can reach, wherever the build tree is.
            const QString program = base.filePath(QStringLiteral("tamboril-kit"));
            QVERIFY(QFile::copy(Program, program));
            process.start(
                "setpriv",
                QStringList{"--reuid=65534", "--regid=65534", "--groups=100", "--", program} + set);
        } else {
            process.start(Program, set);
        }
        QVERIFY(process.waitForFinished(60000));
        const QString told =
            QString::fromUtf8(process.readAllStandardOutput() + process.readAllStandardError());

        QVERIFY2(identityOf(file) == before,
                 qPrintable(before.text() + " became " + identityOf(file).text() + "\n" + told));
        QVERIFY2(temporariesIn(dir).isEmpty(), qPrintable(temporariesIn(dir).join(", ")));
        if (!c.refusal.isEmpty()) {
            QCOMPARE(process.exitCode(), 1);
            QVERIFY2(told.contains(dir + QStringLiteral(" ") + c.refusal), qPrintable(told));
            QCOMPARE(readBytes(file), old);
            return;
        }
        QVERIFY2(process.exitCode() == 0, qPrintable(told));
        QVERIFY(readBytes(file) != old);
        QCOMPARE(readBytes(file), savedBySet(old));
        // Another link sees the new content.
        if (QFileInfo::exists(dir + QStringLiteral("/other.syx"))) {
            QCOMPARE(readBytes(dir + QStringLiteral("/other.syx")), readBytes(file));
        }
        // A backup a killed write left stays for the user; ours went.
        QCOMPARE(backupsIn(dir), backups);
    }

  private:
    // What `tamboril-kit set FILE 3 200` makes of old, in a plain folder.
    QByteArray savedBySet(const QByteArray& old) {
        QTemporaryDir plain;
        const QString file = plain.filePath(QStringLiteral("reference.syx"));
        writeBytes(file, old);
        QProcess process;
        process.start(Program, {"set", file, "3", "200"});
        process.waitForFinished(60000);
        return process.exitCode() == 0 ? readBytes(file) : QByteArray("(set failed)");
    }

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
