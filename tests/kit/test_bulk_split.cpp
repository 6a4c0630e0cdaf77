// SPDX-License-Identifier: GPL-3.0-or-later
#include "kit/BulkSplit.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

using namespace tamboril;
using namespace tamboril::test;

namespace {

QByteArray kitAt(const QByteArray& bulk, int k) {
    QByteArray kit = bulk.mid(k * 197, 197);
    kit.append(197 - kit.size(), '\0');
    return kit;
}

}  // namespace

class TestBulkSplit : public QObject {
    Q_OBJECT

  private slots:
    void namesCountDownFrom63() {
        QCOMPARE(SplitFileName(0), QStringLiteral("Kit - 63.syx"));
        QCOMPARE(SplitFileName(53), QStringLiteral("Kit - 10.syx"));
        QCOMPARE(SplitFileName(54), QStringLiteral("Kit - 09.syx"));
        QCOMPARE(SplitFileName(63), QStringLiteral("Kit - 00.syx"));
    }

    void splitsInputsOfBulkLengthIntoSixtyFourKits_data() {
        QTest::addColumn<QByteArray>("input");
        const QByteArray bulk = sampleBulk();
        QByteArray corrupt = bulk;
        corrupt[0] = 'X';             // not F0: copied anyway
        corrupt[197 + 195] = '\x7F';  // wrong checksum: copied anyway
        QTest::newRow("exact bulk") << bulk;
        QTest::newRow("broken kits") << corrupt;
        QTest::newRow("12609 bytes") << bulk + QByteArray(1, '\x11');
        QTest::newRow("longer than a bulk") << bulk + QByteArray(5000, '\x22');
    }
    void splitsInputsOfBulkLengthIntoSixtyFourKits() {
        QFETCH(QByteArray, input);
        QTemporaryDir in, out;
        const QString bulkPath = in.filePath("bulk.syx");
        writeBytes(bulkPath, input);

        const SplitOutcome outcome = SplitBulkFile(bulkPath, out.path());
        QVERIFY(outcome.ok());
        QCOMPARE(outcome.message(), QStringLiteral("Files Spilt to : ") + out.path());

        QCOMPARE(QDir(out.path()).entryList(QDir::Files).size(), 64);
        for (int k = 0; k < 64; ++k) {
            const QByteArray written = readBytes(out.filePath(SplitFileName(k)));
            QCOMPARE(written.size(), 197);
            QCOMPARE(written, kitAt(input, k));
        }
        QCOMPARE(readBytes(bulkPath), input);  // the bulk file is only read

        // Reading the kits without splitting gives the very kits the split wrote.
        const BulkKits read = ReadBulkKits(bulkPath);
        QVERIFY(!read.error);
        QCOMPARE(read.kits.size(), std::size_t{64});
        for (int k = 0; k < 64; ++k) {
            QCOMPARE(toBytes(read.kits[std::size_t(k)]), kitAt(input, k));
        }
        QCOMPARE(readBytes(bulkPath), input);
    }

    void splittingTwiceGivesTheSameFilesAndReplacesOldOnes() {
        QTemporaryDir in, out;
        const QByteArray bulk = sampleBulk();
        writeBytes(in.filePath("bulk.syx"), bulk);
        writeBytes(out.filePath("Kit - 05.syx"), QByteArray(12608, 'z'));
        QVERIFY(SplitBulkFile(in.filePath("bulk.syx"), out.path()).ok());
        QVERIFY(SplitBulkFile(in.filePath("bulk.syx"), out.path()).ok());
        QCOMPARE(readBytes(out.filePath("Kit - 05.syx")), kitAt(bulk, 58));
    }

