// SPDX-License-Identifier: GPL-3.0-or-later
// The bank below the Library's window: opening the three kinds of bank,
// edits and arrangements through the undo stack, saving, and the item models
// under QAbstractItemModelTester while commands change the kits.

#include "bank/Bank.h"
#include "bank/BankDocument.h"
#include "bank/BankEdits.h"
#include "bank/BankModel.h"
#include "bank/KitNumbers.h"
#include "bank/KitWords.h"
#include "sounds/PadSounds.h"
#include "kit/BulkJoin.h"
#include "kit/BulkSplit.h"
#include "support/TestFiles.h"

#include <QAbstractItemModelTester>
#include <QDir>
#include <QMimeData>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using namespace tamboril;
using namespace tamboril::test;

namespace {

// 64 kits that join accepts (SysEx data bytes only), each told apart by
// byte 1, its kit number and its name.
std::vector<KitData> joinableKits() {
    std::vector<KitData> kits;
    for (int k = 0; k < BulkKitCount; ++k) {
        KitData kit = sampleKit(static_cast<std::uint8_t>(k),
                                QStringLiteral("KIT %1     ").arg(k, 2, 10, QLatin1Char('0'))
                                    .toLatin1());
        kit[1] = static_cast<std::uint8_t>(k);
        kits.push_back(kit);
    }
    return kits;
}

std::vector<KitData> kitsOf(BankDocument& doc) {
    return doc.bank().kits;
}

void made(const EditOutcome& edit) {
    QVERIFY(edit.made);
}

}  // namespace

class TestBank : public QObject {
    Q_OBJECT

  private slots:
    void opensEachKindOfBankAndRefusesWhatIsNone() {
        QTemporaryDir dir;
        const QByteArray bulk = BulkBytes(joinableKits());
        writeBytes(dir.filePath("bulk.syx"), bulk);
        writeBytes(dir.filePath("kit.syx"), toBytes(joinableKits()[5]));
        writeBytes(dir.filePath("short.syx"), bulk.left(5000));
        QVERIFY(QDir(dir.path()).mkdir("kits"));
        QVERIFY(WriteSplitFiles(joinableKits(), dir.filePath("kits")).ok());
        QVERIFY(QDir(dir.path()).mkdir("broken"));
        QVERIFY(WriteSplitFiles(joinableKits(), dir.filePath("broken")).ok());
        QVERIFY(QFile::remove(dir.filePath("broken/Kit - 10.syx")));
        writeBytes(dir.filePath("broken/Kit - 20.syx"), "not a kit");

        const BankOpenOutcome fromBulk = OpenBank(dir.filePath("bulk.syx"));
        QVERIFY(fromBulk.bank);
        QCOMPARE(fromBulk.bank->source, BankSource::BulkFile);
        QCOMPARE(BulkBytes(fromBulk.bank->kits), bulk);

        const BankOpenOutcome fromFolder = OpenBank(dir.filePath("kits/"));
        QVERIFY(fromFolder.bank);
        QCOMPARE(fromFolder.bank->path, dir.filePath("kits"));
        QCOMPARE(fromFolder.bank->source, BankSource::Folder);
        QCOMPARE(BulkBytes(fromFolder.bank->kits), bulk);  // Kit - 63.syx is position 0

        const BankOpenOutcome fromKit = OpenBank(dir.filePath("kit.syx"));
        QVERIFY(fromKit.bank);
        QCOMPARE(fromKit.bank->kits.size(), std::size_t(1));
        QCOMPARE(fromKit.bank->kits[0], joinableKits()[5]);

        const BankOpenOutcome shortBulk = OpenBank(dir.filePath("short.syx"));
        QVERIFY(!shortBulk.bank);
        QCOMPARE(shortBulk.fault->kind, BankOpenFault::Kind::NotKitOrBulk);
        QCOMPARE(shortBulk.fault->size, qint64(5000));

        const BankOpenOutcome missing = OpenBank(dir.filePath("none.syx"));
        QVERIFY(!missing.bank);
        QCOMPARE(missing.fault->kind, BankOpenFault::Kind::Unreadable);
        QVERIFY(!missing.fault->reason.isEmpty());

        // Every file at fault is named, as join names them.
        const BankOpenOutcome broken = OpenBank(dir.filePath("broken"));
        QVERIFY(!broken.bank);
        QCOMPARE(broken.fault->kind, BankOpenFault::Kind::FolderKits);
        QCOMPARE(broken.fault->failures.size(), std::size_t(2));
        QVERIFY(broken.fault->failures[0].file.endsWith("Kit - 20.syx"));
        QVERIFY(broken.fault->failures[0].fault);
        QVERIFY(broken.fault->failures[1].file.endsWith("Kit - 10.syx"));
        QVERIFY(broken.fault->failures[1].readError);
    }

