// SPDX-License-Identifier: GPL-3.0-or-later
// The main window driven as a user drives it: menus, shortcuts, the two
// lists, and what ends up in the files.

#include "ui/FormDriver.h"
#include "kit/KitFile.h"
#include "sounds/PadSounds.h"
#include "support/TestFiles.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QImage>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QScreen>
#include <QSignalSpy>
#include <QWheelEvent>
#include <QtTest>

using namespace tamboril;
using namespace tamboril::test;
using Severity = desktop::Prompts::Severity;

namespace {

// A kit whose pad bytes are chosen per test.
KitData kitWithPad(int pad, std::uint8_t high, std::uint8_t low) {
    KitData kit = sampleKit(7);
    kit[10 + 2 * std::size_t(pad)] = high;
    kit[11 + 2 * std::size_t(pad)] = low;
    return kit;
}

bool messagesEqual(const Message& m, const QString& text, const QString& title, Severity severity) {
    return m.text == text && m.title == title && m.severity == severity;
}

}  // namespace

class TestForm1 : public QObject {
    Q_OBJECT

  private slots:
    void startsWithEditingOffAndTheTimerRunning() {
        FormDriver d;
        QCOMPARE(d.form->windowTitle(), QStringLiteral("Tamboril"));
        QCOMPARE(d.editing(), std::optional<bool>(false));
        QCOMPARE(d.pad()->currentIndex(), -1);
        QCOMPARE(d.sounds()->currentIndex(), -1);
        QCOMPARE(d.label("txtname")->text(), QString());
        QVERIFY(d.label("bar")->isHidden());
        QVERIFY(d.timer()->isActive());
        QCOMPARE(d.timer()->interval(), 1000);
        for (const char* name : {"mnuLoad", "mnuExit", "mnuDeviceChng", "mnuSpliFile", "mnuSend"}) {
            QVERIFY2(d.action(name)->isEnabled(), name);
        }
        QVERIFY(d.form->kitData() == KitData{});
        QCOMPARE(d.form->kitFileName(), QString());
        QCOMPARE(d.prompts.messages.size(), 0);
    }

    void listsHoldThePadsAndSoundsWithTheirPositions() {
        FormDriver d;
        QCOMPARE(d.pad()->count(), 14);
        QCOMPARE(d.sounds()->count(), 256);
        QVERIFY(!d.pad()->isEditable());
        QVERIFY(!d.sounds()->isEditable());
        for (int p = 0; p < 14; ++p) {
            QCOMPARE(d.pad()->itemText(p), PadName(p));
            QCOMPARE(d.pad()->itemData(p).toInt(), p);
        }
        for (int s = 0; s < 256; ++s) {
            QCOMPARE(d.sounds()->itemText(s), SoundEntry(s));
            QCOMPARE(d.sounds()->itemData(s).toInt(), s);
        }
        QCOMPARE(d.pad()->itemText(13), QStringLiteral("BASS"));
        QCOMPARE(d.sounds()->itemText(99), QStringLiteral("99 RockS "));
    }

    void menusHaveTheirCaptionsShortcutsAndSeparators() {
        FormDriver d;
        const QList<QAction*> top = d.form->menuBar()->actions();
        QCOMPARE(top.size(), 3);
        QCOMPARE(top[0]->menu()->objectName(), QStringLiteral("mnuFile"));
        QCOMPARE(top[0]->text(), QStringLiteral("&File"));
        QCOMPARE(top[1]->menu()->objectName(), QStringLiteral("mnuSpilt"));
        QCOMPARE(top[1]->text(), QStringLiteral("&Edit"));
        // Send sits on the menu bar itself and opens no menu.
        QCOMPARE(top[2]->objectName(), QStringLiteral("mnuSend"));
        QCOMPARE(top[2]->text(), QStringLiteral("&Send"));
        QVERIFY(top[2]->menu() == nullptr);

        struct Item {
            const char* name;
            const char* caption;  // nullptr: separator
            const char* shortcut;
        };
        const QList<Item> file = {
            {"mnuLoad", "&Load", "Ctrl+L"}, {"mnuh4", nullptr, ""},
            {"mnusave", "&Save", "Ctrl+S"}, {"mnusaveas", "Save &As", "Ctrl+A"},
            {"mnuh1", nullptr, ""},         {"mnuExit", "E&xit", "Ctrl+X"}};
        const QList<Item> edit = {{"mnuDeviceChng", "&Change Device", "Ctrl+C"},
                                  {"h3", nullptr, ""},
                                  {"mnuSpliFile", "Spilt File", "Ctrl+K"}};
        for (const auto& [menu, items] :
             {std::pair{top[0]->menu(), file}, {top[1]->menu(), edit}}) {
            const QList<QAction*> actions = menu->actions();
            QCOMPARE(actions.size(), items.size());
            for (qsizetype i = 0; i < items.size(); ++i) {
                QCOMPARE(actions[i]->objectName(), QLatin1String(items[i].name));
                QCOMPARE(actions[i]->isSeparator(), items[i].caption == nullptr);
                if (items[i].caption) {
                    QCOMPARE(actions[i]->text(), QLatin1String(items[i].caption));
                    QCOMPARE(actions[i]->shortcut(),
                             QKeySequence(QLatin1String(items[i].shortcut)));
                    QVERIFY(!actions[i]->isCheckable());
                    QVERIFY(actions[i]->isVisible());
                }
            }
        }
    }

