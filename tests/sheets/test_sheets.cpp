// SPDX-License-Identifier: GPL-3.0-or-later
// Kit sheets read back by other programs: the CSV by Python's csv module,
// the PDF by poppler's pdftotext and pdfinfo (with LC_ALL fixed), and the
// JSON by QJsonDocument. A kit whose name holds quotes, commas, bytes past
// ASCII and control bytes is among the kits of every sheet.

#include "bank/Bank.h"
#include "bank/KitNumbers.h"
#include "kit/KitImage.h"
#include "sheets/KitSheet.h"
#include "sheets/SheetJson.h"
#include "sheets/SheetPdf.h"
#include "sounds/PadSounds.h"
#include "support/TestFiles.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

using namespace tamboril;
using namespace tamboril::test;

namespace {

// The name bytes of kit 5: a quote, a comma, 0xE9 (é), NUL, 0x81 (no
// character in Windows-1252), 0x93 (a curly quote), a line feed, a blank.
const QByteArray OddName("Q\"A,B\xE9\x00\x81\x93\x0A ", 11);
// How the Library shows that name: control characters as '.'.
const QString OddShown = QStringLiteral("Q\"A,B\u00e9..\u201c. ");
const QDateTime Made(QDate(2026, 3, 14), QTime(15, 9));

// 64 kits, kit k numbered k with sounds of its own; kit 9 carries number
// 3 as kit 3 does, so the slots are the positions. Kit 5 has the odd name,
// kit 6 a wrong checksum, kit 7 no 0xF0 in byte 0.
Bank TestBank() {
    Bank bank;
    bank.path = QStringLiteral("/banks/bank, \"live\".syx");
    for (int k = 0; k < 64; ++k) {
        KitData kit = sampleKit(std::uint8_t(k == 9 ? 3 : k),
                                k == 5 ? OddName : QStringLiteral("KIT %1").arg(k).toLatin1()
                                                       .leftJustified(11, ' '));
        for (int pad = 0; pad < PadCount; ++pad) {
            StorePadSound(kit, pad, (k * 37 + pad * 19) % 256);
        }
        StoreChecksum(kit, FileChecksumFirst);
        if (k == 6) {
            kit[ChecksumIndex] = std::uint8_t((kit[ChecksumIndex] + 1) % 128);
        }
        kit[0] = k == 7 ? 0x00 : SysExStart;
        bank.kits.push_back(kit);
    }
    bank.positionSlots = SlotsAsOpened(bank.kits);
    return bank;
}

QString expectedState(int k) {
    // Kit 5's name bytes past 0x7F could not travel in a SysEx message.
    return k == 6 ? QStringLiteral("differs")
                  : k == 5 || k == 7 ? QStringLiteral("damaged") : QStringLiteral("right");
}

QString shownName(int k) {
    return k == 5 ? OddShown : QStringLiteral("KIT %1").arg(k).leftJustified(11, ' ');
}

// A row as the CSV must hold kit k of TestBank at slot `slot`.
QStringList expectedRow(const Bank& bank, int k, const QString& slot) {
    const KitData& kit = bank.kits[std::size_t(k)];
    QStringList row{slot, QString::number(kit[KitNumberIndex]), shownName(k), expectedState(k)};
    for (int pad = 0; pad < PadCount; ++pad) {
        row << QString::number((k * 37 + pad * 19) % 256);
    }
    for (int pad = 0; pad < PadCount; ++pad) {
        row << SoundName((k * 37 + pad * 19) % 256);
    }
    return row;
}

// Runs a program with LC_ALL=C; its standard output.
QByteArray run(const QString& program, const QStringList& args) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    process.setProcessEnvironment(env);
    process.start(program, args);
    if (!process.waitForFinished(60000) || process.exitCode() != 0) {
        qWarning("%s failed: %s", qPrintable(program), process.readAllStandardError().constData());
        return QByteArray();
    }
    return process.readAllStandardOutput();
}

