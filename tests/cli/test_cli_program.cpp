// SPDX-License-Identifier: GPL-3.0-or-later
// tamboril-kit run as a program: arguments in, files, output and exit
// status out.

#include "kit/BulkSplit.h"
#include "cli/KitArgs.h"
#include "sounds/PadSounds.h"
#include "support/TestFiles.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <optional>

using namespace tamboril;
using namespace tamboril::test;

namespace {

struct Result {
    int status = -1;
    QString out;
    QString err;
};

// Runs program with args. QProcess passes arguments only as UTF-8 text; an
// argument holding "\xHH" is given as those bytes, made by bash's printf.
Result runProgram(const QString& program, const QStringList& args,
                  const QString& workingFolder = QString()) {
    QProcess process;
    process.setProgram(program);
    process.setArguments(args);
    if (std::any_of(args.cbegin(), args.cend(),
                    [](const QString& arg) { return arg.contains(QStringLiteral("\\x")); })) {
        process.setProgram(QStringLiteral("bash"));
        process.setArguments(
            QStringList{"-c",
                        "for a do shift; set -- \"$@\" \"$(printf '%b' \"$a\")\"; done; "
                        "exec \"$@\"",
                        "bash", program} +
            args);
    }
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

Result runKit(const QStringList& args, const QString& workingFolder = QString()) {
    return runProgram(QStringLiteral(TAMBORIL_KIT_PROGRAM), args, workingFolder);
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

// 64 kits that join accepts as they are (every byte inside a SysEx data
// byte), each told apart by byte 1, byte 100 and its kit number. Kit 5
// carries a wrong checksum, which join carries unless told to fix it.
QByteArray joinableBulk() {
    QByteArray bulk;
    for (int k = 0; k < 64; ++k) {
        KitData kit = sampleKit(static_cast<std::uint8_t>(k));
        kit[1] = static_cast<std::uint8_t>(k);
        kit[100] = static_cast<std::uint8_t>(127 - k);
        StoreChecksum(kit, FileChecksumFirst);
        if (k == 5) {
            kit[ChecksumIndex] = static_cast<std::uint8_t>((kit[ChecksumIndex] + 1) % 128);
        }
        bulk += toBytes(kit);
    }
    return bulk;
}

// bulk with kit k carrying number n for each {k, n}; checksums as they were.
QByteArray withNumbers(QByteArray bulk, const QList<std::pair<int, int>>& numbers) {
    for (const auto& [k, n] : numbers) {
        bulk[k * 197 + qsizetype(KitNumberIndex)] = char(n);
    }
    return bulk;
}

// bulk with kit k carrying number k and its file checksum, for each k.
QByteArray numberedAsPositions(QByteArray bulk, const QList<int>& positions) {
    for (const int k : positions) {
        KitData kit = KitFromBytes(bulk, k * 197);
        kit[KitNumberIndex] = std::uint8_t(k);
        StoreChecksum(kit, FileChecksumFirst);
        bulk.replace(k * 197, 197, toBytes(kit));
    }
    return bulk;
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
        for (const char* word : {"show", "set", "rename", "number", "renumber", "diff", "split",
                                 "join", "ports", "send", "receive", "--version", "Exit status"}) {
            QVERIFY2(help.out.contains(word), word);
        }

        const Result version = runKit({"--version"});
        QCOMPARE(version.status, 0);
        QCOMPARE(version.out.trimmed(), QStringLiteral("tamboril-kit 1.00"));

        for (const char* command : {"show", "set", "rename", "number", "renumber", "diff", "split",
                                    "join", "ports", "send", "receive"}) {
            const Result commandHelp = runKit({command, "--help"});
            QCOMPARE(commandHelp.status, 0);
            QVERIFY(commandHelp.out.contains(QStringLiteral("tamboril-kit ") + command));
        }
        const Result set = runKit({"set", "--help"});
        QVERIFY(set.out.contains("PAD") && set.out.contains("SOUND"));
        QVERIFY(runKit({"split", "--help"}).out.contains("--into"));
        const QString join = runKit({"join", "--help"}).out;
        QVERIFY(join.contains("--from") && join.contains("--fix-checksums") &&
                join.contains("KIT"));
        QVERIFY(runKit({"rename", "--help"}).out.contains("NAME"));
        QVERIFY(runKit({"diff", "--help"}).out.contains("--json"));
        const QString send = runKit({"send", "--help"}).out;
        QVERIFY(send.contains("--port") && send.contains("--delay") &&
                send.contains("--allow-shared-numbers"));
        QVERIFY(runKit({"number", "--help"}).out.contains("0 to 127"));
        QVERIFY(runKit({"renumber", "--help"}).out.contains("BULK"));
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
        // File names are bytes: a name that is not UTF-8 is refused, and
        // the file whose name reads the same ("look\uFFFD.syx") stays.
        const QString notUtf8 = QStringLiteral("is not UTF-8 text");
        QTest::newRow("show, name not UTF-8") << QStringList{"show", "look\\xff.syx"} << notUtf8;
        QTest::newRow("set, name not UTF-8")
            << QStringList{"set", "look\\xff.syx", "0", "49"} << "\"look\\xFF.syx\" " + notUtf8;
        QTest::newRow("rename, name not UTF-8")
            << QStringList{"rename", "look\\xff.syx", "NEW"} << notUtf8;
        QTest::newRow("diff, name not UTF-8")
            << QStringList{"diff", "@kit", "look\\xff.syx@3"} << notUtf8;
        QTest::newRow("split into a folder not UTF-8")
            << QStringList{"split", "@bulk", "--into", "k\\xe9"} << notUtf8;
        QTest::newRow("join into a name not UTF-8")
            << QStringList{"join", "out\\xff.syx", "--from", "."} << notUtf8;
        QTest::newRow("send, name not UTF-8")
            << QStringList{"send", "look\\xff.syx", "--port", "0"} << notUtf8;
        QTest::newRow("receive, name not UTF-8")
            << QStringList{"receive", "out\\xc3.syx", "--port", "0"} << notUtf8;
        // A file name taken for an option leaves the other words on the
        // wrong arguments: the option is named, with the way out.
        QTest::newRow("file name starting with a dash")
            << QStringList{"set", "-x.syx", "0", "49"}
            << "unexpected option \"-x.syx\"; a file whose name starts with \"-\" is given after "
               "\"--\" (tamboril-kit set -- -x.syx ...) or as ./-x.syx";
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
        QTest::newRow("join without kits")
            << QStringList{"join", "@out"} << "--from DIR or the 64 KIT files is required";
        QTest::newRow("join 2 kits")
            << QStringList{"join", "@out", "@kit", "@kit"} << "2 kit files were given";
        QTest::newRow("join folder and kits")
            << QStringList{"join", "@out", "--from", ".", "@kit"} << "excludes";
        QTest::newRow("rename without name") << QStringList{"rename", "@kit"} << "NAME is required";
        QTest::newRow("rename 12 characters")
            << QStringList{"rename", "@kit", "ABCDEFGHIJKL"}
            << "\"ABCDEFGHIJKL\" is 12 characters long: a kit name has at most 11";
        QTest::newRow("rename accented")
            << QStringList{"rename", "@kit", "Caf\u00e9"}
            << "holds \"\u00e9\" (U+00E9, character 4): a kit name takes printable ASCII only";
        QTest::newRow("rename tab")
            << QStringList{"rename", "@kit", "A\tB"} << "(U+0009, character 2)";
        QTest::newRow("number 128")
            << QStringList{"number", "@kit", "128"} << "N: Value 128 not in range 0 to 127";
        QTest::newRow("number -1") << QStringList{"number", "@kit", "-1"} << "-1";
        QTest::newRow("number in words") << QStringList{"number", "@kit", "five"} << "five";
        QTest::newRow("number without N") << QStringList{"number", "@kit"} << "N is required";
        QTest::newRow("renumber without bulk") << QStringList{"renumber"} << "BULK is required";
        QTest::newRow("renumber two files")
            << QStringList{"renumber", "@bulk", "@kit"} << "not expected";
        QTest::newRow("diff one file") << QStringList{"diff", "@kit"} << "B is required";
        QTest::newRow("diff position 64")
            << QStringList{"diff", "@kit", "@bulk@64"} << "there is no position 64";
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
        QTest::newRow("sheet without bank") << QStringList{"sheet"} << "BANK is required";
        QTest::newRow("sheet without a form")
            << QStringList{"sheet", "@bulk"} << "--pdf FILE, --csv FILE or --json FILE is required";
        QTest::newRow("sheet, PDF to standard output")
            << QStringList{"sheet", "@bulk", "--pdf", "-"}
            << "a PDF is not written to standard output";
        QTest::newRow("sheet in two forms")
            << QStringList{"sheet", "@bulk", "--csv", "a.csv", "--json", "a.json"} << "excludes";
        QTest::newRow("receive negative timeout")
            << QStringList{"receive", "@out", "--port", "0", "--timeout", "-2"} << "--timeout";
        QTest::newRow("find without a condition") << QStringList{"find"} << "at least one condition";
        QTest::newRow("find --json alone")
            << QStringList{"find", "--json"} << "at least one condition";
        QTest::newRow("find --pad without =")
            << QStringList{"find", "--pad", "KICK 1"} << "PAD=SOUND";
        QTest::newRow("find --pad, no such pad")
            << QStringList{"find", "--pad", "KICK 3=49"} << "KICK 3";
        QTest::newRow("find --pad, no such sound")
            << QStringList{"find", "--pad", "KICK 1=zzz"} << "zzz";
        QTest::newRow("find --sound 256") << QStringList{"find", "--sound", "256"} << "256";
        QTest::newRow("find two groupings")
            << QStringList{"find", "--duplicates", "--same-name"} << "excludes";
        QTest::newRow("find --name empty") << QStringList{"find", "--name", ""} << "must not be empty";
        QTest::newRow("collection alone") << QStringList{"collection"} << "a command is required";
        QTest::newRow("collection add without DIR")
            << QStringList{"collection", "add"} << "DIR is required";
        QTest::newRow("collection frob")
            << QStringList{"collection", "frob"} << "\"frob\" is not a command; the commands are add, remove";
    }
    void wrongCommandLinesExitWith2AndWriteNothing() {
        QFETCH(QStringList, args);
        QFETCH(QString, said);
        QTemporaryDir work;
        const QByteArray kit = toBytes(sampleKit(1));
        const QByteArray bulk = sampleBulk();
        writeBytes(work.filePath("kit.syx"), kit);
        writeBytes(work.filePath("bulk.syx"), bulk);
        const QString lookAlike = QStringLiteral("look\uFFFD.syx");
        writeBytes(work.filePath(lookAlike), kit);
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
        QCOMPARE(readBytes(work.filePath("bulk.syx")), bulk);
        QCOMPARE(readBytes(work.filePath(lookAlike)), kit);
        QCOMPARE(QDir(work.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 (QStringList{"bulk.syx", "kit.syx", lookAlike}));
    }

    // The window program reads its FILE argument as the same bytes: a name
    // that is not UTF-8 is refused before any window opens.
    void windowProgramRefusesANameNotUtf8() {
        QTemporaryDir work;
        writeBytes(work.filePath(QStringLiteral("look\uFFFD.syx")), toBytes(sampleKit(1)));
        const Result result =
            runProgram(QStringLiteral(TAMBORIL_PROGRAM), {"look\\xff.syx"}, work.path());
        QCOMPARE(result.status, 1);
        QVERIFY2(result.err.contains("tamboril: The name \"look\\xFF.syx\" is not UTF-8 text"),
                 qPrintable(result.err));
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
    // rename and number refuse exactly what set refuses.
    void setRefusesAndWritesNothing() {
        QFETCH(QByteArray, content);
        QFETCH(QString, said);
        QTemporaryDir work;
        const QString file = work.filePath("refused.syx");
        writeBytes(file, content);
        for (const QStringList& change :
             {QStringList{"set", file, "0", "1"}, QStringList{"rename", file, "NEW NAME"},
              QStringList{"number", file, "5"}}) {
            const Result result = runKit(change);
            QCOMPARE(result.status, 1);
            QVERIFY(result.out.isEmpty());
            QVERIFY2(result.err.startsWith("tamboril-kit: " + file + ": "), qPrintable(result.err));
            QVERIFY2(result.err.contains(said), qPrintable(result.err));
            QVERIFY(result.err.contains("Nothing was written."));
            QCOMPARE(readBytes(file), content);
            QCOMPARE(QDir(work.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                     QStringList{"refused.syx"});
        }
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

        // A name of 255 bytes, the longest there is, is saved like any other:
        // the temporary file beside it has a short name of its own.
        const QString longName = work.filePath(QString(251, 'k') + ".syx");
        const QByteArray kit = toBytes(knownKit());
        writeBytes(longName, kit);
        const Result result = runKit({"set", longName, "0", "1"});
        QVERIFY2(result.status == 0, qPrintable(result.err));
        QVERIFY(readBytes(longName) != kit);
        QCOMPARE(readBytes(longName).size(), 197);
        QCOMPARE(QDir(work.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
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
        writeBytes(work.filePath("single.syx"), toBytes(knownKit()));
        const QList<Case> cases = {
            {{"split", work.filePath("missing.syx"), "--into", out},
             "Could not read " + work.filePath("missing.syx") + ": "},
            // A kit file chosen by mistake would replace 63 kits with zeros.
            {{"split", work.filePath("single.syx"), "--into", out},
             work.filePath("single.syx") +
                 " is not a bulk dump: it is 197 bytes long. A bulk dump holds 64 kits of 197 "
                 "bytes, 12608 bytes in all.\nNo kit files were written.\n"},
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
        QCOMPARE(QDir(work.path()).entryList(QDir::Files), (QStringList{"dump.syx", "single.syx"}));
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

    void renamesAKit_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("stored");
        QTest::newRow("padded with blanks") << "JAZZ KIT" << QByteArray("JAZZ KIT   ");
        QTest::newRow("all 11") << "Live-2024 B" << QByteArray("Live-2024 B");
        QTest::newRow("punctuation") << "~{a}! \"x\"" << QByteArray("~{a}! \"x\"  ");
        QTest::newRow("blank name") << "" << QByteArray(11, ' ');
    }
    void renamesAKit() {
        QFETCH(QString, name);
        QFETCH(QByteArray, stored);
        KitData kit = knownKit();
        kit[KitNameFirst + 3] = 0x00;  // a NUL in the old name is shown, not cut at
        kit[ChecksumIndex] = 0x33;     // stale: rename stores a fresh one
        const QString file = path("rename.syx");
        writeBytes(file, toBytes(kit) + "xyz");  // 200 bytes: saved as 197

        const Result result = runKit({"rename", file, name});
        QCOMPARE(result.status, 0);
        QCOMPARE(
            result.out,
            QStringLiteral("%1: kit name set to \"%2\" (was \"TEC.NO KIT \"). Saved Complete.\n")
                .arg(file, QString::fromLatin1(stored)));
        QVERIFY2(result.err.contains("was 200 bytes; it now holds the 197 bytes"),
                 qPrintable(result.err));
        KitData expected = kit;
        std::copy_n(stored.constData(), 11, reinterpret_cast<char*>(&expected[KitNameFirst]));
        StoreChecksum(expected, FileChecksumFirst);
        QCOMPARE(readBytes(file), toBytes(expected));
        QCOMPARE(parseJson(runKit({"show", "--json", file}).out)["name"].toString(),
                 QString::fromLatin1(stored));
        QCOMPARE(QDir(dir.path()).entryList({"rename.syx*"}, QDir::AllEntries).size(), 1);
    }

    void numbersAKit_data() {
        QTest::addColumn<QString>("number");
        QTest::addColumn<int>("stored");
        QTest::addColumn<QString>("said");
        QTest::newRow("a user slot") << "5" << 5 << "kit number set to 05 (was 07). Saved";
        QTest::newRow("leading zeros") << "063" << 63 << "kit number set to 63 (was 07). Saved";
        QTest::newRow("no user slot")
            << "127" << 127
            << "kit number set to 127 (was 07). 127 is no user slot of the instrument, whose "
               "user kits are 00 to 63. Saved";
    }
    void numbersAKit() {
        QFETCH(QString, number);
        QFETCH(int, stored);
        QFETCH(QString, said);
        KitData kit = knownKit();
        kit[ChecksumIndex] = 0x33;  // stale: number stores a fresh one
        const QString file = path("number.syx");
        writeBytes(file, toBytes(kit));

        const Result result = runKit({"number", file, number});
        QCOMPARE(result.status, 0);
        QVERIFY2(result.err.isEmpty(), qPrintable(result.err));
        QCOMPARE(result.out, file + ": " + said + " Complete.\n");
        KitData expected = kit;
        expected[KitNumberIndex] = std::uint8_t(stored);
        StoreChecksum(expected, FileChecksumFirst);
        QCOMPARE(readBytes(file), toBytes(expected));
        QCOMPARE(QDir(dir.path()).entryList({"number.syx*"}, QDir::AllEntries).size(), 1);
    }

    void renumbersABulkFile_data() {
        QTest::addColumn<QByteArray>("bulk");
        QTest::addColumn<QByteArray>("written");  // empty: the file is not written
        QTest::addColumn<QString>("said");
        QTest::addColumn<QString>("warned");
        const QByteArray distinct = joinableBulk();  // kit k carries k
        const QByteArray twoShared = withNumbers(distinct, {{10, 5}, {40, 7}});
        QTest::newRow("two numbers shared")
            << twoShared << numberedAsPositions(twoShared, {10, 40})
            << "renumbered 2 kits (position -> number): 10 -> 10, 40 -> 40. Saved Complete."
            << QString();
        QList<std::pair<int, int>> allSeven;
        QList<int> notSeven;
        for (int k = 0; k < 64; ++k) {
            allSeven << std::pair{k, 7};
            if (k != 7) {
                notSeven << k;
            }
        }
        const QByteArray sevens = withNumbers(distinct, allSeven);
        QTest::newRow("every kit carries 07")
            << sevens << numberedAsPositions(sevens, notSeven)
            << "renumbered 63 kits (position -> number): 0 to 6 -> 00 to 06, 8 to 63 -> 08 to "
               "63. Saved Complete."
            << QString();
        QByteArray notF0 = twoShared;
        notF0[10 * 197] = '\0';
        QTest::newRow("a kit that cannot be edited")
            << notF0 << numberedAsPositions(notF0, {40})
            << "renumbered 1 kit (position -> number): 40 -> 40. Saved Complete."
            << "the kit at position 10 keeps number 05: it cannot be edited, as byte 0 is 0x00";
        QList<std::pair<int, int>> shuffled;
        for (int k = 0; k < 64; ++k) {
            shuffled << std::pair{k, (k * 5 + 3) % 64};
        }
        QTest::newRow("64 different numbers in another order")
            << withNumbers(distinct, shuffled) << QByteArray()
            << "every kit already carries its position's slot. Nothing was written." << QString();
    }
    void renumbersABulkFile() {
        QFETCH(QByteArray, bulk);
        QFETCH(QByteArray, written);
        QFETCH(QString, said);
        QFETCH(QString, warned);
        QTemporaryDir work;
        const QString file = work.filePath("dump.syx");
        writeBytes(file, bulk);
        const QDateTime old = QDateTime::currentDateTime().addDays(-1);
        QFile stamped(file);
        QVERIFY(stamped.open(QIODevice::ReadWrite) &&
                stamped.setFileTime(old, QFileDevice::FileModificationTime));
        stamped.close();

        const Result result = runKit({"renumber", file});
        QCOMPARE(result.status, 0);
        QCOMPARE(result.out, file + ": " + said + "\n");
        if (warned.isEmpty()) {
            QVERIFY2(result.err.isEmpty(), qPrintable(result.err));
        } else {
            QVERIFY2(result.err.startsWith("tamboril-kit: warning: " + file + ": " + warned),
                     qPrintable(result.err));
        }
        QCOMPARE(readBytes(file), written.isEmpty() ? bulk : written);
        QCOMPARE(QFileInfo(file).lastModified() == old, written.isEmpty());
        QCOMPARE(QDir(work.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList{"dump.syx"});
    }

    void renumberRefusesWhatIsNoBulkFile() {
        QTemporaryDir work;
        QByteArray oneBroken = withNumbers(joinableBulk(), {{3, 4}});
        oneBroken[3 * 197] = '\0';  // the only kit off its slot
        struct Case {
            QString file;
            QByteArray content;
            QString said;
        };
        const QList<Case> cases = {
            {"kit.syx", toBytes(knownKit()),
             "%1 is a kit file of 197 bytes: renumber takes a bulk file of 64 kits (12608 "
             "bytes); 'tamboril-kit number FILE N' gives a kit its number. Nothing was written."},
            {"long.syx", joinableBulk() + "x",
             "%1 is 12609 bytes: renumber takes a bulk file of 64 kits (12608 bytes). Nothing "
             "was written."},
            {"broken.syx", oneBroken,
             "cannot renumber %1: no kit that needs another number can be edited. Nothing was "
             "written."},
            {"missing.syx", QByteArray(), "cannot read %1: "},
            {"folder", QByteArray(),
             "%1 is a folder: renumber takes a bulk file of 64 kits (12608 bytes); "
             "'tamboril-kit join' makes one of a split folder. Nothing was written."},
        };
        QVERIFY(QDir(work.path()).mkdir("folder"));
        for (const Case& c : cases) {
            const QString file = work.filePath(c.file);
            if (!c.content.isEmpty()) {
                writeBytes(file, c.content);
            }
            const Result result = runKit({"renumber", file});
            QCOMPARE(result.status, 1);
            QVERIFY(result.out.isEmpty());
            QVERIFY2(result.err.contains("tamboril-kit: " + c.said.arg(file)),
                     qPrintable(result.err));
            QCOMPARE(readBytes(file), c.content);
        }
        QVERIFY(!QFileInfo::exists(work.filePath("missing.syx")));
        QCOMPARE(QDir(work.filePath("folder")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList{});
    }

    void joinsKitFilesIntoABulkFile_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("fix");
        QTest::newRow("from a split folder") << "folder" << false;
        QTest::newRow("from a split folder, checksums fixed") << "folder" << true;
        QTest::newRow("files in the order given") << "files" << false;
        QTest::newRow("files, checksums fixed") << "files" << true;
    }
    void joinsKitFilesIntoABulkFile() {
        QFETCH(QString, how);
        QFETCH(bool, fix);
        QTemporaryDir work;
        const QByteArray bulk = joinableBulk();
        writeBytes(work.filePath("dump.syx"), bulk);
        QVERIFY(QDir(work.path()).mkdir("kits"));
        QCOMPARE(runKit({"split", "dump.syx", "--into", "kits"}, work.path()).status, 0);
        // A kit file of up to 200 bytes gives its first 197.
        writeBytes(work.filePath("kits/Kit - 30.syx"), kitAt(bulk, 33) + "\x01\x02\x03");
        writeBytes(work.filePath("out.syx"), QByteArray(20000, 'o'));  // replaced

        QStringList args{"join", "out.syx"};
        QList<int> order;  // the bulk position each kit of the result comes from
        if (how == "folder") {
            args << "--from"
                 << "kits";
            for (int k = 0; k < 64; ++k) {
                order << k;
            }
        } else {
            for (int k = 63; k >= 0; --k) {  // "Kit - 00.syx" first: the dump backwards
                args << "kits/" + SplitFileName(k);
                order << k;
            }
        }
        if (fix) {
            args << "--fix-checksums";
        }
        const Result result = runKit(args, work.path());
        QCOMPARE(result.status, 0);
        QVERIFY2(result.err.isEmpty(), qPrintable(result.err));
        QVERIFY2(result.out.startsWith("Joined 64 kits from "), qPrintable(result.out));
        QVERIFY(result.out.contains("into out.syx (12608 bytes)"));
        QCOMPARE(result.out.contains("file checksums stored"), fix);

        QByteArray expected;
        for (const int k : order) {
            KitData kit{};
            std::copy_n(kitAt(bulk, k).constData(), 197, reinterpret_cast<char*>(kit.data()));
            if (fix) {
                StoreChecksum(kit, FileChecksumFirst);
            }
            expected += toBytes(kit);
        }
        const QByteArray joined = readBytes(work.filePath("out.syx"));
        QCOMPARE(joined.size(), 12608);
        QCOMPARE(joined, expected);
        if (how == "folder" && !fix) {
            QCOMPARE(joined, bulk);  // split, then join: the same bytes
        }
        QCOMPARE(QDir(work.path()).entryList(QDir::Files), (QStringList{"dump.syx", "out.syx"}));
    }

    void joinRefusesAndWritesNothing_data() {
        QTest::addColumn<QString>("kit");  // the kit file in the folder to change
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("said");
        const QByteArray good = kitAt(joinableBulk(), 0);
        const auto with = [&](int index, char value) {
            QByteArray bytes = good;
            bytes[index] = value;
            return bytes;
        };
        QTest::newRow("missing kit")
            << "Kit - 05.syx" << QByteArray() << "Kit - 05.syx: No such file";
        QTest::newRow("201 bytes") << "Kit - 63.syx" << good + "abcd"
                                   << "Kit - 63.syx: it is over 200 bytes, so it is not a kit file";
        QTest::newRow("bulk file")
            << "Kit - 62.syx" << joinableBulk() << "Kit - 62.syx: it is over 200";
        QTest::newRow("short") << "Kit - 00.syx" << good.left(150)
                               << "Kit - 00.syx: it is 150 bytes, not 197";
        QTest::newRow("not F0") << "Kit - 10.syx" << with(0, '\x7F')
                                << "Kit - 10.syx: byte 0 is 0x7F, not 0xF0";
        QTest::newRow("not F7") << "Kit - 11.syx" << with(196, '\xF0')
                                << "Kit - 11.syx: byte 196 is 0xF0, not 0xF7";
        QTest::newRow("8-bit byte") << "Kit - 12.syx" << with(100, '\x90')
                                    << "Kit - 12.syx: byte 100 is 0x90: only bytes up to 0x7F";
        QTest::newRow("8-bit checksum")
            << "Kit - 13.syx" << with(195, '\x80') << "Kit - 13.syx: byte 195 is 0x80";
    }
    void joinRefusesAndWritesNothing() {
        QFETCH(QString, kit);
        QFETCH(QByteArray, content);
        QFETCH(QString, said);
        QTemporaryDir work;
        QVERIFY(QDir(work.path()).mkdir("kits"));
        writeBytes(work.filePath("dump.syx"), joinableBulk());
        QCOMPARE(runKit({"split", "dump.syx", "--into", "kits"}, work.path()).status, 0);
        const QString changed = work.filePath("kits/" + kit);
        if (content.isNull()) {
            QVERIFY(QFile::remove(changed));
        } else {
            writeBytes(changed, content);
        }
        writeBytes(work.filePath("out.syx"), "an older dump");

        QStringList byName{"join", "out.syx"};
        for (int k = 0; k < 64; ++k) {
            byName << "kits/" + SplitFileName(k);
        }
        for (const QStringList& args : {QStringList{"join", "out.syx", "--from", "kits"}, byName}) {
            const Result result = runKit(args, work.path());
            QCOMPARE(result.status, 1);
            QVERIFY(result.out.isEmpty());
            QVERIFY2(result.err.startsWith("tamboril-kit: cannot join into out.syx: 1 of the 64 "
                                           "kit files cannot go into a bulk file. Nothing was "
                                           "written.\n  kits/" +
                                           said),
                     qPrintable(result.err));
            QCOMPARE(readBytes(work.filePath("out.syx")), QByteArray("an older dump"));
            QCOMPARE(QDir(work.path()).entryList(QDir::Files),
                     (QStringList{"dump.syx", "out.syx"}));
        }
        // --fix-checksums stores a data byte, so only the checksum row joins.
        const Result fixed =
            runKit({"join", "out.syx", "--from", "kits", "--fix-checksums"}, work.path());
        QCOMPARE(fixed.status, kit == "Kit - 13.syx" ? 0 : 1);
    }

    void joinReportsFoldersAndOutputsThatDoNotWork() {
        QTemporaryDir work;
        QVERIFY(QDir(work.path()).mkdir("kits"));
        writeBytes(work.filePath("dump.syx"), joinableBulk());
        QCOMPARE(runKit({"split", "dump.syx", "--into", "kits"}, work.path()).status, 0);
        struct Case {
            QStringList args;
            QString said;
        };
        const QList<Case> cases = {
            {{"join", "out.syx", "--from", "gone"},
             "cannot join from gone: there is no such folder. Nothing was written."},
            {{"join", "out.syx", "--from", "dump.syx"},
             "cannot join from dump.syx: it is a file, not a folder. Nothing was written."},
            {{"join", "kits", "--from", "kits"},
             "cannot write kits: It is a folder, not a file. Nothing was written."},
        };
        for (const Case& c : cases) {
            const Result result = runKit(c.args, work.path());
            QCOMPARE(result.status, 1);
            QVERIFY(result.out.isEmpty());
            QVERIFY2(result.err.startsWith("tamboril-kit: " + c.said), qPrintable(result.err));
        }
        QCOMPARE(QDir(work.path()).entryList(QDir::Files), QStringList{"dump.syx"});
        QCOMPARE(QDir(work.filePath("kits")).entryList(QDir::Files).size(), 64);
    }

    void diffComparesKitsAndBulkFiles_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("status");
        QTest::addColumn<QStringList>("lines");  // in this order, each a whole line
        QTest::addColumn<QString>("err");
        QTest::newRow("same kit")
            << QStringList{"a.syx", "a.syx"} << 0
            << QStringList{"a.syx and a.syx hold the same kit: 07 - TECHNO KIT "} << "";
        QTest::newRow("two kits")
            << QStringList{"a.syx", "b.syx"} << 1
            << QStringList{"A: a.syx",
                           "B: b.syx",
                           "Kit title: 07 - TECHNO KIT  -> 09 - JAZZ KIT   ",
                           "SNARE 2    80 808 S1 -> 103 Fat1 S",
                           "PERC 1     103 Fat1 S -> 103 Fat1 S (stored as 0x06 0x07 -> 0x06 0x17)",
                           "Byte 195 matches the file checksum: yes (@sumA) -> no, it holds 0x33 "
                           "and the checksum is @sumB",
                           "Bytes Tamboril does not interpret that differ: 1 to 5 (1 of 5 bytes), "
                           "38 to 183 (2 of 146 bytes)"}
            << "";
        QTest::newRow("kit and a position of a bulk")
            << QStringList{"b.syx", "new.syx@12"} << 0
            << QStringList{"b.syx and new.syx@12 (Kit - 51.syx) hold the same kit: 09 - JAZZ KIT   "}
            << "";
        QTest::newRow("two positions")
            << QStringList{"old.syx@12", "new.syx@12"} << 1
            << QStringList{"A: old.syx@12 (Kit - 51.syx)", "B: new.syx@12 (Kit - 51.syx)"} << "";
        QTest::newRow("two bulk files")
            << QStringList{"old.syx", "new.syx"} << 1
            << QStringList{"A: old.syx",
                           "B: new.syx",
                           "Pos 12 (Kit - 51.syx):",
                           "  SNARE 2    80 808 S1 -> 103 Fat1 S",
                           "Pos 40 (Kit - 23.syx):",
                           "  Kit title: 40 - TECHNO KIT ",
                           "  Byte 0 (start of exclusive): 0xF0 -> 0xF1",
                           "  Bytes Tamboril does not interpret that differ: byte 196",
                           "2 of 64 kits differ: positions 12, 40."}
            << "";
        QTest::newRow("same bulk, one longer")
            << QStringList{"old.syx", "longer.syx"} << 0
            << QStringList{"old.syx and longer.syx hold the same 64 kits."}
            << "warning: longer.syx is 12609 bytes, not 12608";
        QTest::newRow("kit and whole bulk")
            << QStringList{"a.syx", "new.syx"} << 2 << QStringList{}
            << "cannot compare the one kit of a.syx with the 64 kits of the bulk file new.syx: "
               "name one of them, as in new.syx@0";
        QTest::newRow("position of a kit file")
            << QStringList{"a.syx@3", "b.syx"} << 2 << QStringList{}
            << "a.syx is a kit file (197 bytes), not a bulk file: it has no position 3";
        QTest::newRow("missing file")
            << QStringList{"a.syx", "gone.syx"} << 2 << QStringList{} << "cannot read gone.syx: ";
        QTest::newRow("a folder") << QStringList{"old.syx", "sub@2"} << 2 << QStringList{}
                                  << "cannot read sub: ";
        QTest::newRow("file named with @") << QStringList{"a@1", "a.syx"} << 0
                                           << QStringList{"a@1 and a.syx hold the same kit: 07 - "
                                                          "TECHNO KIT "}
                                           << "";
    }
    void diffComparesKitsAndBulkFiles() {
        QFETCH(QStringList, args);
        QFETCH(int, status);
        QFETCH(QStringList, lines);
        QFETCH(QString, err);
        QTemporaryDir work;
        const KitData a = knownKit();
        KitData b = a;
        b[KitNumberIndex] = 9;
        std::copy_n("JAZZ KIT   ", 11, reinterpret_cast<char*>(&b[KitNameFirst]));
        StorePadSound(b, 3, 103);
        b[PadBytesFirst + 2 * 11 + 1] = 0x17;  // PERC 1: another byte, the same sound
        b[3] = 0x55;
        b[60] = 0x01;
        b[61] = 0x02;
        b[ChecksumIndex] = 0x33;
        writeBytes(work.filePath("a.syx"), toBytes(a));
        writeBytes(work.filePath("a@1"), toBytes(a));
        writeBytes(work.filePath("b.syx"), toBytes(b));
        QVERIFY(QDir(work.path()).mkdir("sub"));
        QByteArray old;
        for (int k = 0; k < 64; ++k) {
            KitData kit = a;
            kit[KitNumberIndex] = static_cast<std::uint8_t>(k);
            old += toBytes(kit);
        }
        QByteArray changed = old;
        KitData at12{};  // kit 12 with another sound on SNARE 2
        std::copy_n(old.constData() + 12 * 197, 197, reinterpret_cast<char*>(at12.data()));
        StorePadSound(at12, 3, 103);
        changed.replace(12 * 197, 197, toBytes(at12));
        changed[40 * 197] = '\xF1';
        changed[40 * 197 + 196] = '\x00';
        writeBytes(work.filePath("old.syx"), old);
        writeBytes(work.filePath("longer.syx"), old + "x");
        // Position 12 of new.syx is b.syx for the "kit and a position" row.
        QByteArray withB = changed;
        withB.replace(12 * 197, 197, toBytes(b));
        writeBytes(work.filePath("new.syx"), args.contains("b.syx") ? withB : changed);
        for (QString& line : lines) {
            line.replace("@sumA", hex(a[ChecksumIndex]));
            line.replace("@sumB", hex(ChecksumFrom(b, FileChecksumFirst)));
        }

        const Result result = runKit(QStringList{"diff"} + args, work.path());
        QCOMPARE(result.status, status);
        const QStringList out = result.out.split('\n', Qt::SkipEmptyParts);
        qsizetype from = 0;
        for (const QString& line : lines) {
            const qsizetype at = out.indexOf(line, from);
            QVERIFY2(at >= 0, qPrintable(line + "\n--- in ---\n" + result.out));
            from = at + 1;
        }
        if (err.isEmpty()) {
            QVERIFY2(result.err.isEmpty(), qPrintable(result.err));
        } else {
            QVERIFY2(result.err.startsWith("tamboril-kit: " + err), qPrintable(result.err));
        }
        if (status == 2) {
            QVERIFY(result.out.isEmpty());
        }

        // The same comparison as JSON: the kits as show gives them.
        const Result json = runKit(QStringList{"diff", "--json"} + args, work.path());
        QCOMPARE(json.status, status);
        if (status == 2) {
            return;
        }
        const QJsonObject object = parseJson(json.out);
        QCOMPARE(object["equal"].toBool(), status == 0);
        const QJsonArray kits = object["kits"].toArray();
        QCOMPARE(kits.isEmpty(), status == 0);
        if (args == QStringList{"old.syx", "new.syx"}) {
            QCOMPARE(object["a"]["kind"].toString(), QStringLiteral("bulk"));
            QCOMPARE(kits.size(), 2);
            QCOMPARE(kits[0]["position"].toInt(), 12);
            QCOMPARE(kits[0]["splitFile"].toString(), QStringLiteral("Kit - 51.syx"));
            QCOMPARE(kits[0]["pads"][0]["pad"].toString(), QStringLiteral("SNARE 2"));
            QCOMPARE(kits[0]["pads"][0]["b"]["entry"].toString(), QStringLiteral("103 Fat1 S"));
            QCOMPARE(kits[1]["startDiffers"].toBool(), true);
            QCOMPARE(kits[1]["b"]["endsWithF7"].toBool(true), false);
            QCOMPARE(kits[1]["uninterpreted"][0]["first"].toInt(), 196);
        } else if (args == QStringList{"a.syx", "b.syx"}) {
            const QJsonObject kit = kits[0].toObject();
            QJsonObject shown = parseJson(runKit({"show", "--json", "a.syx"}, work.path()).out);
            for (const char* key : {"file", "size", "kind"}) {
                shown.remove(QLatin1String(key));
            }
            QCOMPARE(kit["a"].toObject(), shown);
            QCOMPARE(kit["titleDiffers"].toBool(), true);
            QCOMPARE(kit["checksumDiffers"].toBool(), true);
            QCOMPARE(kit["b"]["checksumMatches"].toBool(true), false);
            QCOMPARE(kit["pads"].toArray().size(), 2);
            QCOMPARE(kit["uninterpreted"].toArray().size(), 2);
            QCOMPARE(kit["uninterpreted"][1]["count"].toInt(), 2);
        } else if (args.last() == "new.syx@12") {
            QCOMPARE(object["b"]["position"].toInt(), 12);
            QCOMPARE(object["b"]["splitFile"].toString(), QStringLiteral("Kit - 51.syx"));
        }
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
        QByteArray shared = joinableBulk();
        shared[10 * 197 + KitNumberIndex] = 5;
        QTest::newRow("bulk whose kits share a number")
            << shared
            << "cannot be sent: kits at positions 5 and 10 both carry number 05: the instrument "
               "would keep only the last. Renumber the bank (tamboril-kit renumber ";
        QByteArray twoShared = shared;
        for (int k : {20, 21, 22}) {
            twoShared[k * 197 + qsizetype(KitNumberIndex)] = 63;
        }
        QTest::newRow("bulk with two numbers shared")
            << twoShared
            << "kits at positions 5 and 10 both carry number 05; kits at positions 20 to 22 "
               "and 63 all carry number 63: the instrument would keep only the last of each. "
               "Renumber";
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

    // The sheet's JSON is what show --json prints, of a bulk file and of a
    // kit file, to a file or to standard output; CSV and PDF come out in
    // their forms, the paper after the locale; a bank that does not open and
    // a file that cannot be written fail with status 1.
    void sheetWritesWhatShowShows() {
        QTemporaryDir work;
        QByteArray bulk = joinableBulk();
        bulk.replace(3 * 197 + qsizetype(KitNameFirst), 11, QByteArray("Q\"A,B\xE9\x00\x81   ", 11));
        const QString bulkFile = work.filePath("bulk.syx");
        const QString kitFile = work.filePath("kit.syx");
        writeBytes(bulkFile, bulk);
        writeBytes(kitFile, kitAt(bulk, 3));
        for (const QString& bank : {bulkFile, kitFile}) {
            const Result show = runKit({"show", bank, "--json"});
            QCOMPARE(show.status, 0);
            const Result out = runKit({"sheet", bank, "--json", "-"});
            QCOMPARE(out.status, 0);
            QCOMPARE(out.out, show.out);
            QVERIFY2(out.err.isEmpty(), qPrintable(out.err));
            const QString json = work.filePath("sheet.json");
            const Result file = runKit({"sheet", bank, "--json", json});
            QCOMPARE(file.status, 0);
            QCOMPARE(file.out, QStringLiteral("Kit sheet of %1 (%2) written to %3.\n")
                                   .arg(bank, bank == bulkFile ? "64 kits" : "1 kit", json));
            QCOMPARE(readBytes(json), show.out.toUtf8());
        }

        const Result csv = runKit({"sheet", bulkFile, "--csv", "-"});
        QCOMPARE(csv.status, 0);
        QCOMPARE(csv.out.count("\r\n"), 65);
        QVERIFY2(csv.out.contains(QStringLiteral("\n3,3,\"Q\"\"A,B\u00e9..   \",damaged,")),
                 qPrintable(csv.out.section("\r\n", 4, 4)));

        for (const auto& [locale, paper] : {std::pair{"C", "(A4)"}, {"en_US.UTF-8", "(letter)"}}) {
            const QString pdf = work.filePath("sheet.pdf");
            const Result drawn =
                runProgram("env", {QStringLiteral("LC_ALL=") + locale, QStringLiteral(TAMBORIL_KIT_PROGRAM),
                                   "sheet", bulkFile, "--pdf", pdf});
            QCOMPARE(drawn.status, 0);
            const Result info = runProgram("pdfinfo", {pdf});
            QVERIFY2(info.out.contains(QRegularExpression("Pages:\\s+16\\n")), qPrintable(info.out));
            QVERIFY2(info.out.contains(paper), qPrintable(info.out));
        }

        writeBytes(work.filePath("neither.syx"), QByteArray(300, 'x'));
        const QStringList names = QDir(work.path()).entryList(QDir::Files);
        for (const QStringList& args :
             {QStringList{"sheet", work.filePath("missing.syx"), "--csv", "out.csv"},
              QStringList{"sheet", work.filePath("neither.syx"), "--csv", "out.csv"},
              QStringList{"sheet", bulkFile, "--pdf", work.filePath("no/such/folder.pdf")}}) {
            const Result failed = runKit(args, work.path());
            QCOMPARE(failed.status, 1);
            QVERIFY(failed.out.isEmpty());
            QVERIFY2(failed.err.startsWith("tamboril-kit: cannot "), qPrintable(failed.err));
            QCOMPARE(QDir(work.path()).entryList(QDir::Files), names);
        }
    }

    void midiCommandsWithoutAMidiSystemFailAndWriteNothing() {
        QTemporaryDir work;
        const QString kit = work.filePath("kit.syx");
        writeBytes(kit, toBytes(knownKit()));
        const QString out = work.filePath("out.syx");
        // Kits that share a number go when allowed to: as far as the port.
        const QString shared = work.filePath("shared.syx");
        const QByteArray sharedBulk = withNumbers(joinableBulk(), {{10, 5}});
        writeBytes(shared, sharedBulk);
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
        const Result sendShared = runKit({"send", shared, "--port", "0", "--allow-shared-numbers"});
        const Result receive = runKit({"receive", out, "--port", "0"});
        const Result intoFolder = runKit({"receive", work.path(), "--port", "0"});
        const Result noFolder = runKit({"receive", work.filePath("gone/out.syx"), "--port", "0"});
        restore("JACK_DEFAULT_SERVER", oldServer);
        restore("TAMBORIL_MIDI_API", oldApi);

        const QString reason = "No JACK server named \"tamboril-test-none\" is running";
        // libjack's metadata store (Berkeley DB, in /dev/shm/jack_db-UID)
        // writes straight to stderr, past libjack's error callback, when
        // another JACK client sets it up at the same moment: such lines are
        // not the program's.
        static const QRegularExpression storeNoise(QStringLiteral("^BDB\\d+ [^\n]*\n"),
                                                   QRegularExpression::MultilineOption);
        for (const Result& result : {ports, send, sendShared, receive}) {
            QCOMPARE(result.status, 1);
            QVERIFY(result.out.isEmpty());
            QVERIFY2(QString(result.err).remove(storeNoise).startsWith("tamboril-kit: "),
                     qPrintable(result.err));
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
                 (QStringList{"kit.syx", "shared.syx"}));
        QCOMPARE(readBytes(kit), toBytes(knownKit()));
        QCOMPARE(readBytes(shared), sharedBulk);
    }
};

QTEST_GUILESS_MAIN(TestCliProgram)
#include "test_cli_program.moc"