    // numbers: byte 6 of each kit; notEditable: a kit whose byte 0 is 0x00.
    // Every counted text takes its form from CountedText: 1 the singular,
    // 0 and every other count the plural, the count in for %n and the
    // caller's own arguments left in place.
    void countedTextsTakeTheFormOfTheirCount_data() {
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("kits");
        QTest::addColumn<QString>("sentence");
        QTest::newRow("0") << 0 << "0 kits" << "a.syx: renumbered 0 kits.";
        QTest::newRow("1") << 1 << "1 kit" << "a.syx: renumbered 1 kit.";
        QTest::newRow("2") << 2 << "2 kits" << "a.syx: renumbered 2 kits.";
        QTest::newRow("64") << 64 << "64 kits" << "a.syx: renumbered 64 kits.";
    }

    void countedTextsTakeTheFormOfTheirCount() {
        QFETCH(int, count);
        QFETCH(QString, kits);
        QFETCH(QString, sentence);
        QCOMPARE(KitsText(count), kits);
        QCOMPARE(CountedText(count, QStringLiteral("%1: renumbered %n kit."),
                             QStringLiteral("%1: renumbered %n kits."))
                     .arg(QStringLiteral("a.syx")),
                 sentence);
    }

    void kitsAreNumberedByTheirPositionsSlots_data() {
        QTest::addColumn<QList<int>>("numbers");
        QTest::addColumn<int>("notEditable");
        QTest::addColumn<QList<int>>("expectedSlots");
        QTest::addColumn<QString>("shared");  // the first shared number in words
        QTest::addColumn<QList<int>>("changed");
        QList<int> positions;
        QList<int> shuffled;  // 5 is coprime to 64: every number once
        for (int k = 0; k < BulkKitCount; ++k) {
            positions << k;
            shuffled << (k * 5 + 3) % BulkKitCount;
        }
        QList<int> oneDuplicate = positions;
        oneDuplicate[10] = 5;
        QList<int> threeShare = oneDuplicate;
        threeShare[20] = 5;
        QTest::newRow("64 different numbers in another order keep them")
            << shuffled << -1 << shuffled << QString() << QList<int>{};
        QTest::newRow("one duplicate: positions are the slots")
            << oneDuplicate << -1 << positions << "kits at positions 5 and 10 both carry number 05"
            << QList<int>{10};
        QTest::newRow("a kit that cannot be edited keeps its number")
            << threeShare << 10 << positions
            << "kits at positions 5, 10 and 20 all carry number 05" << QList<int>{20};
        QTest::newRow("a single kit has no slot") << QList<int>{9} << -1 << QList<int>{}
                                                  << QString() << QList<int>{};
    }
    void kitsAreNumberedByTheirPositionsSlots() {
        QFETCH(QList<int>, numbers);
        QFETCH(int, notEditable);
        QFETCH(QList<int>, expectedSlots);
        QFETCH(QString, shared);
        QFETCH(QList<int>, changed);
        std::vector<KitData> kits = joinableKits();
        kits.resize(std::size_t(numbers.size()));
        for (qsizetype p = 0; p < numbers.size(); ++p) {
            kits[std::size_t(p)][KitNumberIndex] = std::uint8_t(numbers[p]);
        }
        if (notEditable >= 0) {
            kits[std::size_t(notEditable)][0] = 0x00;
        }
        const std::vector<int> all = AllPositions(int(kits.size()));
        const std::vector<int> slotOf = SlotsAsOpened(kits);
        QCOMPARE(QList<int>(slotOf.begin(), slotOf.end()), expectedSlots);
        const std::vector<SharedNumber> found = SharedNumbers(kits, all);
        QCOMPARE(found.empty() ? QString() : SharedNumberText(found.front()), shared);
        QCOMPARE(SharesNumbers(kits, all), !shared.isEmpty());

        const std::map<int, KitData> numbered = NumberedBySlots(kits, slotOf, all);
        QList<int> changedAt;
        for (const auto& [p, kit] : numbered) {
            changedAt << p;
            KitData expected = kits[std::size_t(p)];
            expected[KitNumberIndex] = std::uint8_t(p);
            StoreChecksum(expected, FileChecksumFirst);
            QCOMPARE(kit, expected);  // byte 6 and the checksum, nothing else
        }
        QCOMPARE(changedAt, changed);
    }