    void windowIsFixedCentredAndLaidOutInTwips() {
        FormDriver d;
        const qreal dpi = d.form->screen()->logicalDotsPerInch();
        auto px = [dpi](int twips) { return qRound(twips * dpi / 1440.0); };
        QWidget* client = d.form->centralWidget();
        QCOMPARE(client->size(), QSize(px(3330), px(3360)));
        if (qFuzzyCompare(dpi, 96.0)) {
            QCOMPARE(client->size(), QSize(222, 224));
        }
        d.form->show();
        QVERIFY(QTest::qWaitForWindowExposed(d.form.get()));
        QCOMPARE(d.form->minimumSize(), d.form->maximumSize());
        QCOMPARE(d.form->size(), d.form->minimumSize());
        QCOMPARE(client->geometry().top(), d.form->menuBar()->geometry().bottom() + 1);
        const QPoint offCentre =
            d.form->frameGeometry().center() - d.form->screen()->availableGeometry().center();
        QVERIFY2(offCentre.manhattanLength() <= 4,
                 qPrintable(QStringLiteral("%1,%2").arg(offCentre.x()).arg(offCentre.y())));

        // Back to front: later entries are drawn over earlier ones, the two
        // lists over everything.
        const QList<Place> places = {
            {"Shape7", {360, 120, 2535, 975}},   {"Shape6", {360, 1200, 2535, 1935}},
            {"Shape2", {480, 1200, 2295, 1815}}, {"Shape4", {480, 240, 2295, 855}},
            {"Shape5", {600, 360, 2055, 615}},   {"Label2", {720, 360, 1815, 255}},
            {"Shape1", {600, 1320, 2055, 735}},  {"Shape3", {600, 2160, 2055, 735}},
            {"Label8", {720, 2160, 1815, 255}},  {"Label1", {720, 1320, 1815, 255}},
            {"txtname", {720, 600, 1815, 255}},  {"bar", {0, 3240, 3375, 135}},
            {"Shape8", {240, 120, 2775, 975}},   {"Shape9", {240, 1200, 2775, 1935}},
            {"Pad", {720, 1560, 1815, 315}},     {"SoundNum", {720, 2400, 1815, 315}},
        };
        checkPlaces(client, places, [&](const QRect& t) {
            return QRect(px(t.x()), px(t.y()), px(t.width()), px(t.height()));
        });
        if (QTest::currentTestFailed()) {
            return;
        }

        QCOMPARE(d.label("Label2")->text(), QStringLiteral("Kit Name"));
        QCOMPARE(d.label("Label1")->text(), QStringLiteral("Pad"));
        QCOMPARE(d.label("Label8")->text(), QStringLiteral("Sound #"));
        for (const char* name : {"Label2", "Label1", "Label8"}) {
            const QFont font = d.label(name)->font();
            QCOMPARE(font.family(), QStringLiteral("Verdana"));
            QVERIFY(font.bold());
            QCOMPARE(font.pointSizeF(), 8.25);
        }
        for (QWidget* widget :
             QList<QWidget*>{d.label("txtname"), d.label("bar"), d.pad(), d.sounds()}) {
            QCOMPARE(widget->font().family(), QStringLiteral("MS Sans Serif"));
            QVERIFY(widget->font().bold());
            QCOMPARE(widget->font().pointSizeF(), 8.25);
        }
    }

