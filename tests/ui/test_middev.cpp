// SPDX-License-Identifier: GPL-3.0-or-later
// The device selection window: its look, the port list, the choice it keeps
// and the device Send opens for it, its life beside the main window. The MIDI
// output is a fake whose ports and failures each test picks.

#include "support/FakeMidiOut.h"
#include "ui/FormDriver.h"
#include "support/TestFiles.h"

#include <QApplication>
#include <QEventLoop>
#include <QImage>
#include <QPointer>
#include <QSignalSpy>
#include <QtTest>

using namespace tamboril;
using namespace tamboril::test;
using Severity = desktop::Prompts::Severity;

namespace {

const QColor Navy = bgr(0x800000);
const QColor DarkBlue = bgr(0xC00000);
const QColor LightBlue = bgr(0xFF8080);
const QColor White = bgr(0xFFFFFF);
const QColor Yellow = bgr(0x00FFFF);
const QColor Red = bgr(0x0000FF);

// The four colours of the Select button, in the order its looks set them:
// label text, face border, face fill, frame border.
QList<QColor> selectLook(const FormDriver& d) {
    auto* face = d.inMidDev<ui::RoundedShape>("ShpPatch");
    auto* frame = d.inMidDev<ui::RoundedShape>("Shape6");
    return {d.inMidDev<QLabel>("OK")->palette().color(QPalette::WindowText), face->outlineColor(),
            face->fillColor(), frame->outlineColor()};
}

const QList<QColor> Highlighted = {Yellow, Yellow, Red, Yellow};
const QList<QColor> Normal = {White, White, LightBlue, White};

// Pointer movement to `pos` in `widget`, delivered through its window the way
// the window system delivers it: to whatever lies under the pointer there.
void moveTo(QWidget* widget, QPoint pos) {
    QWidget* window = widget->window();
    QTest::mouseMove(window->windowHandle(), widget->mapTo(window, pos));
}

// The device numbers Send opened, in order.
QList<int> openedDevices(const FakeMidiOut& midi) {
    QList<int> devices;
    for (const QString& call : midi.calls) {
        if (call.startsWith(QStringLiteral("open "))) {
            devices << call.mid(5).toInt();
        }
    }
    return devices;
}

}  // namespace

class TestMidDev : public QObject {
    Q_OBJECT