    // A file that is not a whole bulk dump (missing, not a file, or fewer
    // than 64 kits) is refused with its reason, and the kit files already in
    // the folder keep every byte.
    void unreadableOrShortBulkWritesNothing_data() {
        QTest::addColumn<QByteArray>("input");  // null: no such file; "dir": a folder
        QTest::addColumn<QString>("reason");
        const QByteArray bulk = sampleBulk();
        QTest::newRow("missing") << QByteArray() << QString();
        QTest::newRow("a folder") << QByteArray("dir") << QString();
        const QString isShort = QStringLiteral(
            " is not a bulk dump: it is %1 bytes long. A bulk dump holds 64 kits of 197 bytes, "
            "12608 bytes in all.\nNo kit files were written.");
        QTest::newRow("single kit") << bulk.left(197) << isShort.arg(197);
        QTest::newRow("ends inside kit 10") << bulk.left(197 * 10 + 50) << isShort.arg(2020);
        QTest::newRow("one byte short") << bulk.left(12607) << isShort.arg(12607);
        QTest::newRow("empty") << QByteArray("") << isShort.arg(0);
    }
    void unreadableOrShortBulkWritesNothing() {
        QFETCH(QByteArray, input);
        QFETCH(QString, reason);
        QTemporaryDir in, out;
        const QByteArray oldKit = toBytes(sampleKit());
        writeBytes(out.filePath("Kit - 63.syx"), oldKit);
        writeBytes(out.filePath("Kit - 00.syx"), oldKit);
        QString bulkPath = in.filePath("bulk.syx");
        if (input == "dir") {
            bulkPath = in.path();
        } else if (!input.isNull()) {
            writeBytes(bulkPath, input);
        }

        const SplitOutcome outcome = SplitBulkFile(bulkPath, out.path());
        QVERIFY(!outcome.ok());
        if (reason.isEmpty()) {
            QVERIFY(outcome.readError);
            QCOMPARE(outcome.readError->file, bulkPath);
            QVERIFY(outcome.message().contains(bulkPath));
            QVERIFY(outcome.message().contains("No kit files were written"));
        } else {
            QVERIFY(!outcome.readError);
            QCOMPARE(outcome.shortSize, std::optional<qint64>(input.size()));
            QCOMPARE(outcome.message(), bulkPath + reason);
            QCOMPARE(readBytes(bulkPath), input);
        }
        QVERIFY(!outcome.message().contains("Files Spilt to"));
        QCOMPARE(QDir(out.path()).entryList(QDir::Files),
                 (QStringList{"Kit - 00.syx", "Kit - 63.syx"}));
        QCOMPARE(readBytes(out.filePath("Kit - 63.syx")), oldKit);
        QCOMPARE(readBytes(out.filePath("Kit - 00.syx")), oldKit);

        // Reading the kits of such a file, as show and diff do, still works
        // when there are bytes to read.
        const BulkKits read = ReadBulkKits(bulkPath);
        QCOMPARE(bool(read.error), reason.isEmpty());
        QCOMPARE(read.kits.size(), reason.isEmpty() ? std::size_t{0} : std::size_t{64});
    }

    void failedKitFilesAreCountedAndTheRestWritten() {
        QTemporaryDir in, out;
        const QByteArray bulk = sampleBulk();
        writeBytes(in.filePath("bulk.syx"), bulk);
        // Folders where kits 17, 40 to 42 and 63 should go.
        const QList<int> failed = {17, 40, 41, 42, 63};
        for (const int k : failed) {
            QVERIFY(QDir(out.path()).mkdir(SplitFileName(k)));
        }

        const SplitOutcome outcome = SplitBulkFile(in.filePath("bulk.syx"), out.path());
        QVERIFY(!outcome.ok());
        QCOMPARE(outcome.failedCount, 5);
        QCOMPARE(outcome.firstFailure->file, out.filePath(SplitFileName(17)));
        QVERIFY(outcome.message().startsWith("5 of 64 kit files could not be written to " +
                                             out.path()));
        // Every file not written is named, runs of them as a range.
        QVERIFY2(outcome.message().contains(
                     "Not written (they keep what they held before): Kit - 46.syx, "
                     "Kit - 23.syx to Kit - 21.syx, Kit - 00.syx.\n"),
                 qPrintable(outcome.message()));
        QVERIFY(!outcome.message().contains("Files Spilt to"));
        for (int k = 0; k < 64; ++k) {
            if (!failed.contains(k)) {
                QCOMPARE(readBytes(out.filePath(SplitFileName(k))), kitAt(bulk, k));
            }
        }
        QVERIFY(QFileInfo(out.filePath(SplitFileName(17))).isDir());
    }

    void missingOutputFolderFailsEveryKit() {
        QTemporaryDir in;
        writeBytes(in.filePath("bulk.syx"), sampleBulk());
        const QString nowhere = in.filePath("gone");
        const SplitOutcome outcome = SplitBulkFile(in.filePath("bulk.syx"), nowhere);
        QCOMPARE(outcome.failedCount, 64);
        QVERIFY(outcome.message().startsWith("64 of 64"));
        QVERIFY2(outcome.message().contains(": Kit - 63.syx to Kit - 00.syx.\n"),
                 qPrintable(outcome.message()));
        QVERIFY(!QFileInfo::exists(nowhere));
    }
};

QTEST_GUILESS_MAIN(TestBulkSplit)
#include "test_bulk_split.moc"