    void windowIsPaintedInItsColours() {
        FormDriver d;
        const QString kitFile = d.file("kit.syx");
        writeBytes(kitFile, toBytes(sampleKit(7)));
        d.load(kitFile);
        d.form->show();
        QVERIFY(QTest::qWaitForWindowExposed(d.form.get()));
        QWidget* client = d.form->centralWidget();
        const qreal dpi = d.form->screen()->logicalDotsPerInch();
        auto px = [dpi](int twips) { return qRound(twips * dpi / 1440.0); };
        const QImage image = client->grab().toImage();
        auto at = [&](int twipsX, int dx, int twipsY, int dy) {
            return image.pixelColor(px(twipsX) + dx, px(twipsY) + dy);
        };

        QCOMPARE(at(60, 0, 60, 0), bgr(0x800000));               // navy window
        QCOMPARE(at(240, 0, 600, 0), bgr(0xFFC0C0));             // Shape8 outline
        QCOMPARE(at(240, 3, 600, 0), bgr(0x800000));             // inside Shape8: no fill
        QCOMPARE(at(240, 0, 2100, 0), bgr(0xFFC0C0));            // Shape9 outline
        QCOMPARE(at(480, 3, 600, 0), bgr(0xC00000));             // Shape4 dark blue
        QCOMPARE(at(480, 3, 2600, 0), bgr(0xC00000));            // Shape2 dark blue over Shape6
        QCOMPARE(at(600, 0, 660, 0), bgr(0xFFC0C0));             // Shape5 outline
        QCOMPARE(at(600, 3, 660, 0), bgr(0xFF8080));             // Shape5 light blue
        QCOMPARE(at(600, 3, 1700, 0), bgr(0xFF8080));            // Shape1
        QCOMPARE(at(600, 3, 2500, 0), bgr(0xFF8080));            // Shape3
        QCOMPARE(at(720, 3, 600, px(255) / 2), bgr(0xFF0000));   // txtname background
        QCOMPARE(at(720, 2, 1560, px(315) / 2), bgr(0xFF0000));  // Pad background

        // The cross-hatch: light blue lines with the navy window between them.
        QSet<QRgb> hatch;
        for (int x = px(360) + 2; x < px(480) - 1; ++x) {
            for (int y = px(400); y < px(800); ++y) {
                hatch.insert(image.pixel(x, y));
            }
        }
        QCOMPARE(hatch, (QSet<QRgb>{bgr(0xFF8080).rgb(), bgr(0x800000).rgb()}));

        // Text colours: white captions, the kit title in yellow.
        // Inside the label, its border left out.
        auto has = [&](const char* name, auto test) {
            const QRect r = d.label(name)->geometry().adjusted(2, 2, -2, -2);
            for (int x = r.left(); x <= r.right(); ++x) {
                for (int y = r.top(); y <= r.bottom(); ++y) {
                    if (test(image.pixelColor(x, y))) {
                        return true;
                    }
                }
            }
            return false;
        };
        auto white = [](QColor c) { return c.red() > 240 && c.green() > 240 && c.blue() > 240; };
        auto yellow = [](QColor c) { return c.red() > 240 && c.green() > 240 && c.blue() < 40; };
        QVERIFY(has("Label2", white));
        QVERIFY(has("Label1", white));
        QVERIFY(has("Label8", white));
        QVERIFY(has("txtname", yellow));
        QVERIFY(!has("txtname", white));
    }

    void focusGoesFromPadToSoundAndNowhereElse() {
        FormDriver d;
        writeBytes(d.file("kit.syx"), toBytes(sampleKit()));
        d.load(d.file("kit.syx"));
        d.form->show();
        QVERIFY(QTest::qWaitForWindowActive(d.form.get()));
        for (QWidget* widget : d.form->centralWidget()->findChildren<QWidget*>(
                 QString(), Qt::FindDirectChildrenOnly)) {
            const bool list = widget == d.pad() || widget == d.sounds();
            QCOMPARE(widget->focusPolicy() != Qt::NoFocus, list);
        }
        QCOMPARE(d.form->menuBar()->focusPolicy(), Qt::NoFocus);
        d.pad()->setFocus();
        QVERIFY(d.pad()->hasFocus());
        QTest::keyClick(d.pad(), Qt::Key_Tab);
        QVERIFY(d.sounds()->hasFocus());
        QTest::keyClick(d.sounds(), Qt::Key_Tab);
        QVERIFY(d.pad()->hasFocus());
    }

    void loadOfAnEditableKitSwitchesEditingOn() {
        FormDriver d;
        KitData onDisk = kitWithPad(0, 10, 5);
        QByteArray bytes = toBytes(onDisk) + QByteArray(3, '\x11');  // 200 bytes
        const QString kitFile = d.file("kit.syx");
        writeBytes(kitFile, bytes);

        d.load(kitFile);
        QCOMPARE(d.prompts.openFileCalls.size(), 1);
        QCOMPARE(d.prompts.openFileCalls[0].title, QStringLiteral("Load File"));
        QCOMPARE(d.prompts.openFileCalls[0].filter, QStringLiteral("SysEx Files (*.syx)"));
        QCOMPARE(d.prompts.messages.size(), 0);
        QCOMPARE(d.editing(), std::optional<bool>(true));
        QCOMPARE(d.pad()->currentIndex(), 0);
        QCOMPARE(d.sounds()->currentIndex(), 165);
        QCOMPARE(d.sounds()->currentText(), QStringLiteral("165 78 CHH"));
        QCOMPARE(d.label("txtname")->text(), QStringLiteral("07 - TECHNO KIT "));
        QCOMPARE(d.label("txtname")->alignment(), Qt::AlignCenter);
        QVERIFY(d.form->kitData() == onDisk);
        QCOMPARE(d.form->kitFileName(), kitFile);
        QCOMPARE(readBytes(kitFile), bytes);  // loading only reads

        // A second load selects the first pad again.
        FormDriver::pick(d.pad(), 5);
        const QString second = d.file("second.syx");
        writeBytes(second, toBytes(sampleKit(42, "SECOND KIT ")));
        d.load(second);
        QCOMPARE(d.pad()->currentIndex(), 0);
        QCOMPARE(d.label("txtname")->text(), QStringLiteral("42 - SECOND KIT "));
        QCOMPARE(d.form->kitFileName(), second);
    }