// The rows of a CSV file as Python's csv module reads them, strict about
// quoting.
QList<QStringList> csvRows(const QString& path) {
    const QByteArray json = run(
        QStringLiteral("python3"),
        {QStringLiteral("-c"),
         QStringLiteral("import csv, json, sys\n"
                        "with open(sys.argv[1], newline='', encoding='utf-8') as f:\n"
                        "    print(json.dumps(list(csv.reader(f, strict=True))))"),
         path});
    QList<QStringList> rows;
    for (const QJsonValue& row : QJsonDocument::fromJson(json).array()) {
        rows << row.toVariant().toStringList();
    }
    return rows;
}

QString pdfText(const QString& path) {
    return QString::fromUtf8(run(QStringLiteral("pdftotext"),
                                 {"-layout", "-enc", "UTF-8", path, QStringLiteral("-")}));
}

QString pdfInfo(const QString& path, const QString& field) {
    const QString info = QString::fromUtf8(run(QStringLiteral("pdfinfo"), {path}));
    const QRegularExpression line(QStringLiteral("^%1:\\s*(.*)$").arg(field),
                                  QRegularExpression::MultilineOption);
    return line.match(info).captured(1).trimmed();
}

QString written(const sheets::KitSheet& sheet, sheets::SheetFormat format, const QString& path) {
    const auto failure = sheets::WriteSheet(sheet, format, path);
    return failure ? failure->reason : QString();
}

}  // namespace

