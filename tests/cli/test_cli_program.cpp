// tamboril-kit run as a program: arguments in, files, output and exit
// status out.

#include "kit/BulkSplit.h"
#include "cli/KitArgs.h"
#include "edit/PadSounds.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <optional>

using namespace tamboril;
using namespace tamboril::test;

namespace {

struct Result {
    int status = -1;
    QString out;
    QString err;
};

Result runKit(const QStringList& args, const QString& workingFolder = QString()) {
    QProcess process;
    process.setProgram(QStringLiteral(TAMBORIL_KIT_PROGRAM));
    process.setArguments(args);
    if (!workingFolder.isEmpty()) {
        process.setWorkingDirectory(workingFolder);
    }
    process.start();
    Result result;
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit) {
        process.kill();
        process.waitForFinished();
        result.err = QStringLiteral("tamboril-kit did not finish normally");
        return result;
    }
    result.status = process.exitCode();
    result.out = QString::fromUtf8(process.readAllStandardOutput());
    result.err = QString::fromUtf8(process.readAllStandardError());
    return result;
}

// A kit with known sounds on some pads and a correct file checksum.
KitData knownKit() {
    KitData kit = sampleKit(7);
    StorePadSound(kit, 0, 49);    // KICK 1: 49 808 K1
    StorePadSound(kit, 3, 80);    // SNARE 2: 80 808 S1
    StorePadSound(kit, 13, 255);  // BASS: 255 RevFx2
    StoreChecksum(kit, FileChecksumFirst);
    return kit;
}

QByteArray kitAt(const QByteArray& bulk, int k) {
    QByteArray kit = bulk.mid(k * 197, 197);
    kit.append(197 - kit.size(), '\0');
    return kit;
}

QString hex(std::uint8_t value) {
    return "0x" + QString::number(value, 16).rightJustified(2, '0').toUpper();
}

QJsonObject parseJson(const QString& text) {
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(text.toUtf8(), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject()) {
        qWarning("not a JSON object: %s", qPrintable(error.errorString()));
        return QJsonObject();
    }
    return document.object();
}

}  // namespace