    void loadOfANonEditableKitSwitchesEditingOffAndKeepsTheTitle() {
        FormDriver d;
        const QString good = d.file("good.syx");
        writeBytes(good, toBytes(sampleKit(12, "FIRST KIT  ")));
        d.load(good);
        FormDriver::pick(d.pad(), 3);
        FormDriver::pick(d.sounds(), 77);

        KitData foreign = sampleKit(30, "OTHER KIT  ");
        foreign[0] = 0x41;
        const QString other = d.file("other.syx");
        writeBytes(other, toBytes(foreign));
        d.load(other);

        QCOMPARE(d.prompts.messages.size(), 0);
        QCOMPARE(d.editing(), std::optional<bool>(false));
        QCOMPARE(d.label("txtname")->text(), QStringLiteral("12 - FIRST KIT  "));
        QCOMPARE(d.pad()->currentIndex(), 3);
        QCOMPARE(d.sounds()->currentIndex(), 77);
        QVERIFY(d.form->kitData() == foreign);
        QCOMPARE(d.form->kitFileName(), other);

        // An editable kit switches everything on again.
        d.load(good);
        QCOMPARE(d.editing(), std::optional<bool>(true));
    }

    void loadOfALongFileIsRefusedAndChangesNothing() {
        FormDriver d;
        const QString good = d.file("good.syx");
        writeBytes(good, toBytes(sampleKit(3)));
        d.load(good);
        FormDriver::pick(d.pad(), 2);
        const KitData before = d.form->kitData();

        for (qsizetype size : {201, 12608}) {
            const QString big = d.file(QStringLiteral("big%1.syx").arg(size));
            writeBytes(big, QByteArray(size, '\xF0'));
            d.load(big);
            QCOMPARE(d.prompts.messages.size(), 1);
            QVERIFY(messagesEqual(d.prompts.messages.takeFirst(),
                                  QStringLiteral("File needs to be Spilt."),
                                  QStringLiteral("File Exceeds Single Kit"), Severity::None));
            QVERIFY(d.form->kitData() == before);
            QCOMPARE(d.form->kitFileName(), good);
            QCOMPARE(d.editing(), std::optional<bool>(true));
            QCOMPARE(d.pad()->currentIndex(), 2);
            QCOMPARE(d.label("txtname")->text(), QStringLiteral("03 - TECHNO KIT "));
            QCOMPARE(QFileInfo(big).size(), size);
        }
    }

    void unreadableOrCancelledLoadChangesNothing() {
        FormDriver d;
        const QString good = d.file("good.syx");
        writeBytes(good, toBytes(sampleKit(3)));
        d.load(good);
        const KitData before = d.form->kitData();

        const QString missing = d.file("no such kit.syx");
        const QString folder = d.file("a folder.syx");
        QVERIFY(QDir().mkpath(folder));
        const QString pipe = d.file("a pipe.syx");
        makeFifo(pipe);
        // A dialog shows the name "look\xFF.syx", which is not UTF-8, as
        // "look\uFFFD.syx": the same text as the other file's name.
        const QString lookAlike = d.file(QStringLiteral("look\uFFFD.syx"));
        writeBytes(lookAlike, toBytes(sampleKit(9)));
        const QByteArray notUtf8 = QFile::encodeName(d.file("look")) + "\xFF.syx";
        writeBytesNamed(notUtf8, toBytes(sampleKit(10)));
        for (const QString& bad : {missing, folder, pipe, lookAlike}) {
            d.load(bad);
            QCOMPARE(d.prompts.messages.size(), 1);
            const Message m = d.prompts.messages.takeFirst();
            QCOMPARE(m.title, QStringLiteral("Tamboril"));
            QVERIFY2(m.text.contains(bad), qPrintable(m.text));
            QVERIFY2(m.text.count(QLatin1Char('\n')) >= 1, qPrintable(m.text));  // and a reason
            QVERIFY(d.form->kitData() == before);
            QCOMPARE(d.form->kitFileName(), good);
            QCOMPARE(d.editing(), std::optional<bool>(true));
        }
        QVERIFY(!QFileInfo::exists(missing));  // loading never creates a file

        d.load(std::nullopt);  // cancelled
        d.load(QString());     // no name
        QCOMPARE(d.prompts.messages.size(), 0);
        QVERIFY(d.form->kitData() == before);
        QCOMPARE(d.form->kitFileName(), good);
        QCOMPARE(d.prompts.unexpected, 0);

        // Save As onto the look-alike name changes neither file.
        d.prompts.saveAsTypedAnswers << lookAlike;
        d.action("mnusaveas")->trigger();
        QCOMPARE(d.prompts.messages.size(), 1);
        QVERIFY2(d.prompts.messages.takeFirst().text.contains("cannot tell the two apart"),
                 "Save As");
        QCOMPARE(readBytes(lookAlike), toBytes(sampleKit(9)));
        QCOMPARE(readBytesNamed(notUtf8), toBytes(sampleKit(10)));
    }