class TestSheets : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

  private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }

    void csvReadBackEqualsTheBank() {
        const Bank bank = TestBank();
        const QString path = dir.filePath("bank.csv");
        QCOMPARE(written(sheets::SheetOfBank(bank, {}, Made), sheets::SheetFormat::Csv, path), "");

        const QByteArray bytes = readBytes(path);
        QVERIFY(!bytes.startsWith("\xEF\xBB\xBF"));
        QCOMPARE(bytes.count("\r\n"), 65);
        QCOMPARE(bytes.count('\n'), 65);  // no line feed without its CR
        QVERIFY(bytes.contains("\"Q\"\"A,B\xC3\xA9..\xE2\x80\x9C. \""));

        const QList<QStringList> rows = csvRows(path);
        QCOMPARE(rows.size(), 65);
        QStringList heads{"slot", "number", "name", "checksum"};
        for (int pad = 0; pad < PadCount; ++pad) {
            heads << PadName(pad);
        }
        for (int pad = 0; pad < PadCount; ++pad) {
            heads << PadName(pad) + " sound";
        }
        QCOMPARE(rows[0], heads);
        QCOMPARE(heads[4], QStringLiteral("KICK 1"));
        QCOMPARE(heads.last(), QStringLiteral("BASS sound"));
        for (int k = 0; k < 64; ++k) {
            QCOMPARE(rows[k + 1], expectedRow(bank, k, QString::number(k)));
        }
    }

    // Selected kits in the order given, each at its slot; a bank of one kit
    // (a kit file) has no slot.
    void selectedKitsAndSingleKits() {
        const Bank bank = TestBank();
        const QString path = dir.filePath("some.csv");
        QCOMPARE(written(sheets::SheetOfBank(bank, {12, 5}, Made), sheets::SheetFormat::Csv, path),
                 "");
        QCOMPARE(csvRows(path).mid(1),
                 (QList<QStringList>{expectedRow(bank, 12, "12"), expectedRow(bank, 5, "5")}));

        Bank one;
        one.source = BankSource::KitFile;
        one.path = dir.filePath("odd.syx");
        one.kits = {bank.kits[5]};
        writeBytes(one.path, toBytes(one.kits[0]));
        const sheets::KitSheet single = sheets::SheetOfBank(one, {}, Made);
        QCOMPARE(written(single, sheets::SheetFormat::Csv, path), "");
        QCOMPARE(csvRows(path).mid(1), QList<QStringList>{expectedRow(bank, 5, "")});
        const QString pdf = dir.filePath("odd.pdf");
        QCOMPARE(written(single, sheets::SheetFormat::Pdf, pdf), "");
        QVERIFY(!pdfText(pdf).contains("Slot"));
        QVERIFY2(pdfText(pdf).contains(OddShown.trimmed()), qPrintable(pdfText(pdf)));

        // The JSON of a kit file is the kit file's; of selected kits, theirs.
        QCOMPARE(sheets::SheetJson(single), sheets::KitFileJson(one.path, 197, bank.kits[5]));
        const QJsonObject some = sheets::SheetJson(sheets::SheetOfBank(bank, {12, 5}, Made));
        QCOMPARE(some["kits"].toArray().size(), 2);
        QCOMPARE(some["kits"][1]["position"].toInt(), 5);
        QCOMPARE(some["kits"][1]["name"].toString(), QStringLiteral("Q\"A,B\u00e9") +
                                                         QChar(0) + QChar(0x81) + QChar(0x201C) +
                                                         QStringLiteral("\n "));
    }

    void pdfShowsEveryKitFourToAPage() {
        const Bank bank = TestBank();
        const QString path = dir.filePath("bank.pdf");
        QCOMPARE(written(sheets::SheetOfBank(bank, {}, Made), sheets::SheetFormat::Pdf, path), "");
        QCOMPARE(pdfInfo(path, "Pages"), QStringLiteral("16"));
        QVERIFY2(pdfInfo(path, "Page size").endsWith("(A4)"), qPrintable(pdfInfo(path, "Page size")));

        const QStringList pages = pdfText(path).split(QLatin1Char('\f'), Qt::SkipEmptyParts);
        QCOMPARE(pages.size(), 16);
        for (int k = 0; k < 64; ++k) {
            const QString& page = pages[k / 4];
            const QString slot = QStringLiteral("Slot %1").arg(k, 2, 10, QLatin1Char('0'));
            QVERIFY2(page.contains(QRegularExpression(QRegularExpression::escape(slot) + "\\s+" +
                                                      QRegularExpression::escape(
                                                          shownName(k).trimmed()))),
                     qPrintable(slot + "\n" + page));
            const int number = bank.kits[std::size_t(k)][KitNumberIndex];
            QVERIFY2(page.contains(QRegularExpression(QStringLiteral("number %1\\s+checksum %2")
                                                          .arg(number, 2, 10, QLatin1Char('0'))
                                                          .arg(expectedState(k)))),
                     qPrintable(slot + ":\n" + page));
            for (const int pad : {0, 6, 7, 13}) {
                const int sound = (k * 37 + pad * 19) % 256;
                const QRegularExpression row(QRegularExpression::escape(PadName(pad)) + "\\s+" +
                                             QString::number(sound) + "\\s+" +
                                             QRegularExpression::escape(SoundName(sound).trimmed()));
                QVERIFY2(page.contains(row), qPrintable(row.pattern() + "\n" + page));
            }
            QVERIFY(page.contains(QStringLiteral("page %1 of 16").arg(k / 4 + 1)));
        }
        QVERIFY2(pages[0].contains(QRegularExpression(
                     "/banks/bank, \"live\"\\.syx\\s+made 2026-03-14 15:09")),
                 qPrintable(pages[0]));
    }

    void letterWhereTheLocaleMeasuresInTheUsSystem() {
        QCOMPARE(sheets::SheetPageSize(QLocale(QLocale::English, QLocale::UnitedStates)).id(),
                 QPageSize::Letter);
        QCOMPARE(sheets::SheetPageSize(QLocale(QLocale::English, QLocale::UnitedKingdom)).id(),
                 QPageSize::A4);
        const QString path = dir.filePath("letter.pdf");
        const Bank bank = TestBank();
        writeBytes(path, sheets::SheetPdf(sheets::SheetOfBank(bank, {1, 2, 3, 4, 5}, Made),
                                          sheets::SheetPageLayout(QPageSize(QPageSize::Letter))));
        QVERIFY(pdfInfo(path, "Page size").endsWith("(letter)"));
        QCOMPARE(pdfInfo(path, "Pages"), QStringLiteral("2"));
    }
};

QTEST_MAIN(TestSheets)
#include "test_sheets.moc"
