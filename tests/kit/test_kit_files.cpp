// SPDX-License-Identifier: GPL-3.0-or-later
#include "kit/BulkSplit.h"
#include "kit/KitFile.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

using namespace tamboril;
using namespace tamboril::test;

class TestKitFiles : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

    QString path(const QString& name) const { return dir.filePath(name); }

  private slots:
    void loadsKitFilesUpTo200Bytes_data() {
        QTest::addColumn<int>("size");
        for (int size : {197, 198, 200}) {
            QTest::newRow(qPrintable(QString::number(size))) << size;
        }
    }
    void loadsKitFilesUpTo200Bytes() {
        QFETCH(int, size);
        QByteArray bytes = toBytes(sampleKit(42));
        bytes.append(size - bytes.size(), '\x55');
        const QString file = path("kit.syx");
        writeBytes(file, bytes);

        KitData kit{};
        const LoadOutcome outcome = Loadfile(file, kit);
        QCOMPARE(outcome.status, LoadStatus::Editable);
        QCOMPARE(outcome.fileName, file);
        QCOMPARE(toBytes(kit), bytes.left(197));
        QCOMPARE(KitTitle(kit), QStringLiteral("42 - TECHNO KIT "));
        QCOMPARE(readBytes(file), bytes);  // loading never changes the file
    }

    void refusesFilesOver200BytesAndChangesNothing_data() {
        QTest::addColumn<qint64>("size");
        for (qint64 size : {201LL, 12608LL, 12609LL, 5LL * 1024 * 1024}) {
            QTest::newRow(qPrintable(QString::number(size))) << size;
        }
    }
    void refusesFilesOver200BytesAndChangesNothing() {
        QFETCH(qint64, size);
        const QString file = path("big.syx");
        writeBytes(file, QByteArray(size, '\xF0'));

        const KitData before = sampleKit(3);
        KitData kit = before;
        QCOMPARE(Loadfile(file, kit).status, LoadStatus::Refused);
        QVERIFY(kit == before);
        QCOMPARE(QFileInfo(file).size(), size);
    }

    void shortFilesLeaveZerosAfterTheirEnd_data() {
        QTest::addColumn<int>("size");
        for (int size : {0, 1, 196}) {
            QTest::newRow(qPrintable(QString::number(size))) << size;
        }
    }
    void shortFilesLeaveZerosAfterTheirEnd() {
        QFETCH(int, size);
        const QByteArray full = toBytes(sampleKit(9));
        const QString file = path("short.syx");
        writeBytes(file, full.left(size));

        KitData kit = sampleKit(100, "PREVIOUS   ");  // must not show through
        const LoadOutcome outcome = Loadfile(file, kit);
        QCOMPARE(outcome.status, size == 0 ? LoadStatus::NotEditable : LoadStatus::Editable);
        QByteArray expected = full.left(size);
        expected.append(197 - size, '\0');
        QCOMPARE(toBytes(kit), expected);
    }

    void firstByteOtherThanF0IsLoadedButNotEditable() {
        KitData onDisk = sampleKit(12);
        onDisk[0] = 0x41;
        const QString file = path("foreign.syx");
        writeBytes(file, toBytes(onDisk));
        KitData kit{};
        QCOMPARE(Loadfile(file, kit).status, LoadStatus::NotEditable);
        QVERIFY(kit == onDisk);
    }

    void unreadableFilesFailWithAReasonAndChangeNothing() {
        const KitData before = sampleKit(1);

        KitData kit = before;
        const QString missing = path("no such kit.syx");
        LoadOutcome outcome = Loadfile(missing, kit);
        QCOMPARE(outcome.status, LoadStatus::Failed);
        QCOMPARE(outcome.fileName, missing);
        QVERIFY(!outcome.reason.isEmpty());
        QVERIFY(!QFileInfo::exists(missing));  // loading never creates a file
        QVERIFY(kit == before);

        outcome = Loadfile(dir.path(), kit);
        QCOMPARE(outcome.status, LoadStatus::Failed);
        QVERIFY(outcome.reason.contains("folder"));
        QVERIFY(kit == before);

        // A named pipe (or a device, or a socket) is refused at once: opening
        // it would wait for a writer.
        const QString pipe = path("pipe.syx");
        makeFifo(pipe);
        outcome = Loadfile(pipe, kit);
        QCOMPARE(outcome.status, LoadStatus::Failed);
        QCOMPARE(outcome.reason, QStringLiteral("It is a named pipe, not a file."));
        QVERIFY(ReadBulkKits(pipe).error);
        QVERIFY(Loadfile(QStringLiteral("/dev/zero"), kit).reason.contains("device"));
        QVERIFY(kit == before);
        QVERIFY(QFile::remove(pipe));

        outcome = Loadfile(path("missing/parent/kit.syx"), kit);
        QCOMPARE(outcome.status, LoadStatus::Failed);
        QVERIFY(!QFileInfo::exists(path("missing")));

        QCOMPARE(Loadfile(QString(), kit).status, LoadStatus::Ignored);
        QVERIFY(kit == before);
    }

    void saveWritesExactly197BytesWhateverTheTargetHeld() {
        KitData kit = sampleKit(5);
        kit[10] = 0x3F;  // a pad byte above 15 is written as it stands
        const QString file = path("target.syx");
        for (const QByteArray& old : {QByteArray(), QByteArray(12608, 'x'), QByteArray(3, 'y')}) {
            writeBytes(file, old);
            QVERIFY(!TrueSave(file, kit));
            QCOMPARE(readBytes(file), toBytes(kit));
        }
        const QString fresh = path("new kit without extension");
        QVERIFY(!TrueSave(fresh, kit));
        QCOMPARE(readBytes(fresh), toBytes(kit));
    }

    void saveRoundTripKeepsEveryByteButTheChecksum() {
        KitData original = sampleKit(77);
        original[ChecksumIndex] = 0;
        original[EndIndex] = 0x33;  // never interpreted: written back as read
        const QString file = path("roundtrip.syx");
        writeBytes(file, toBytes(original));

        KitData kit{};
        QCOMPARE(Loadfile(file, kit).status, LoadStatus::Editable);
        StoreChecksum(kit, FileChecksumFirst);
        QVERIFY(!TrueSave(file, kit));
        const QByteArray saved = readBytes(file);
        QCOMPARE(saved.size(), 197);
        for (int i = 0; i < 197; ++i) {
            if (i != int(ChecksumIndex)) {
                QCOMPARE(saved.at(i), toBytes(original).at(i));
            }
        }
        QCOMPARE(quint8(saved.at(ChecksumIndex)), ChecksumFrom(original, FileChecksumFirst));
    }

    // Loading, bulk reading and splitting are the in-memory parsers (the ones
    // the fuzz targets run) on the file's bytes, nothing more.
    void fileFunctionsAreTheInMemoryParsersOnTheFilesBytes() {
        QByteArray bulk = sampleBulk();
        bulk[5] = char(0xF0);
        const QList<QByteArray> inputs = {QByteArray(),
                                          toBytes(sampleKit(3)).left(60),
                                          toBytes(sampleKit(4)) + "xyz",
                                          bulk.left(201),
                                          bulk.left(5000),
                                          bulk,
                                          bulk + "tail"};
        const QString file = path("input.syx");
        const QString out = path("split");
        QVERIFY(QDir().mkpath(out));
        for (const QByteArray& bytes : inputs) {
            writeBytes(file, bytes);
            KitData fromFile{};
            KitData fromBytes{};
            QCOMPARE(Loadfile(file, fromFile).status, KitFromFileBytes(bytes, fromBytes));
            QVERIFY(fromFile == fromBytes);

            const std::vector<KitData> cut = CutBulk(bytes);
            QVERIFY(ReadBulkKits(file).kits == cut);
            // Splitting takes whole dumps only; a shorter file is refused.
            const SplitOutcome split = SplitBulkFile(file, out);
            QCOMPARE(split.ok(), bytes.size() >= BulkSize);
            if (!split.ok()) {
                QCOMPARE(split.shortSize, std::optional<qint64>(bytes.size()));
                continue;
            }
            for (int k = 0; k < BulkKitCount; ++k) {
                QCOMPARE(readBytes(out + "/" + SplitFileName(k)),
                         KitFileBytes(cut[std::size_t(k)]).toByteArray());
            }
        }
    }

    void failedSaveNamesTheFileAndTouchesNothing() {
        const KitData kit = sampleKit();

        // A folder where the file should be: the folder and what it holds stay.
        const QString folder = path("a folder.syx");
        QVERIFY(QDir().mkpath(folder + "/inside"));
        auto error = TrueSave(folder, kit);
        QVERIFY(error);
        QCOMPARE(error->file, folder);
        QVERIFY(!error->reason.isEmpty());
        QVERIFY(QFileInfo(folder + "/inside").isDir());

        // A named pipe is not replaced by a file.
        const QString pipe = path("pipe.syx");
        makeFifo(pipe);
        error = TrueSave(pipe, kit);
        QVERIFY(error);
        QCOMPARE(error->reason, QStringLiteral("It is a named pipe, not a file."));
        QVERIFY(QFileInfo(pipe).exists() && !QFileInfo(pipe).isFile());

        // A missing parent folder is not created.
        const QString orphan = path("nowhere/kit.syx");
        error = TrueSave(orphan, kit);
        QVERIFY(error);
        QCOMPARE(error->file, orphan);
        QVERIFY(!QFileInfo::exists(path("nowhere")));

        // Names of every legal length are saved: the temporary name beside
        // them is short whatever the name.
        for (const int length : {249, 254, 255}) {
            const QString longName = path(QString(length, 'k'));
            writeBytes(longName, "old kit");
            error = TrueSave(longName, kit);
            QVERIFY2(!error, qPrintable(error ? error->reason : QString()));
            QCOMPARE(readBytes(longName), KitFileBytes(kit).toByteArray());
        }

        // No temporary files are left, hidden or not.
        for (const QString& name : QDir(dir.path()).entryList(QDir::Files | QDir::Hidden)) {
            QVERIFY2(!name.startsWith(QStringLiteral(".tamboril-")), qPrintable(name));
        }
    }
};

QTEST_GUILESS_MAIN(TestKitFiles)
#include "test_kit_files.moc"