    void pickingASoundRewritesOnlyThePadsTwoBytes() {
        FormDriver d;
        const QString kitFile = d.file("kit.syx");
        writeBytes(kitFile, toBytes(sampleKit()));
        d.load(kitFile);

        struct Case {
            int pad, sound;
            std::uint8_t high, low;
        };
        for (const Case& c : {Case{0, 0, 0, 0}, Case{0, 15, 0, 15}, Case{0, 16, 1, 0},
                              Case{0, 255, 15, 15}, Case{13, 255, 15, 15}, Case{6, 42, 2, 10}}) {
            KitData expected = d.form->kitData();
            expected[10 + 2 * std::size_t(c.pad)] = c.high;
            expected[11 + 2 * std::size_t(c.pad)] = c.low;
            FormDriver::pick(d.pad(), c.pad);
            FormDriver::pick(d.sounds(), c.sound);
            QVERIFY2(d.form->kitData() == expected,
                     qPrintable(QStringLiteral("pad %1 sound %2").arg(c.pad).arg(c.sound)));
        }
        // Picking a pad shows its sound and writes nothing.
        const KitData stored = d.form->kitData();
        FormDriver::pick(d.pad(), 0);
        QCOMPARE(d.sounds()->currentIndex(), 255);
        FormDriver::pick(d.pad(), 6);
        QCOMPARE(d.sounds()->currentText(), QStringLiteral("42 Saw B3"));
        FormDriver::pick(d.pad(), 1);
        QCOMPARE(d.sounds()->currentIndex(), 0x23);  // sample kit: bytes 2 and 3
        QVERIFY(d.form->kitData() == stored);
        QCOMPARE(readBytes(kitFile), toBytes(sampleKit()));  // nothing saved yet
    }

    void keyboardPicksStoreLikeMousePicks() {
        FormDriver d;
        writeBytes(d.file("kit.syx"), toBytes(kitWithPad(0, 0, 0)));
        d.load(d.file("kit.syx"));
        d.form->show();
        QVERIFY(QTest::qWaitForWindowActive(d.form.get()));

        d.pad()->setFocus();
        QTest::keyClick(d.pad(), Qt::Key_Down);  // KICK 2: bytes 2 and 3 in the sample kit
        QCOMPARE(d.pad()->currentIndex(), 1);
        QCOMPARE(d.sounds()->currentIndex(), 0x23);
        QTest::keyClick(d.pad(), Qt::Key_Up);
        QCOMPARE(d.sounds()->currentIndex(), 0);

        d.sounds()->setFocus();
        QTest::keyClick(d.sounds(), Qt::Key_End);
        QCOMPARE(d.sounds()->currentIndex(), 255);
        QCOMPARE(d.form->kitData()[10], 15);
        QCOMPARE(d.form->kitData()[11], 15);
        QTest::keyClick(d.sounds(), Qt::Key_Up);
        QCOMPARE(d.form->kitData()[10], 15);
        QCOMPARE(d.form->kitData()[11], 14);
    }