    void editsAndArrangementsUndoExactly() {
        BankEdits edits;
        BankDocument doc(Bank{BankSource::BulkFile, "mem", joinableKits()});
        const std::vector<KitData> original = kitsOf(doc);

        made(edits.setPadSound(doc, 2, 3, 200));
        QCOMPARE(PadSound(doc.kit(2), 3), 200);
        QCOMPARE(StateOfKit(doc.kit(2)), KitState::Right);  // checksum stored as Save does
        KitData expected = original[2];
        StorePadSound(expected, 3, 200);
        StoreChecksum(expected, FileChecksumFirst);
        QCOMPARE(doc.kit(2), expected);

        made(edits.rename(doc, 2, "JAZZ"));
        QCOMPARE(KitName(doc.kit(2)), QStringLiteral("JAZZ       "));
        QSignalSpy refused(&edits, &BankEdits::refused);
        const EditOutcome tooLong = edits.rename(doc, 2, "TWELVE CHARS");
        QCOMPARE(refused.count(), 1);
        const auto told = refused.at(0).at(0).value<EditOutcome>();
        QCOMPARE(told.refusal, EditRefusal::BadName);
        QCOMPARE(told.position, 2);
        QCOMPARE(told.name, QStringLiteral("TWELVE CHARS"));
        QCOMPARE(tooLong.refusal, EditRefusal::BadName);
        QCOMPARE(tooLong.nameFault->kind, KitNameFault::Kind::TooLong);
        QCOMPARE(edits.rename(doc, 2, QStringLiteral("Caf\u00e9")).nameFault->kind,
                 KitNameFault::Kind::NotPrintable);
        QCOMPARE(edits.setPadSound(doc, 2, 3, 200).refusal, EditRefusal::NoChange);

        const KitData edited = doc.kit(2);
        made(edits.move(doc, 2, 5));
        QCOMPARE(doc.kit(5), edited);
        QCOMPARE(doc.kit(2), original[3]);
        QCOMPARE(doc.kit(4), original[5]);
        made(edits.move(doc, 63, 0));
        QCOMPARE(doc.kit(0), original[63]);
        QCOMPARE(doc.kit(1), original[0]);
        // Kits 10, 12 and 13 moved together to 11: they keep their order and
        // the rest close up around them.
        const std::vector<KitData> beforeBlock = kitsOf(doc);
        made(edits.moveKits(doc, {13, 10, 12}, 11));
        QCOMPARE(doc.kit(10), beforeBlock[11]);
        QCOMPARE(doc.kit(11), beforeBlock[10]);
        QCOMPARE(doc.kit(12), beforeBlock[12]);
        QCOMPARE(doc.kit(13), beforeBlock[13]);
        QCOMPARE(doc.kit(14), beforeBlock[14]);
        // Already as near the end as they fit: nothing to do.
        QCOMPARE(edits.moveKits(doc, {62, 63}, 63).refusal, EditRefusal::NoChange);
        made(edits.moveKits(doc, {0, 1}, 62));
        QCOMPARE(doc.kit(62), beforeBlock[0]);
        QCOMPARE(doc.kit(63), beforeBlock[1]);
        QCOMPARE(doc.kit(0), beforeBlock[2]);

        // Pasted kits travel whole: byte 6 and the opaque bytes with them.
        KitData foreign = original[40];
        foreign[100] = 0x55;
        foreign[KitNumberIndex] = 99;
        made(edits.place(doc, 62, {foreign, foreign, foreign}, "Paste"));
        QCOMPARE(doc.kit(62), foreign);
        QCOMPARE(doc.kit(63), foreign);  // the third kit falls past the end

        QVERIFY(doc.isModified());
        while (doc.undoStack()->canUndo()) {
            doc.undoStack()->undo();
        }
        QCOMPARE(kitsOf(doc), original);
        QVERIFY(!doc.isModified());
        doc.undoStack()->redo();
        QCOMPARE(PadSound(doc.kit(2), 3), 200);

        KitData notEditable = original[7];
        notEditable[0] = 0;
        made(edits.place(doc, 7, {notEditable}, "Paste"));
        QCOMPARE(edits.setPadSound(doc, 7, 0, 1).refusal, EditRefusal::NotEditable);
        QCOMPARE(edits.rename(doc, 7, "X").refusal, EditRefusal::NotEditable);
        QCOMPARE(StateOfKit(doc.kit(7)), KitState::Damaged);
        QCOMPARE(StateOfKit(original[8]), KitState::Differs);
    }