  private slots:
    void windowIsLaidOutInPixelsAndColours() {
        FakeMidiOut midi;
        midi.ports = {QStringLiteral("Synth A"), QStringLiteral("Drums")};
        FormDriver d(&midi);
        d.form->show();
        d.action("mnuDeviceChng")->trigger();
        ui::MidDev* window = d.midDev();
        QVERIFY(window != nullptr);
        QVERIFY(QTest::qWaitForWindowExposed(window));

        QCOMPARE(window->windowTitle(), QStringLiteral("Select MIDI Output Device"));
        QVERIFY(window->isWindow());
        QCOMPARE(window->parentWidget(), nullptr);
        QCOMPARE(window->size(), QSize(226, 126));
        QCOMPARE(window->minimumSize(), window->maximumSize());
        QCOMPARE(window->font().family(), QStringLiteral("MS Sans Serif"));
        QVERIFY(window->font().bold());
        QCOMPARE(window->font().pointSizeF(), 8.25);

        // Back to front among the button's parts: the Select label on top.
        const QList<Place> places = {
            {"ShpPatch", {64, 96, 89, 25}}, {"Shape6", {56, 96, 105, 25}},
            {"OK", {56, 96, 105, 25}},      {"List1", {8, 16, 209, 69}},
            {"Text", {88, 128, 73, 33}},
        };
        checkPlaces(window, places);
        if (QTest::currentTestFailed()) {
            return;
        }

        auto* text = d.inMidDev<QLineEdit>("Text");
        QVERIFY(text->isHidden());
        QCOMPARE(text->text(), QStringLiteral("Text"));
        auto* ok = d.inMidDev<QLabel>("OK");
        QCOMPARE(ok->text(), QStringLiteral("Select"));
        QCOMPARE(ok->alignment(), Qt::AlignCenter);
        QCOMPARE(ok->font().family(), QStringLiteral("MS Sans Serif"));
        QVERIFY(ok->font().bold());
        QCOMPARE(ok->font().pointSizeF(), 12.0);
        QCOMPARE(ok->focusPolicy(), Qt::NoFocus);
        auto* face = d.inMidDev<ui::RoundedShape>("ShpPatch");
        QCOMPARE(face->fill(), ui::RoundedShape::Fill::CrossHatch);
        QCOMPARE(d.inMidDev<ui::RoundedShape>("Shape6")->fill(), ui::RoundedShape::Fill::None);
        // Until the pointer first moves, both borders have the system's
        // window background colour and the label is white.
        const QColor systemWindow = QApplication::palette().color(QPalette::Base);
        QCOMPARE(selectLook(d), (QList<QColor>{White, systemWindow, LightBlue, systemWindow}));

        const QImage image = window->grab().toImage();
        QCOMPARE(image.pixelColor(3, 3), Navy);
        QCOMPARE(image.pixelColor(3, 110), Navy);
        QListWidget* list = d.deviceList();
        const QRect lastRow = list->visualItemRect(list->item(list->count() - 1));
        QCOMPARE(
            image.pixelColor(list->geometry().topLeft() + list->viewport()->geometry().topLeft() +
                             QPoint(lastRow.right() - 2, lastRow.bottom() + 6)),
            DarkBlue);
        QCOMPARE(list->palette().color(QPalette::Text), White);
        // The button's face: light blue hatch lines with the navy window
        // between them.
        QSet<QRgb> hatch;
        for (int x = 66; x < 72; ++x) {
            for (int y = 98; y < 119; ++y) {
                hatch.insert(image.pixel(x, y));
            }
        }
        QCOMPARE(hatch, (QSet<QRgb>{LightBlue.rgb(), Navy.rgb()}));
        // White Select text on the face.
        bool whiteText = false;
        for (int x = 70; x < 150 && !whiteText; ++x) {
            for (int y = 100; y < 118 && !whiteText; ++y) {
                whiteText = image.pixelColor(x, y) == White;
            }
        }
        QVERIFY(whiteText);
    }

    void listShowsDeviceNotEnabledThenEveryPortWhole() {
        FakeMidiOut midi;
        const QString longName =
            QStringLiteral("USB MIDI Interface with a very long name:Port 1 (out) 24:0");
        midi.ports = {QStringLiteral("Synth A"), longName, QStringLiteral("Drums")};
        FormDriver d(&midi);
        d.action("mnuDeviceChng")->trigger();
        QCOMPARE(d.deviceEntries(),
                 (QStringList{"Device not enabled", "Synth A", longName, "Drums"}));
        QVERIFY(longName.size() > 32);
        QCOMPARE(d.deviceList()->selectedItems().size(), 0);
        QCOMPARE(midi.calls, (QStringList{"numDevs", "devName 0", "devName 1", "devName 2"}));
        QCOMPARE(d.prompts.messages.size(), 0);
    }