    // A wheel turned over a list that does not have the focus (on its way
    // elsewhere) changes nothing; over the list with the focus it picks, and
    // a sound picked so is stored like any other pick.
    void theWheelPicksOnlyInTheListWithTheFocus() {
        FormDriver d;
        writeBytes(d.file("kit.syx"), toBytes(kitWithPad(0, 0, 5)));
        d.load(d.file("kit.syx"));
        d.form->show();
        QVERIFY(QTest::qWaitForWindowActive(d.form.get()));
        const KitData before = d.form->kitData();
        const auto turn = [](QComboBox* box) {
            const QPointF at(box->rect().center());
            QWheelEvent wheel(at, box->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton,
                              Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(box, &wheel);
        };

        d.form->setFocus();
        turn(d.pad());
        turn(d.sounds());
        QCOMPARE(d.pad()->currentIndex(), 0);
        QCOMPARE(d.sounds()->currentIndex(), 5);
        d.pad()->setFocus();
        turn(d.sounds());
        QCOMPARE(d.sounds()->currentIndex(), 5);
        QVERIFY(d.form->kitData() == before);

        d.sounds()->setFocus();
        turn(d.sounds());
        QCOMPARE(d.sounds()->currentIndex(), 6);
        QCOMPARE(d.form->kitData()[11], 6);
        d.pad()->setFocus();
        turn(d.pad());
        QCOMPARE(d.pad()->currentIndex(), 1);
    }

    void lookingAtAForeignPadNeverRewritesIt() {
        // Pad bytes above 15 come only from files made elsewhere. Showing such
        // a pad selects the sound they read as, but stores nothing.
        FormDriver d;
        KitData foreign = kitWithPad(0, 0x21, 0x3A);
        foreign[12] = 0xFF;
        foreign[13] = 0x10;
        const QString kitFile = d.file("foreign.syx");
        writeBytes(kitFile, toBytes(foreign));
        d.load(kitFile);
        QCOMPARE(d.sounds()->currentText(), QStringLiteral("42 Saw B3"));
        FormDriver::pick(d.pad(), 1);
        QCOMPARE(d.sounds()->currentIndex(), 0xF0);
        FormDriver::pick(d.pad(), 0);
        QVERIFY(d.form->kitData() == foreign);

        d.action("mnusave")->trigger();
        const QByteArray saved = readBytes(kitFile);
        QCOMPARE(quint8(saved[10]), 0x21);
        QCOMPARE(quint8(saved[11]), 0x3A);
        QCOMPARE(quint8(saved[12]), 0xFF);
        QCOMPARE(quint8(saved[13]), 0x10);

        // A pick by the user does store, as two digits.
        FormDriver::pick(d.sounds(), 42);
        QCOMPARE(d.form->kitData()[10], 2);
        QCOMPARE(d.form->kitData()[11], 10);
    }

    void saveWritesTheKitWithTheFileChecksum() {
        FormDriver d;
        KitData original = sampleKit(9);
        original[196] = 0x33;  // written back as read
        const QString kitFile = d.file("kit.syx");
        writeBytes(kitFile, toBytes(original) + QByteArray(3, '\x7E'));  // 200 bytes
        d.load(kitFile);
        FormDriver::pick(d.pad(), 4);
        FormDriver::pick(d.sounds(), 200);

        KitData expected = original;
        StorePadSound(expected, 4, 200);
        const std::uint8_t checksum = ChecksumFrom(expected, FileChecksumFirst);
        QVERIFY(checksum != original[ChecksumIndex]);  // the test would see no change otherwise
        expected[ChecksumIndex] = checksum;

        d.action("mnusave")->trigger();
        QCOMPARE(readBytes(kitFile), toBytes(expected));
        QVERIFY(d.form->kitData() == expected);
        QCOMPARE(d.prompts.saveAsTypedCalls.size(), 0);
        QCOMPARE(d.prompts.messages.size(), 1);
        QVERIFY(messagesEqual(d.prompts.messages[0], QStringLiteral("Saved Complete."),
                              QStringLiteral("Save Complete"), Severity::None));
    }

    void saveAsWritesTheChosenNameAndSaveFollowsIt() {
        FormDriver d;
        const KitData original = sampleKit(21);
        const QString loaded = d.file("loaded.syx");
        writeBytes(loaded, toBytes(original));
        d.load(loaded);

        // An existing longer file is replaced, and the name is used as typed.
        const QString chosen = d.file("my kit");
        writeBytes(chosen, QByteArray(12608, 'x'));
        d.prompts.saveAsTypedAnswers << chosen;
        d.action("mnusaveas")->trigger();
        QCOMPARE(d.prompts.saveAsTypedCalls.size(), 1);
        QCOMPARE(d.prompts.saveAsTypedCalls[0].title, QStringLiteral("Save File"));
        QCOMPARE(d.prompts.saveAsTypedCalls[0].filter, QStringLiteral("SysEx Files (*.syx)"));
        QCOMPARE(d.prompts.messages.size(), 0);  // Save As confirms nothing
        KitData expected = original;
        StoreChecksum(expected, FileChecksumFirst);
        QCOMPARE(readBytes(chosen), toBytes(expected));
        QVERIFY(!QFileInfo::exists(chosen + ".syx"));
        QCOMPARE(d.form->kitFileName(), chosen);

        // Save now writes to the new name; the loaded file stays as it was.
        FormDriver::pick(d.pad(), 13);
        FormDriver::pick(d.sounds(), 1);
        d.action("mnusave")->trigger();
        StorePadSound(expected, 13, 1);
        StoreChecksum(expected, FileChecksumFirst);
        QCOMPARE(readBytes(chosen), toBytes(expected));
        QCOMPARE(readBytes(loaded), toBytes(original));
    }

    void cancelledSaveAsStillStoresTheChecksum() {
        FormDriver d;
        KitData original = sampleKit(21);
        original[ChecksumIndex] = 99;
        const QString loaded = d.file("loaded.syx");
        writeBytes(loaded, toBytes(original));
        d.load(loaded);
        QVERIFY(ChecksumFrom(original, FileChecksumFirst) != 99);

        d.prompts.saveAsTypedAnswers << std::nullopt;
        d.action("mnusaveas")->trigger();
        QCOMPARE(d.form->kitData()[ChecksumIndex], ChecksumFrom(original, FileChecksumFirst));
        QCOMPARE(readBytes(loaded), toBytes(original));
        QCOMPARE(d.form->kitFileName(), loaded);
        QCOMPARE(d.prompts.messages.size(), 0);
        QCOMPARE(QDir(d.files.path()).entryList(QDir::Files), QStringList{"loaded.syx"});
    }

    void failedSavesAreReportedAndLoseNothing() {
        FormDriver d;
        const KitData original = sampleKit(5);
        const QString loaded = d.file("loaded.syx");
        writeBytes(loaded, toBytes(original));
        d.load(loaded);
        FormDriver::pick(d.sounds(), 100);
        const KitData edited = d.form->kitData();

        // Save As into a folder that does not exist.
        const QString orphan = d.file("nowhere/kit.syx");
        d.prompts.saveAsTypedAnswers << orphan;
        d.action("mnusaveas")->trigger();
        QCOMPARE(d.prompts.messages.size(), 1);
        Message m = d.prompts.messages.takeFirst();
        QCOMPARE(m.title, QStringLiteral("Tamboril"));
        QVERIFY2(m.text.contains(orphan), qPrintable(m.text));
        QVERIFY(!QFileInfo::exists(d.file("nowhere")));
        // Save still writes to the file that holds the kit.
        QCOMPARE(d.form->kitFileName(), loaded);
        QCOMPARE(readBytes(loaded), toBytes(original));

        // Save onto a name that is now a folder: no confirmation, the folder
        // and what it holds stay, and the edit is still in the window.
        QVERIFY(QFile::remove(loaded));
        QVERIFY(QDir().mkpath(loaded + "/inside"));
        d.action("mnusave")->trigger();
        QCOMPARE(d.prompts.messages.size(), 1);
        m = d.prompts.messages.takeFirst();
        QCOMPARE(m.title, QStringLiteral("Tamboril"));
        QVERIFY2(m.text.contains(loaded), qPrintable(m.text));
        QVERIFY(QFileInfo(loaded + "/inside").isDir());
        KitData expected = edited;
        StoreChecksum(expected, FileChecksumFirst);
        QVERIFY(d.form->kitData() == expected);

        // Once the way is clear the same kit saves.
        QVERIFY(QDir(loaded).removeRecursively());
        d.action("mnusave")->trigger();
        QCOMPARE(d.prompts.messages.size(), 1);
        QCOMPARE(d.prompts.messages[0].text, QStringLiteral("Saved Complete."));
        QCOMPARE(readBytes(loaded), toBytes(expected));
    }

    void splitWritesSixtyFourKitsIntoTheProgramFolder() {
        FormDriver d;
        const QString loaded = d.file("loaded.syx");
        writeBytes(loaded, toBytes(sampleKit(1)));
        d.load(loaded);
        const KitData before = d.form->kitData();

        const QByteArray bulk = sampleBulk();
        const QString bulkFile = d.file("bulk.syx");
        writeBytes(bulkFile, bulk);
        d.prompts.openFileAnswers << bulkFile;
        d.action("mnuSpliFile")->trigger();

        QCOMPARE(d.prompts.openFileCalls.last().title, QStringLiteral("Load File"));
        QCOMPARE(d.prompts.openFileCalls.last().filter, QStringLiteral("SysEx Files (*.syx)"));
        QCOMPARE(d.prompts.messages.size(), 1);
        QVERIFY(messagesEqual(d.prompts.messages[0],
                              QStringLiteral("Files Spilt to : ") + d.folder.path(),
                              QStringLiteral("Done"), Severity::None));
        const QDir folder(d.folder.path());
        QCOMPARE(folder.entryList(QDir::Files).size(), 64);
        QCOMPARE(readBytes(folder.filePath("Kit - 63.syx")), bulk.left(197));
        QCOMPARE(readBytes(folder.filePath("Kit - 09.syx")), bulk.mid(54 * 197, 197));
        QCOMPARE(readBytes(folder.filePath("Kit - 00.syx")), bulk.right(197));
        // The kit in the window and the file Save writes to are untouched.
        QVERIFY(d.form->kitData() == before);
        QCOMPARE(d.form->kitFileName(), loaded);
        QCOMPARE(d.editing(), std::optional<bool>(true));
    }

    void failedOrCancelledSplitWritesNothing() {
        FormDriver d;
        const QString pipe = d.file("a pipe.syx");
        makeFifo(pipe);
        const QString single = d.file("single.syx");  // a kit file chosen by mistake
        writeBytes(single, toBytes(sampleKit()));
        d.prompts.openFileAnswers << std::nullopt << QString() << d.file("missing.syx") << pipe
                                  << single;
        for (int i = 0; i < 5; ++i) {
            d.action("mnuSpliFile")->trigger();
        }
        QCOMPARE(d.prompts.messages.size(), 3);
        const Message m = d.prompts.messages[0];
        QCOMPARE(m.title, QStringLiteral("Tamboril"));
        QVERIFY2(m.text.contains(d.file("missing.syx")), qPrintable(m.text));
        // A named pipe is refused at once, not waited on.
        const Message p = d.prompts.messages[1];
        QVERIFY2(p.text.contains(pipe) && p.text.contains("named pipe"), qPrintable(p.text));
        QVERIFY(messagesEqual(d.prompts.messages[2],
                              single +
                                  " is not a bulk dump: it is 197 bytes long. A bulk dump holds "
                                  "64 kits of 197 bytes, 12608 bytes in all.\nNo kit files were "
                                  "written.",
                              QStringLiteral("Tamboril"), Severity::None));
        QCOMPARE(QDir(d.folder.path()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot),
                 QStringList());
        QVERIFY(!QFileInfo::exists(d.file("missing.syx")));
    }

    void shortcutsReachOnlyEnabledCommands() {
        FormDriver d;
        d.form->show();
        QVERIFY(QTest::qWaitForWindowActive(d.form.get()));
        auto key = [&](Qt::Key k) { QTest::keyClick(d.form.get(), k, Qt::ControlModifier); };
        QSignalSpy saved(d.action("mnusave"), &QAction::triggered);
        QSignalSpy savedAs(d.action("mnusaveas"), &QAction::triggered);
        QSignalSpy device(d.action("mnuDeviceChng"), &QAction::triggered);

        // At start Save and Save As are off: their keys do nothing.
        key(Qt::Key_S);
        key(Qt::Key_A);
        QCOMPARE(saved.size(), 0);
        QCOMPARE(savedAs.size(), 0);
        QCOMPARE(d.prompts.saveAsTypedCalls.size(), 0);
        QCOMPARE(d.prompts.messages.size(), 0);

        key(Qt::Key_C);
        QCOMPARE(device.size(), 1);
        d.prompts.openFileAnswers << std::nullopt;
        key(Qt::Key_K);  // Spilt File asks for the bulk file
        QCOMPARE(d.prompts.openFileCalls.size(), 1);

        const QString kitFile = d.file("kit.syx");
        writeBytes(kitFile, toBytes(sampleKit()));
        d.prompts.openFileAnswers << kitFile;
        key(Qt::Key_L);
        QCOMPARE(d.prompts.openFileCalls.size(), 2);
        QCOMPARE(d.editing(), std::optional<bool>(true));

        key(Qt::Key_S);
        QCOMPARE(saved.size(), 1);
        QCOMPARE(d.prompts.messages.size(), 1);
        QCOMPARE(d.prompts.messages[0].text, QStringLiteral("Saved Complete."));
        d.prompts.saveAsTypedAnswers << std::nullopt;
        key(Qt::Key_A);
        QCOMPARE(savedAs.size(), 1);
        QCOMPARE(d.prompts.saveAsTypedCalls.size(), 1);

        // A kit that cannot be edited switches both keys off again.
        KitData foreign = sampleKit();
        foreign[0] = 0;
        writeBytes(kitFile, toBytes(foreign));
        d.prompts.openFileAnswers << kitFile;
        key(Qt::Key_L);
        QCOMPARE(d.editing(), std::optional<bool>(false));
        key(Qt::Key_S);
        key(Qt::Key_A);
        QCOMPARE(saved.size(), 1);
        QCOMPARE(savedAs.size(), 1);
        QCOMPARE(d.prompts.messages.size(), 1);
        QCOMPARE(readBytes(kitFile), toBytes(foreign));
        QCOMPARE(d.prompts.unexpected, 0);
    }

    void timerTickHidesTheStripAndStops() {
        FormDriver d;
        d.form->show();
        QVERIFY(d.timer()->isActive());
        QElapsedTimer clock;
        clock.start();
        // The start tick hides a strip that is not shown and stops the timer.
        QTRY_VERIFY_WITH_TIMEOUT(!d.timer()->isActive(), 10000);
        QVERIFY(clock.elapsed() >= 900);
        QVERIFY(d.label("bar")->isHidden());
        // Stopped means stopped: no later tick hides a strip shown since.
        d.label("bar")->show();
        QTest::qWait(1300);
        QVERIFY(d.label("bar")->isVisible());
    }

    // Ending the program: run the application's event loop and see it end.
    void exitEndsTheProgramEvenWithAnotherWindowOpen_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("File, Exit") << "menu";
        QTest::newRow("Ctrl+X") << "key";
        QTest::newRow("closing the window") << "close";
    }
    void exitEndsTheProgramEvenWithAnotherWindowOpen() {
        QFETCH(QString, how);
        FormDriver d;
        const QString kitFile = d.file("kit.syx");
        writeBytes(kitFile, toBytes(sampleKit()));
        d.load(kitFile);
        FormDriver::pick(d.sounds(), 12);  // an unsaved edit: nothing is asked
        d.form->show();
        // The device selection window is open beside it.
        d.action("mnuDeviceChng")->trigger();
        QPointer<ui::MidDev> other = d.midDev();
        QVERIFY(QTest::qWaitForWindowExposed(other));
        QWidget hidden;  // and some window of the program is hidden
        hidden.hide();
        d.form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(d.form.get()));

        QTimer::singleShot(0, d.form.get(), [&] {
            if (how == "menu") {
                d.action("mnuExit")->trigger();
            } else if (how == "key") {
                QTest::keyClick(d.form.get(), Qt::Key_X, Qt::ControlModifier);
            } else {
                d.form->close();
            }
        });
        QTimer watchdog;  // the program did not end
        watchdog.setSingleShot(true);
        connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(99); });
        watchdog.start(5000);
        QCOMPARE(QCoreApplication::exec(), 0);
        QCOMPARE(d.prompts.messages.size(), 0);
        QCOMPARE(readBytes(kitFile), toBytes(sampleKit()));
        // The device window went with the main window.
        QVERIFY(other.isNull() || other->isHidden());
        d.form.reset();
        QVERIFY(other.isNull());
    }
};

QTEST_MAIN(TestForm1)
#include "test_form1.moc"