class TestCliProgram : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

    QString path(const QString& name) const { return dir.filePath(name); }

  private slots:
    void helpAndVersion() {
        const Result help = runKit({"--help"});
        QCOMPARE(help.status, 0);
        QVERIFY(help.err.isEmpty());
        for (const char* word :
             {"show", "set", "split", "ports", "send", "receive", "--version", "Exit status"}) {
            QVERIFY2(help.out.contains(word), word);
        }

        const Result version = runKit({"--version"});
        QCOMPARE(version.status, 0);
        QCOMPARE(version.out.trimmed(), QStringLiteral("tamboril-kit 1.00"));

        for (const char* command : {"show", "set", "split", "ports", "send", "receive"}) {
            const Result commandHelp = runKit({command, "--help"});
            QCOMPARE(commandHelp.status, 0);
            QVERIFY(commandHelp.out.contains(QStringLiteral("tamboril-kit ") + command));
        }
        const Result set = runKit({"set", "--help"});
        QVERIFY(set.out.contains("PAD") && set.out.contains("SOUND"));
        QVERIFY(runKit({"split", "--help"}).out.contains("--into"));
        const QString send = runKit({"send", "--help"}).out;
        QVERIFY(send.contains("--port") && send.contains("--delay"));
        const QString receive = runKit({"receive", "--help"}).out;
        QVERIFY(receive.contains("--port") && receive.contains("--kits") &&
                receive.contains("--timeout"));
    }

    void wrongCommandLinesExitWith2AndWriteNothing_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("said");
        QTest::newRow("nothing") << QStringList{} << "a command is required";
        QTest::newRow("unknown command") << QStringList{"frob"} << "\"frob\" is not a command";
        QTest::newRow("unknown option") << QStringList{"--frob"} << "not expected: --frob";
        QTest::newRow("show without file") << QStringList{"show"} << "FILE is required";
        QTest::newRow("show two files") << QStringList{"show", "@kit", "b"} << "not expected: b";
        QTest::newRow("show empty name") << QStringList{"show", ""} << "must not be empty";
        QTest::newRow("pad 14") << QStringList{"set", "@kit", "14", "3"} << "no pad \"14\"";
        QTest::newRow("pad name") << QStringList{"set", "@kit", "SNARE 3", "3"} << "SNARE 3";
        QTest::newRow("sound 256") << QStringList{"set", "@kit", "0", "256"} << "no sound \"256\"";
        QTest::newRow("sound name") << QStringList{"set", "@kit", "0", "808 K9"} << "808 K9";
        QTest::newRow("sound missing") << QStringList{"set", "@kit", "0"} << "SOUND is required";
        QTest::newRow("set --json")
            << QStringList{"set", "@kit", "0", "1", "--json"} << "not expected: --json";
        QTest::newRow("split without bulk") << QStringList{"split"} << "BULK is required";
        QTest::newRow("split --into nothing")
            << QStringList{"split", "@bulk", "--into"} << "--into";
        QTest::newRow("ports with a file") << QStringList{"ports", "@kit"} << "not expected";
        QTest::newRow("send without port") << QStringList{"send", "@kit"} << "--port is required";
        QTest::newRow("send empty port")
            << QStringList{"send", "@kit", "--port", ""} << "must not be empty";
        QTest::newRow("send negative delay")
            << QStringList{"send", "@kit", "--port", "0", "--delay", "-1"} << "--delay";
        QTest::newRow("send delay in words")
            << QStringList{"send", "@kit", "--port", "0", "--delay", "soon"} << "--delay";
        QTest::newRow("receive without file")
            << QStringList{"receive", "--port", "0"} << "OUT is required";
        QTest::newRow("receive 3 kits")
            << QStringList{"receive", "@out", "--port", "0", "--kits", "3"} << "--kits";
        QTest::newRow("receive negative timeout")
            << QStringList{"receive", "@out", "--port", "0", "--timeout", "-2"} << "--timeout";
    }
    void wrongCommandLinesExitWith2AndWriteNothing() {
        QFETCH(QStringList, args);
        QFETCH(QString, said);
        QTemporaryDir work;
        const QByteArray kit = toBytes(sampleKit(1));
        const QByteArray bulk = sampleBulk();
        writeBytes(work.filePath("kit.syx"), kit);
        writeBytes(work.filePath("bulk.syx"), bulk);
        args.replaceInStrings("@kit", work.filePath("kit.syx"));
        args.replaceInStrings("@bulk", work.filePath("bulk.syx"));
        args.replaceInStrings("@out", work.filePath("out.syx"));

        const Result result = runKit(args, work.path());
        QCOMPARE(result.status, 2);
        QVERIFY(result.out.isEmpty());
        QVERIFY2(result.err.startsWith("tamboril-kit: "), qPrintable(result.err));
        QVERIFY2(result.err.contains(said), qPrintable(result.err));
        QVERIFY(result.err.contains("--help"));
        QCOMPARE(readBytes(work.filePath("kit.syx")), kit);
        QCOMPARE(QDir(work.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 (QStringList{"bulk.syx", "kit.syx"}));
    }

    void showsKitTitlePadsAndChecks() {
        const KitData kit = knownKit();
        const QString file = path("show.syx");
        writeBytes(file, toBytes(kit));

        const Result result = runKit({"show", file});
        QCOMPARE(result.status, 0);
        QVERIFY2(result.err.isEmpty(), qPrintable(result.err));
        const QStringList lines = result.out.split('\n');
        QCOMPARE(lines.at(0), QStringLiteral("File: %1 (197 bytes)").arg(file));
        QCOMPARE(lines.at(1), QStringLiteral("Kit title: 07 - TECHNO KIT "));
        QCOMPARE(lines.at(2), QStringLiteral("KICK 1     49 808 K1"));
        QCOMPARE(lines.at(5), QStringLiteral("SNARE 2    80 808 S1"));
        QCOMPARE(lines.at(15), QStringLiteral("BASS       255 RevFx2"));
        for (int pad = 0; pad < PadCount; ++pad) {
            QCOMPARE(lines.at(2 + pad),
                     PadName(pad).leftJustified(11) + SoundEntry(PadSound(kit, pad)));
        }
        QCOMPARE(lines.at(16), QStringLiteral("Byte 0 is 0xF0 (start of exclusive): yes"));
        QCOMPARE(lines.at(17), QStringLiteral("Byte 196 is 0xF7 (end of exclusive): yes"));
        QVERIFY(
            lines.at(18).startsWith("Byte 195 matches the file checksum (bytes 10 to 194): yes"));
        QCOMPARE(readBytes(file), toBytes(kit));  // show only reads
    }

    void showsWhatIsWrongWithABrokenKit() {
        KitData kit = knownKit();
        kit[0] = 0x12;
        kit[EndIndex] = 0x00;
        kit[KitNameFirst] = 0x1B;  // an escape byte must not reach the terminal
        const std::uint8_t right = ChecksumFrom(kit, FileChecksumFirst);
        kit[ChecksumIndex] = static_cast<std::uint8_t>((right + 1) % 128);
        const QString file = path("broken.syx");
        writeBytes(file, toBytes(kit));

        const Result text = runKit({"show", file});
        QCOMPARE(text.status, 0);
        QVERIFY(text.out.contains("Kit title: 07 - .ECHNO KIT \n"));
        QVERIFY(!text.out.contains(QChar(0x1B)));
        QVERIFY(text.out.contains("Byte 0 is 0xF0 (start of exclusive): no, it is 0x12"));
        QVERIFY(text.out.contains("Byte 196 is 0xF7 (end of exclusive): no, it is 0x00"));
        QVERIFY(text.out.contains("matches the file checksum (bytes 10 to 194): no, it holds " +
                                  hex(kit[ChecksumIndex]) + " and the checksum is " + hex(right)));

        const Result json = runKit({"show", "--json", file});
        QCOMPARE(json.status, 0);
        const QJsonObject object = parseJson(json.out);
        QCOMPARE(object["startsWithF0"].toBool(true), false);
        QCOMPARE(object["endsWithF7"].toBool(true), false);
        QCOMPARE(object["checksumMatches"].toBool(true), false);
        QCOMPARE(object["checksum"].toInt(), int(kit[ChecksumIndex]));
        QCOMPARE(object["fileChecksum"].toInt(), int(right));
        QCOMPARE(object["title"].toString(), KitTitle(kit));  // JSON keeps every character
    }

    void showsKitAsJson() {
        const KitData kit = knownKit();
        const QString file = path("json.syx");
        writeBytes(file, toBytes(kit));

        const Result result = runKit({"show", file, "--json"});
        QCOMPARE(result.status, 0);
        const QJsonObject object = parseJson(result.out);
        QCOMPARE(object["kind"].toString(), QStringLiteral("kit"));
        QCOMPARE(object["file"].toString(), file);
        QCOMPARE(object["size"].toInt(), 197);
        QCOMPARE(object["title"].toString(), QStringLiteral("07 - TECHNO KIT "));
        QCOMPARE(object["kitNumber"].toInt(), 7);
        QCOMPARE(object["name"].toString(), QStringLiteral("TECHNO KIT "));
        QCOMPARE(object["startsWithF0"].toBool(), true);
        QCOMPARE(object["endsWithF7"].toBool(), true);
        QCOMPARE(object["checksumMatches"].toBool(), true);
        QCOMPARE(object["checksum"].toInt(), int(ChecksumFrom(kit, FileChecksumFirst)));
        const QJsonArray pads = object["pads"].toArray();
        QCOMPARE(pads.size(), PadCount);
        for (int pad = 0; pad < PadCount; ++pad) {
            const QJsonObject entry = pads[pad].toObject();
            QCOMPARE(entry["index"].toInt(), pad);
            QCOMPARE(entry["pad"].toString(), PadName(pad));
            QCOMPARE(entry["sound"].toInt(), PadSound(kit, pad));
            QCOMPARE(entry["entry"].toString(), SoundEntry(PadSound(kit, pad)));
        }
        QCOMPARE(pads[3].toObject()["entry"].toString(), QStringLiteral("80 808 S1"));
        QCOMPARE(pads[3].toObject()["name"].toString(), QStringLiteral("808 S1"));
    }

    void showsShortKitFilesWithAWarning() {
        const QString file = path("short.syx");
        writeBytes(file, toBytes(knownKit()).left(100));
        const Result result = runKit({"show", file, "--json"});
        QCOMPARE(result.status, 0);
        QVERIFY(result.err.contains("warning: " + file + " is 100 bytes, not 197"));
        const QJsonObject object = parseJson(result.out);
        QCOMPARE(object["size"].toInt(), 100);
        QCOMPARE(object["name"].toString(), QString(11, QChar(0)));  // zeros after the end
        QCOMPARE(object["endsWithF7"].toBool(true), false);
    }

    void listsTheKitsOfABulkFile_data() {
        QTest::addColumn<int>("size");
        QTest::newRow("exact") << 12608;
        QTest::newRow("one byte more") << 12609;
        QTest::newRow("ends inside kit 10") << 197 * 10 + 50;
        QTest::newRow("201 bytes") << 201;
    }
    void listsTheKitsOfABulkFile() {
        QFETCH(int, size);
        QByteArray bulk = sampleBulk();
        for (int k : {0, 5, 63}) {  // these three carry a correct checksum
            KitData kit{};
            std::copy_n(bulk.constData() + k * 197, 197, reinterpret_cast<char*>(kit.data()));
            StoreChecksum(kit, FileChecksumFirst);
            bulk.replace(k * 197, 197, toBytes(kit));
        }
        bulk.append(1, '\x11');
        bulk = bulk.left(size);
        const QString file = path("bulk.syx");
        writeBytes(file, bulk);

        const Result text = runKit({"show", file});
        QCOMPARE(text.status, 0);
        if (size == 12608) {
            QVERIFY2(text.err.isEmpty(), qPrintable(text.err));
        } else {
            QVERIFY(text.err.contains(
                QStringLiteral("warning: %1 is %2 bytes, not 12608").arg(file).arg(size)));
        }
        const QStringList lines = text.out.split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 2 + 64);
        QVERIFY(lines.at(0).startsWith(QStringLiteral("File: %1 (%2 bytes)").arg(file).arg(size)));
        for (int k = 0; k < 64; ++k) {
            KitData kit{};
            const QByteArray bytes = kitAt(bulk, k);
            std::copy_n(bytes.constData(), 197, reinterpret_cast<char*>(kit.data()));
            const QString& line = lines.at(2 + k);
            QVERIFY2(
                line.startsWith(QString::number(k).rightJustified(3) + "  " + SplitFileName(k)),
                qPrintable(line));
            QVERIFY2(line.contains(cli::Printable(KitTitle(kit))), qPrintable(line));
            const bool right = kit[ChecksumIndex] == ChecksumFrom(kit, FileChecksumFirst);
            QVERIFY2(line.endsWith(right ? "ok" : "wrong"), qPrintable(line));
        }

        const Result json = runKit({"show", "--json", file});
        QCOMPARE(json.status, 0);
        const QJsonObject object = parseJson(json.out);
        QCOMPARE(object["kind"].toString(), QStringLiteral("bulk"));
        QCOMPARE(object["size"].toInt(), size);
        const QJsonArray kits = object["kits"].toArray();
        QCOMPARE(kits.size(), 64);
        for (int k = 0; k < 64; ++k) {
            const QJsonObject entry = kits[k].toObject();
            KitData kit{};
            std::copy_n(kitAt(bulk, k).constData(), 197, reinterpret_cast<char*>(kit.data()));
            QCOMPARE(entry["position"].toInt(), k);
            QCOMPARE(entry["splitFile"].toString(), SplitFileName(k));
            QCOMPARE(entry["title"].toString(), KitTitle(kit));
            QCOMPARE(entry["startsWithF0"].toBool(), kit[0] == 0xF0);
            QCOMPARE(entry["checksumMatches"].toBool(),
                     kit[ChecksumIndex] == ChecksumFrom(kit, FileChecksumFirst));
            QCOMPARE(entry["pads"].toArray().size(), PadCount);
        }
        if (size == 12608) {
            QCOMPARE(kits[5].toObject()["checksumMatches"].toBool(), true);
            QCOMPARE(kits[6].toObject()["checksumMatches"].toBool(), false);
            QCOMPARE(kits[63].toObject()["title"].toString(), QStringLiteral("63 - TECHNO KIT "));
        }
        QCOMPARE(readBytes(file), bulk);
    }

    void showReportsUnreadableFiles() {
        const QString missing = path("missing.syx");
        for (const QString& file : {missing, dir.path()}) {
            const Result result = runKit({"show", file});
            QCOMPARE(result.status, 1);
            QVERIFY(result.out.isEmpty());
            QVERIFY2(result.err.startsWith("tamboril-kit: cannot read " + file + ": "),
                     qPrintable(result.err));
        }
        QVERIFY(!QFileInfo::exists(missing));
    }

    void setsAPadByNameOrNumber_data() {
        QTest::addColumn<QString>("padArg");
        QTest::addColumn<QString>("soundArg");
        QTest::addColumn<int>("pad");
        QTest::addColumn<int>("sound");
        QTest::newRow("names") << "SNARE 2"
                               << "808 S1" << 3 << 80;
        QTest::newRow("numbers") << "3"
                                 << "80" << 3 << 80;
        QTest::newRow("entry, any case") << "snare 2"
                                         << "82 909 s1" << 3 << 82;
        QTest::newRow("first pad, sound 0") << "0"
                                            << "0" << 0 << 0;
        QTest::newRow("last pad, last sound") << "BASS"
                                              << "255" << 13 << 255;
        QTest::newRow("entry with trailing blank") << "13"
                                                   << "99 RockS " << 13 << 99;
        QTest::newRow("name starting with digits") << "KICK 2"
                                                   << "101 B1" << 1 << 34;
        QTest::newRow("same sound again") << "KICK 1"
                                          << "49" << 0 << 49;
    }
    void setsAPadByNameOrNumber() {
        QFETCH(QString, padArg);
        QFETCH(QString, soundArg);
        QFETCH(int, pad);
        QFETCH(int, sound);
        KitData kit = knownKit();
        kit[ChecksumIndex] = 0x33;  // stale: set stores a fresh one
        const QString file = path("set.syx");
        writeBytes(file, toBytes(kit));

        const Result result = runKit({"set", file, padArg, soundArg});
        QCOMPARE(result.status, 0);
        QVERIFY2(result.err.isEmpty(), qPrintable(result.err));
        QCOMPARE(result.out,
                 QStringLiteral("%1: %2 set to %3 (was %4). Saved Complete.\n")
                     .arg(file, PadName(pad), SoundEntry(sound), SoundEntry(PadSound(kit, pad))));

        // What the window does: store the pad's two digits, then Save.
        KitData expected = kit;
        StorePadSound(expected, pad, sound);
        StoreChecksum(expected, FileChecksumFirst);
        const QByteArray written = readBytes(file);
        QCOMPARE(written, toBytes(expected));
        QCOMPARE(quint8(written[10 + 2 * pad]), quint8(sound / 16));
        QCOMPARE(quint8(written[11 + 2 * pad]), quint8(sound % 16));
        QCOMPARE(runKit({"show", "--json", file}).status, 0);
        QCOMPARE(parseJson(runKit({"show", "--json", file}).out)["pads"][pad]["sound"].toInt(),
                 sound);
        QVERIFY(QDir(dir.path()).entryList({"set.syx*"}, QDir::AllEntries).size() == 1);
    }

    void setShortensA200ByteFileLikeSave() {
        QByteArray bytes = toBytes(knownKit());
        bytes.append("\x01\x02\x03");
        const QString file = path("200.syx");
        writeBytes(file, bytes);
        const Result result = runKit({"set", file, "RIDE", "CrashC"});
        QCOMPARE(result.status, 0);
        QVERIFY(result.err.contains("was 200 bytes"));
        KitData expected = knownKit();
        StorePadSound(expected, 7, 185);
        StoreChecksum(expected, FileChecksumFirst);
        QCOMPARE(readBytes(file), toBytes(expected));
    }

    void setRefusesAndWritesNothing_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("said");
        QByteArray notF0 = toBytes(knownKit());
        notF0[0] = '\x7E';
        QTest::newRow("bulk file") << sampleBulk() << "File needs to be Spilt.";
        QTest::newRow("201 bytes") << QByteArray(201, '\xF0') << "File needs to be Spilt.";
        QTest::newRow("not F0") << notF0 << "byte 0 is 0x7E, not 0xF0";
    }
    void setRefusesAndWritesNothing() {
        QFETCH(QByteArray, content);
        QFETCH(QString, said);
        QTemporaryDir work;
        const QString file = work.filePath("refused.syx");
        writeBytes(file, content);
        const Result result = runKit({"set", file, "0", "1"});
        QCOMPARE(result.status, 1);
        QVERIFY(result.out.isEmpty());
        QVERIFY2(result.err.startsWith("tamboril-kit: " + file + ": "), qPrintable(result.err));
        QVERIFY2(result.err.contains(said), qPrintable(result.err));
        QVERIFY(result.err.contains("Nothing was written."));
        QCOMPARE(readBytes(file), content);
        QCOMPARE(QDir(work.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList{"refused.syx"});
    }

    void setReportsFilesThatCannotBeReadOrWritten() {
        QTemporaryDir work;
        const QString folder = work.filePath("folder.syx");
        QVERIFY(QDir(work.path()).mkdir("folder.syx"));
        const QString missingParent = work.filePath("gone/kit.syx");
        const QString missing = work.filePath("missing.syx");
        const QString pipe = work.filePath("pipe.syx");
        makeFifo(pipe);
        for (const QString& file : {folder, missingParent, missing, pipe}) {
            const Result result = runKit({"set", file, "0", "1"});
            QCOMPARE(result.status, 1);
            QVERIFY(result.out.isEmpty());
            QVERIFY2(result.err.startsWith("tamboril-kit: cannot read " + file + ": "),
                     qPrintable(result.err));
        }
        // A named pipe is refused at once by every reader, not waited on.
        for (const QStringList& args :
             {QStringList{"show", pipe}, QStringList{"split", pipe, "--into", work.path()},
              QStringList{"send", pipe, "--port", "0"}}) {
            const Result result = runKit(args);
            QCOMPARE(result.status, 1);
            QVERIFY2(result.err.contains(pipe + ": It is a named pipe, not a file."),
                     qPrintable(result.err));
        }
        QVERIFY(QFile::remove(pipe));
        QVERIFY(QFileInfo(folder).isDir());
        QVERIFY(!QFileInfo::exists(work.filePath("gone")));
        QVERIFY(!QFileInfo::exists(missing));

        // A name so long that no file can be written beside it to replace
        // it: the save fails after a good load, and the file stays as it was.
        const QString longName = work.filePath(QString(251, 'k') + ".syx");
        const QByteArray kit = toBytes(knownKit());
        writeBytes(longName, kit);
        const Result result = runKit({"set", longName, "0", "1"});
        QCOMPARE(result.status, 1);
        QVERIFY(result.out.isEmpty());
        QVERIFY2(result.err.startsWith("tamboril-kit: cannot write " + longName + ": "),
                 qPrintable(result.err));
        QCOMPARE(readBytes(longName), kit);
        QCOMPARE(QDir(work.path()).entryList(QDir::Files).size(), 1);
    }

    void splitsIntoAFolder() {
        QTemporaryDir work;
        const QByteArray bulk = sampleBulk();
        writeBytes(work.filePath("dump.syx"), bulk);
        QVERIFY(QDir(work.path()).mkdir("kits"));
        writeBytes(work.filePath("kits/Kit - 05.syx"), QByteArray(300, 'z'));  // replaced

        // A relative folder is taken from the current folder.
        const Result result = runKit({"split", "dump.syx", "--into", "kits"}, work.path());
        QCOMPARE(result.status, 0);
        QVERIFY2(result.err.isEmpty(), qPrintable(result.err));
        const QString kits = QDir(work.filePath("kits")).canonicalPath();
        QCOMPARE(result.out, "Files Spilt to : " + kits + "\n");
        QCOMPARE(QDir(kits).entryList(QDir::Files).size(), 64);
        for (int k = 0; k < 64; ++k) {
            QCOMPARE(readBytes(kits + "/" + SplitFileName(k)), kitAt(bulk, k));
        }
        QCOMPARE(readBytes(kits + "/Kit - 63.syx"), kitAt(bulk, 0));
        QCOMPARE(readBytes(kits + "/Kit - 00.syx"), kitAt(bulk, 63));
        QCOMPARE(readBytes(work.filePath("dump.syx")), bulk);
    }

    void splitsIntoTheCurrentFolderByDefault() {
        QTemporaryDir work;
        const QByteArray bulk = sampleBulk();
        const QString bulkPath = path("default-bulk.syx");  // elsewhere
        writeBytes(bulkPath, bulk);
        const Result result = runKit({"split", bulkPath}, work.path());
        QCOMPARE(result.status, 0);
        QCOMPARE(result.out, "Files Spilt to : " + QDir(work.path()).canonicalPath() + "\n");
        QCOMPARE(QDir(work.path()).entryList(QDir::Files).size(), 64);
        QCOMPARE(readBytes(work.filePath("Kit - 09.syx")), kitAt(bulk, 54));
    }

    void splitsAShortFileWithAWarning() {
        QTemporaryDir work;
        const QByteArray single = toBytes(knownKit());
        writeBytes(work.filePath("single.syx"), single);
        QVERIFY(QDir(work.path()).mkdir("out"));
        const Result result =
            runKit({"split", work.filePath("single.syx"), "--into", work.filePath("out")});
        QCOMPARE(result.status, 0);
        QVERIFY(result.err.contains("is 197 bytes, not 12608"));
        QCOMPARE(readBytes(work.filePath("out/Kit - 63.syx")), single);
        QCOMPARE(readBytes(work.filePath("out/Kit - 00.syx")), QByteArray(197, '\0'));
    }

    void splitFailuresAreReportedAndWriteNothing() {
        QTemporaryDir work;
        writeBytes(work.filePath("dump.syx"), sampleBulk());
        QVERIFY(QDir(work.path()).mkdir("out"));
        const QByteArray oldKit = toBytes(sampleKit(2));
        writeBytes(work.filePath("out/Kit - 63.syx"), oldKit);
        const QString out = work.filePath("out");

        struct Case {
            QStringList args;
            QString said;
        };
        const QList<Case> cases = {
            {{"split", work.filePath("missing.syx"), "--into", out},
             "Could not read " + work.filePath("missing.syx") + ": "},
            {{"split", out, "--into", out}, "Could not read " + out + ": "},
            {{"split", work.filePath("dump.syx"), "--into", work.filePath("gone/kits")},
             "cannot split into " + work.filePath("gone/kits") + ": there is no such folder"},
            {{"split", work.filePath("dump.syx"), "--into", work.filePath("dump.syx")},
             "cannot split into " + work.filePath("dump.syx") + ": it is a file, not a folder"},
        };
        for (const Case& c : cases) {
            const Result result = runKit(c.args, work.path());
            QCOMPARE(result.status, 1);
            QVERIFY(result.out.isEmpty());
            QVERIFY2(result.err.startsWith("tamboril-kit: " + c.said), qPrintable(result.err));
            QCOMPARE(QDir(out).entryList(QDir::Files), QStringList{"Kit - 63.syx"});
            QCOMPARE(readBytes(work.filePath("out/Kit - 63.syx")), oldKit);
        }
        QVERIFY(!QFileInfo::exists(work.filePath("gone")));
        QCOMPARE(QDir(work.path()).entryList(QDir::Files), QStringList{"dump.syx"});
    }

    void splitReportsKitFilesThatCouldNotBeWritten() {
        QTemporaryDir work;
        const QByteArray bulk = sampleBulk();
        writeBytes(work.filePath("dump.syx"), bulk);
        QVERIFY(QDir(work.path()).mkpath("out/" + SplitFileName(23)));  // a folder in the way
        const Result result =
            runKit({"split", work.filePath("dump.syx"), "--into", work.filePath("out")});
        QCOMPARE(result.status, 1);
        QVERIFY(result.out.isEmpty());
        QVERIFY2(result.err.startsWith("tamboril-kit: 1 of 64 kit files could not be written"),
                 qPrintable(result.err));
        QVERIFY(result.err.contains(SplitFileName(23)));
        QVERIFY(!result.err.contains("Files Spilt to"));
        QCOMPARE(readBytes(work.filePath("out/" + SplitFileName(22))), kitAt(bulk, 22));
        QVERIFY(QFileInfo(work.filePath("out/" + SplitFileName(23))).isDir());
    }

    // Checked before any MIDI port is looked at: the port need not exist.
    void sendRefusesWhatCannotGoOutAsKits_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("said");
        const QByteArray kit = toBytes(knownKit());
        QByteArray notF0 = kit;
        notF0[0] = '\x41';
        QByteArray eightBit = kit;
        eightBit[KitNameFirst + 2] = char(0xC9);
        QByteArray bulk;
        for (int k = 0; k < 64; ++k) {
            bulk += kit;
        }
        QByteArray oneBadKit = bulk;
        oneBadKit[5 * 197 + 196] = '\0';
        QTest::newRow("not F0") << notF0 << "cannot be sent: byte 0 is 0x41, not 0xF0";
        QTest::newRow("short") << kit.left(150) << "byte 196 is 0x00, not 0xF7";
        QTest::newRow("name byte above 0x7F") << eightBit << "byte 186 is 0xC9";
        QTest::newRow("neither kit nor bulk")
            << QByteArray(5000, '\x01') << "is 5000 bytes: too long for a kit file";
        QTest::newRow("bulk with 8-bit bytes")
            << sampleBulk() << "64 of its 64 kits cannot go out as SysEx messages";
        QTest::newRow("bulk with one broken kit")
            << oneBadKit
            << "1 of its 64 kits cannot go out as SysEx messages. Nothing was "
               "sent.\n  kit 5 (Kit - 58.syx): byte 196 is 0x00";
    }
    void sendRefusesWhatCannotGoOutAsKits() {
        QFETCH(QByteArray, content);
        QFETCH(QString, said);
        QTemporaryDir work;
        const QString file = work.filePath("refused.syx");
        writeBytes(file, content);
        const Result result = runKit({"send", file, "--port", "0"});
        QCOMPARE(result.status, 1);
        QVERIFY(result.out.isEmpty());
        QVERIFY2(result.err.contains(said), qPrintable(result.err));
        QVERIFY(result.err.contains("Nothing was sent."));
        QCOMPARE(readBytes(file), content);
        QCOMPARE(QDir(work.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList{"refused.syx"});
    }

    void midiCommandsWithoutAMidiSystemFailAndWriteNothing() {
        QTemporaryDir work;
        const QString kit = work.filePath("kit.syx");
        writeBytes(kit, toBytes(knownKit()));
        const QString out = work.filePath("out.syx");
        // The programs started below inherit these; they are put back after.
        const auto restore = [](const char* name, const std::optional<QByteArray>& value) {
            if (value) {
                qputenv(name, *value);
            } else {
                qunsetenv(name);
            }
        };
        const auto current = [](const char* name) -> std::optional<QByteArray> {
            if (!qEnvironmentVariableIsSet(name)) {
                return std::nullopt;
            }
            return qgetenv(name);
        };
        const std::optional<QByteArray> oldServer = current("JACK_DEFAULT_SERVER");
        const std::optional<QByteArray> oldApi = current("TAMBORIL_MIDI_API");
        qputenv("JACK_DEFAULT_SERVER", "tamboril-test-none");
        qputenv("TAMBORIL_MIDI_API", "jack");
        const Result ports = runKit({"ports"});
        const Result send = runKit({"send", kit, "--port", "0"});
        const Result receive = runKit({"receive", out, "--port", "0"});
        const Result intoFolder = runKit({"receive", work.path(), "--port", "0"});
        const Result noFolder = runKit({"receive", work.filePath("gone/out.syx"), "--port", "0"});
        restore("JACK_DEFAULT_SERVER", oldServer);
        restore("TAMBORIL_MIDI_API", oldApi);

        const QString reason = "No JACK server named \"tamboril-test-none\" is running";
        for (const Result& result : {ports, send, receive}) {
            QCOMPARE(result.status, 1);
            QVERIFY(result.out.isEmpty());
            QVERIFY2(result.err.startsWith("tamboril-kit: "), qPrintable(result.err));
            QVERIFY2(result.err.contains(reason), qPrintable(result.err));
        }
        // The file to receive into is checked before any port is.
        QCOMPARE(intoFolder.status, 1);
        QVERIFY2(intoFolder.err.contains("cannot write " + work.path() + ": it is a folder"),
                 qPrintable(intoFolder.err));
        QCOMPARE(noFolder.status, 1);
        QVERIFY2(noFolder.err.contains("there is no folder " + work.filePath("gone")),
                 qPrintable(noFolder.err));
        QCOMPARE(QDir(work.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList{"kit.syx"});
        QCOMPARE(readBytes(kit), toBytes(knownKit()));
    }
};

QTEST_GUILESS_MAIN(TestCliProgram)
#include "test_cli_program.moc"