    void savesEachKindThroughTheOneWriter() {
        BankEdits edits;
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir("kits"));
        QVERIFY(WriteSplitFiles(joinableKits(), dir.filePath("kits")).ok());
        BankOpenOutcome opened = OpenBank(dir.filePath("kits"));
        BankDocument doc(std::move(*opened.bank));
        made(edits.move(doc, 0, 1));
        made(edits.rename(doc, 0, "FIRST"));
        QVERIFY(doc.save().ok());
        QVERIFY(!doc.isModified());
        // What join makes of the folder is the bank, byte for byte.
        const JoinOutcome joined = JoinKitFiles(SplitFilePaths(dir.filePath("kits")), false);
        QVERIFY(joined.ok());
        QCOMPARE(joined.bulk, BulkBytes(kitsOf(doc)));

        QSignalSpy moved(&doc, &BankDocument::placeChanged);
        QVERIFY(doc.saveAs(BankSource::BulkFile, dir.filePath("bulk.syx")).ok());
        QCOMPARE(moved.count(), 1);
        QCOMPARE(readBytes(dir.filePath("bulk.syx")), joined.bulk);
        QCOMPARE(doc.bank().source, BankSource::BulkFile);

        // A failed save changes nothing and keeps the changes unsaved.
        made(edits.rename(doc, 3, "THIRD"));
        const BankSaveOutcome failed = doc.saveAs(BankSource::BulkFile, dir.filePath("kits"));
        QVERIFY(!failed.ok());
        QVERIFY(failed.firstFailure);
        QVERIFY(doc.isModified());
        QCOMPARE(doc.bank().path, dir.filePath("bulk.syx"));

        BankDocument one(Bank{BankSource::KitFile, dir.filePath("one.syx"), {joinableKits()[9]}});
        QVERIFY(one.save().ok());
        QCOMPARE(readBytes(dir.filePath("one.syx")), toBytes(joinableKits()[9]));
    }

    void modelsFollowEveryCommand() {
        BankEdits edits;
        BankDocument doc(Bank{BankSource::BulkFile, "mem", joinableKits()});
        BankModel bank(doc, edits);
        PadModel pads(edits);
        QAbstractItemModelTester bankTester(&bank, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QAbstractItemModelTester padTester(&pads, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(bank.rowCount(), 64);
        QCOMPARE(bank.index(0, BankModel::SplitFile).data().toString(), "Kit - 63.syx");
        QCOMPARE(bank.index(5, BankModel::KitNumber).data().toString(), "05");
        QCOMPARE(bank.index(5, BankModel::Name).data().toString(), "KIT 05     ");
        QCOMPARE(bank.index(5, BankModel::Checksum).data().toString(), "differs");
        QCOMPARE(pads.rowCount(), 0);

        pads.showKit(&doc, 5);
        QCOMPARE(pads.rowCount(), PadCount);
        QCOMPARE(pads.index(13, PadModel::Pad).data().toString(), "BASS");
        QSignalSpy rowsChanged(&bank, &QAbstractItemModel::dataChanged);
        QVERIFY(pads.setData(pads.index(1, PadModel::Sound), 80));
        QCOMPARE(pads.index(1, PadModel::SoundName).data().toString(), SoundName(80));
        QCOMPARE(bank.index(5, BankModel::Checksum).data().toString(), "right");
        QCOMPARE(rowsChanged.count(), 1);
        QVERIFY(!pads.setData(pads.index(1, PadModel::Sound), "not a number"));
        doc.undoStack()->undo();
        QCOMPARE(pads.index(1, PadModel::Sound).data().toInt(), PadSound(joinableKits()[5], 1));

        // Rows dragged within the bank move; dropped on another bank they
        // replace the kits there.
        std::unique_ptr<QMimeData> dragged(bank.mimeData({bank.index(5, 0), bank.index(5, 3)}));
        QVERIFY(bank.dropMimeData(dragged.get(), Qt::MoveAction, -1, -1, bank.index(9, 0)));
        QCOMPARE(doc.kit(9), joinableKits()[5]);
        QCOMPARE(doc.kit(5), joinableKits()[6]);
        BankDocument other(Bank{BankSource::BulkFile, "other", std::vector<KitData>(64)});
        BankModel otherModel(other, edits);
        QVERIFY(otherModel.dropMimeData(dragged.get(), Qt::MoveAction, -1, -1,
                                        otherModel.index(0, 0)));
        QCOMPARE(other.kit(0), joinableKits()[5]);
        QCOMPARE(doc.kit(9), joinableKits()[5]);  // the source keeps its kit
        QCOMPARE(otherModel.index(1, BankModel::Checksum).data().toString(), "damaged");
    }
};

QTEST_GUILESS_MAIN(TestBank)
#include "test_bank.moc"