    void aFailingNameQueryStopsTheList() {
        for (const int code : {5, -1}) {
            FakeMidiOut midi;
            midi.ports = {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")};
            midi.devNameFailsAt = 1;
            midi.devNameResult = code;
            FormDriver d(&midi);
            d.loadKit();
            d.action("mnuDeviceChng")->trigger();
            QCOMPARE(d.deviceEntries(), (QStringList{"Device not enabled", "A"}));
            QCOMPARE(midi.calls, (QStringList{"numDevs", "devName 0", "devName 1"}));
            QCOMPARE(d.prompts.messages.size(), 1);
            QCOMPARE(d.prompts.messages[0].text,
                     QStringLiteral("midiOutGetDevCaps Error: %1").arg(code));
            QCOMPARE(d.prompts.messages[0].title, QStringLiteral("Tamboril"));
            QCOMPARE(d.prompts.messages[0].severity, Severity::None);
            // The window is still there and the listed port can be chosen.
            QVERIFY(d.midDev()->isVisible());
            d.chooseDevice(1);
            QCOMPARE(d.deviceChoice(), QStringLiteral(" 1"));
            d.action("mnuSend")->trigger();
            QCOMPARE(midi.sent.size(), 1);
            QCOMPARE(midi.openedDevice, 0);
        }
    }

    void withoutPortsOnlyDeviceNotEnabledIsListedAndItsOpenFails() {
        FakeMidiOut midi;
        midi.texts[midi::BadDeviceId] =
            QStringLiteral("This system has no default MIDI output port.");
        FormDriver d(&midi);
        d.loadKit();
        d.form->show();
        d.chooseDevice(0);
        QCOMPARE(d.deviceEntries(), QStringList{"Device not enabled"});
        QCOMPARE(d.deviceChoice(), QStringLiteral(" 0"));
        QVERIFY(d.midDev()->isHidden());

        d.timer()->stop();
        d.action("mnuSend")->trigger();
        QCOMPARE(openedDevices(midi), QList<int>{-1});
        QCOMPARE(d.prompts.messages.size(), 1);
        QCOMPARE(d.prompts.messages[0].text,
                 QStringLiteral("Operation: Open\r\nThis system has no default MIDI output port."));
        QCOMPARE(d.prompts.messages[0].title, QStringLiteral("Tamboril"));
        QCOMPARE(d.prompts.messages[0].severity, Severity::None);
        QVERIFY(midi.sent.isEmpty());
        QVERIFY(!midi.isOpen());
        // Nothing went out: the strip shows, blue, and no timer hides it.
        QVERIFY(!d.label("bar")->isHidden());
        QCOMPARE(d.label("bar")->palette().color(QPalette::Window), bgr(0xFF0000));
        QVERIFY(!d.timer()->isActive());
    }

    void theChoiceGivesTheDeviceSendOpens() {
        FakeMidiOut midi;
        midi.ports = {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")};
        FormDriver d(&midi);
        d.loadKit();
        d.form->show();

        // No window yet: Send makes it, hidden, lists the ports then and
        // asks for the default output.
        QVERIFY(d.midDev() == nullptr);
        d.action("mnuSend")->trigger();
        QVERIFY(d.midDev() != nullptr);
        QVERIFY(d.midDev()->isHidden());
        QCOMPARE(d.deviceChoice(), QStringLiteral("Text"));
        QCOMPARE(d.deviceEntries().size(), 4);
        QCOMPARE(midi.calls.first(), QStringLiteral("numDevs"));
        QCOMPARE(openedDevices(midi), QList<int>{-1});
        QCOMPARE(d.prompts.messages.size(), 1);
        QVERIFY(d.prompts.messages[0].text.startsWith(QStringLiteral("Operation: Open\r\n")));

        // "Device not enabled" stands for the default output too.
        d.chooseDevice(0);
        QCOMPARE(d.deviceChoice(), QStringLiteral(" 0"));
        d.action("mnuSend")->trigger();
        QCOMPARE(openedDevices(midi), (QList<int>{-1, -1}));

        // Entry 2 is the second port, device 1.
        d.chooseDevice(2);
        QCOMPARE(d.deviceChoice(), QStringLiteral(" 2"));
        QVERIFY(d.midDev()->isHidden());
        d.action("mnuSend")->trigger();
        QCOMPARE(openedDevices(midi), (QList<int>{-1, -1, 1}));
        QCOMPARE(midi.sent.size(), 1);
        QCOMPARE(midi.openedDevice, 1);

        // Select with nothing selected stores "-1", the window stays, and a
        // send asks for device -2, which fails to open.
        d.chooseDevice(-1);
        QCOMPARE(d.deviceChoice(), QStringLiteral("-1"));
        QVERIFY(d.midDev()->isVisible());
        const qsizetype before = d.prompts.messages.size();
        d.action("mnuSend")->trigger();
        QCOMPARE(openedDevices(midi).last(), -2);
        QCOMPARE(d.prompts.messages.size(), before + 1);
        QVERIFY(d.prompts.messages.last().text.startsWith(QStringLiteral("Operation: Open\r\n")));
        QCOMPARE(midi.sent.size(), 1);
        // The list was read once, when the window was made.
        QCOMPARE(midi.calls.count(QStringLiteral("numDevs")), 1);
    }

    void choiceTextReadsAsItsLeadingNumber() {
        using ui::MidDev;
        QCOMPARE(MidDev::choiceValue(QStringLiteral("Text")), 0);
        QCOMPARE(MidDev::choiceValue(QStringLiteral(" 0")), 0);
        QCOMPARE(MidDev::choiceValue(QStringLiteral(" 3")), 3);
        QCOMPARE(MidDev::choiceValue(QStringLiteral(" 12")), 12);
        QCOMPARE(MidDev::choiceValue(QStringLiteral("-1")), -1);
        QCOMPARE(MidDev::choiceValue(QStringLiteral("  7x")), 7);
        QCOMPARE(MidDev::choiceValue(QString()), 0);
        QCOMPARE(MidDev::choiceValue(QStringLiteral("99999999999")), INT_MAX);
    }

    void selectHidesTheWindowAndBringsTheMainWindowForward() {
        FakeMidiOut midi;
        midi.ports = {QStringLiteral("A")};
        FormDriver d(&midi);
        d.form->show();
        QVERIFY(QTest::qWaitForWindowActive(d.form.get()));
        d.action("mnuDeviceChng")->trigger();
        QVERIFY(QTest::qWaitForWindowActive(d.midDev()));
        QSignalSpy chosen(d.midDev(), &ui::MidDev::chosen);
        d.chooseDevice(1);
        QCOMPARE(chosen.size(), 1);
        QVERIFY(d.midDev()->isHidden());
        QTRY_VERIFY(QApplication::activeWindow() == d.form.get());
        QCOMPARE(d.prompts.messages.size(), 0);
    }

    void onlyAClickOnSelectConfirms() {
        FakeMidiOut midi;
        midi.ports = {QStringLiteral("A"), QStringLiteral("B")};
        FormDriver d(&midi);
        d.form->show();
        d.action("mnuDeviceChng")->trigger();
        ui::MidDev* window = d.midDev();
        QVERIFY(QTest::qWaitForWindowActive(window));
        QListWidget* list = d.deviceList();
        const QPoint second = list->visualItemRect(list->item(2)).center();

        // A double-click on an entry selects it and does nothing more.
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, second);
        QVERIFY(list->item(2)->isSelected());
        // Neither do the keys that confirm a dialog.
        list->setFocus();
        for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Space}) {
            QTest::keyClick(list, key);
        }
        QTest::keyClick(window, Qt::Key_Escape);
        // A press on the label released elsewhere is no click, and neither
        // is the right button.
        auto* ok = d.inMidDev<QLabel>("OK");
        QTest::mousePress(ok, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
        QTest::mouseRelease(ok, Qt::LeftButton, Qt::NoModifier, QPoint(10, 60));
        QTest::mouseClick(ok, Qt::RightButton);
        QCOMPARE(d.deviceChoice(), QStringLiteral("Text"));
        QVERIFY(window->isVisible());

        d.clickSelect();
        QCOMPARE(d.deviceChoice(), QStringLiteral(" 2"));
        QVERIFY(window->isHidden());
    }

    // The highlighted entry stays until another entry is clicked: neither a
    // click (or double-click) on the empty part of the list nor a Ctrl+click
    // on the entry itself takes it away, so Select keeps the chosen port.
    void clicksBesideTheEntriesKeepTheHighlightedPort() {
        FakeMidiOut midi;
        midi.ports = {QStringLiteral("A"), QStringLiteral("B")};
        FormDriver d(&midi);
        d.loadKit();
        d.form->show();
        d.action("mnuDeviceChng")->trigger();
        QVERIFY(QTest::qWaitForWindowExposed(d.midDev()));
        QListWidget* list = d.deviceList();
        const QPoint empty(5, list->viewport()->height() - 3);
        QVERIFY(list->itemAt(empty) == nullptr);
        const QPoint second = list->visualItemRect(list->item(2)).center();

        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, second);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, empty);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, empty);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier, second);
        QVERIFY(list->item(2)->isSelected());
        d.clickSelect();
        QCOMPARE(d.deviceChoice(), QStringLiteral(" 2"));
        d.action("mnuSend")->trigger();
        QCOMPARE(openedDevices(midi), QList<int>{1});
        QCOMPARE(midi.sent.size(), 1);

        // Another entry is still taken by a click.
        d.action("mnuDeviceChng")->trigger();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                          list->visualItemRect(list->item(1)).center());
        QVERIFY(list->item(1)->isSelected());
        QVERIFY(!list->item(2)->isSelected());
    }

    void selectLooksHighlightedUnderThePointer() {
        FakeMidiOut midi;
        midi.ports = {QStringLiteral("A")};
        FormDriver d(&midi);
        d.form->show();
        d.action("mnuDeviceChng")->trigger();
        ui::MidDev* window = d.midDev();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        auto* ok = d.inMidDev<QLabel>("OK");
        QListWidget* list = d.deviceList();

        moveTo(ok, QPoint(50, 12));
        QCOMPARE(selectLook(d), Highlighted);
        // Drawn so: the frame's left border, seen through the label, is
        // yellow, and the face's hatch is red.
        QImage image = window->grab().toImage();
        QCOMPARE(image.pixelColor(56, 108), Yellow);
        QVERIFY(image.pixelColor(68, 100) == Red || image.pixelColor(69, 100) == Red ||
                image.pixelColor(70, 100) == Red);

        moveTo(list->viewport(), QPoint(20, 40));
        QCOMPARE(selectLook(d), Normal);
        image = window->grab().toImage();
        QCOMPARE(image.pixelColor(56, 108), White);

        moveTo(ok, QPoint(5, 5));
        QCOMPARE(selectLook(d), Highlighted);
        // Over the window's own background, including where the shapes lie
        // outside the label.
        moveTo(window, QPoint(200, 110));
        QCOMPARE(selectLook(d), Normal);
        moveTo(ok, QPoint(90, 20));
        QCOMPARE(selectLook(d), Highlighted);
        moveTo(window, QPoint(4, 4));
        QCOMPARE(selectLook(d), Normal);
        // No choice is made by moving about.
        QCOMPARE(d.deviceChoice(), QStringLiteral("Text"));
    }

    void changeDeviceShowsTheWindowWithoutAModalWait() {
        FakeMidiOut midi;
        midi.ports = {QStringLiteral("A"), QStringLiteral("B")};
        FormDriver d(&midi);
        const QString kitFile = d.file("kit.syx");
        writeBytes(kitFile, toBytes(sampleKit(9)));
        d.load(kitFile);
        d.form->show();
        const QString title = d.label("txtname")->text();

        d.action("mnuDeviceChng")->trigger();
        ui::MidDev* window = d.midDev();
        QVERIFY(window->isVisible());
        QCOMPARE(window->windowModality(), Qt::NonModal);
        QCOMPARE(QApplication::activeModalWidget(), nullptr);
        QCOMPARE(window->parentWidget(), nullptr);
        // The main window keeps its kit and stays usable meanwhile.
        QCOMPARE(d.label("txtname")->text(), title);
        QCOMPARE(d.editing(), std::optional<bool>(true));
        QVERIFY(d.form->isEnabled());
        QVERIFY(d.form->isVisible());
        const QString other = d.file("other.syx");
        writeBytes(other, toBytes(sampleKit(12)));
        d.load(other);
        QVERIFY(d.label("txtname")->text().startsWith(QStringLiteral("12")));
        QVERIFY(window->isVisible());

        // Shown again it is the same window: the list is not read again and
        // the earlier selection is still there.
        d.chooseDevice(2);
        d.action("mnuDeviceChng")->trigger();
        QCOMPARE(d.midDev(), window);
        QVERIFY(window->isVisible());
        QVERIFY(d.deviceList()->item(2)->isSelected());
        QCOMPARE(d.deviceChoice(), QStringLiteral(" 2"));
        QCOMPARE(midi.calls.count(QStringLiteral("numDevs")), 1);

        // Minimised meanwhile, it comes back as it was.
        window->showMinimized();
        d.action("mnuDeviceChng")->trigger();
        QCOMPARE(d.midDev(), window);
        QVERIFY(!window->isMinimized());
        QVERIFY(window->isVisible());
    }

    void aWindowTheUserClosedIsMadeAgainWithAFreshList() {
        FakeMidiOut midi;
        midi.ports = {QStringLiteral("A"), QStringLiteral("B")};
        FormDriver d(&midi);
        d.loadKit();
        d.form->show();
        d.chooseDevice(2);
        d.action("mnuDeviceChng")->trigger();
        QPointer<ui::MidDev> first = d.midDev();
        QVERIFY(QTest::qWaitForWindowExposed(first));

        // Closing it does not end the program: the event loop goes on.
        QEventLoop loop;
        QTimer::singleShot(0, first, [&] { first->close(); });
        QTimer::singleShot(300, &loop, [&] { loop.exit(7); });
        QCOMPARE(loop.exec(), 7);
        QVERIFY(first.isNull());
        QVERIFY(d.midDev() == nullptr);
        QVERIFY(d.form->isVisible());

        // Send makes a new one, hidden, with the ports of now and no choice:
        // the default output is asked for, whatever was chosen before.
        midi.ports = {QStringLiteral("C")};
        midi.calls.clear();
        d.action("mnuSend")->trigger();
        ui::MidDev* second = d.midDev();
        QVERIFY(second != nullptr);
        QVERIFY(second->isHidden());
        QCOMPARE(d.deviceEntries(), (QStringList{"Device not enabled", "C"}));
        QCOMPARE(d.deviceChoice(), QStringLiteral("Text"));
        QCOMPARE(d.deviceList()->selectedItems().size(), 0);
        QCOMPARE(openedDevices(midi), QList<int>{-1});

        // Closed and at once needed again, before its deletion came round:
        // still a new window.
        second->close();
        QVERIFY(d.midDev() == nullptr);
        midi.ports = {QStringLiteral("D"), QStringLiteral("E")};
        d.action("mnuDeviceChng")->trigger();
        QVERIFY(d.midDev() != nullptr);
        QVERIFY(d.midDev()->isVisible());
        QCOMPARE(d.deviceEntries(), (QStringList{"Device not enabled", "D", "E"}));
        QCOMPARE(d.deviceChoice(), QStringLiteral("Text"));
        d.chooseDevice(2);
        d.action("mnuSend")->trigger();
        QCOMPARE(midi.openedDevice, 1);
        QCOMPARE(midi.sent.size(), 1);
    }

    void theMainWindowTakesTheDeviceWindowWithIt() {
        FakeMidiOut midi;
        QPointer<ui::MidDev> window;
        {
            FormDriver d(&midi);
            d.form->show();
            d.action("mnuDeviceChng")->trigger();
            window = d.midDev();
            QVERIFY(window->isVisible());
        }
        QVERIFY(window.isNull());
    }
};

QTEST_MAIN(TestMidDev)
#include "test_middev.moc"
