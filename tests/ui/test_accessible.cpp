// SPDX-License-Identifier: GPL-3.0-or-later
// What assistive technology gets from the windows, read in-process through
// QAccessible as the platform's bridge reads it: every control a user can
// reach has a name, the captions label their controls, decorations and the
// hidden choice field are not offered, the device window is a dialog whose
// Select button can be pressed, and the strip says how a send ended.

#include "support/FakeMidiOut.h"
#include "ui/FormDriver.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QtTest>

using namespace tamboril;
using namespace tamboril::test;

namespace {

// Every interface below root, root included.
QList<QAccessibleInterface*> walk(QAccessibleInterface* root) {
    QList<QAccessibleInterface*> found{root};
    for (int i = 0; i < root->childCount(); ++i) {
        if (QAccessibleInterface* child = root->child(i)) {
            found += walk(child);
        }
    }
    return found;
}

QAccessibleInterface* of(QObject* object) {
    return QAccessible::queryAccessibleInterface(object);
}

// The names of the objects that relation points at from object.
QStringList related(QObject* object, QAccessible::Relation relation) {
    QStringList names;
    for (const auto& [target, kind] : of(object)->relations(relation)) {
        names << target->text(QAccessible::Name);
    }
    return names;
}

}  // namespace

class TestAccessible : public QObject {
    Q_OBJECT

  private slots:
    void everyReachableControlIsNamedAndDecorationsAreNotOffered() {
        FakeMidiOut midi;
        midi.ports = {QStringLiteral("Synth")};
        FormDriver d(&midi);
        d.form->show();
        d.loadKit(sampleKit(7));
        d.action("mnuDeviceChng")->trigger();

        QStringList named;
        for (QWidget* window :
             {static_cast<QWidget*>(d.form.get()), static_cast<QWidget*>(d.midDev())}) {
            for (QAccessibleInterface* iface : walk(of(window))) {
                QObject* object = iface->object();
                const QString name = object ? object->objectName() : QString();
                QVERIFY2(!name.startsWith("Shape") && name != "ShpPatch" && name != "Text",
                         qPrintable(name + " is offered"));
                const QAccessible::State state = iface->state();
                if (state.focusable && !state.invisible) {
                    QVERIFY2(!iface->text(QAccessible::Name).isEmpty(),
                             qPrintable("no name: " + name));
                    named << name;
                }
            }
        }
        // The walk reached the controls the keyboard reaches.
        for (const char* control : {"Pad", "SoundNum", "List1"}) {
            QVERIFY2(named.contains(control), control);
        }
    }

    void captionsLabelTheirControlsAndTheListsAreNamedByThem() {
        FormDriver d;
        d.form->show();
        QCOMPARE(of(d.label("txtname"))->text(QAccessible::Name), QStringLiteral("No kit loaded"));
        d.loadKit(sampleKit(7));
        FormDriver::pick(d.pad(), 3);

        struct Case {
            const char* control;
            const char* caption;
            QString name;
        };
        for (const Case& c : {Case{"Pad", "Label1", "Pad"}, Case{"SoundNum", "Label8", "Sound #"},
                              Case{"txtname", "Label2", "07 - TECHNO KIT "}}) {
            QWidget* control = d.find<QWidget>(c.control);
            QCOMPARE(of(control)->text(QAccessible::Name), c.name);
            QCOMPARE(related(control, QAccessible::Label),
                     QStringList{of(d.label(c.caption))->text(QAccessible::Name)});
            QCOMPARE(related(d.label(c.caption), QAccessible::Labelled), QStringList{c.name});
        }
        // The lists are combo boxes whose value is the entry shown.
        QCOMPARE(of(d.pad())->role(), QAccessible::ComboBox);
        QCOMPARE(of(d.pad())->text(QAccessible::Value), d.pad()->currentText());
        QCOMPARE(of(d.sounds())->text(QAccessible::Value), d.sounds()->currentText());
        QCOMPARE(of(d.pad())->child(0)->object(), d.pad()->view());

        // Another entry picked: the name stays, the description follows.
        FormDriver::pick(d.pad(), 5);
        QCOMPARE(of(d.pad())->text(QAccessible::Name), QStringLiteral("Pad"));
        QCOMPARE(of(d.pad())->text(QAccessible::Description), d.pad()->currentText());
    }

    void theDeviceWindowIsADialogWhoseSelectPressesLikeAClick() {
        FakeMidiOut midi;
        midi.ports = {QStringLiteral("Synth"), QStringLiteral("Drums")};
        FormDriver d(&midi);
        d.form->show();
        d.action("mnuDeviceChng")->trigger();
        QAccessibleInterface* dialog = of(d.midDev());
        QCOMPARE(dialog->role(), QAccessible::Dialog);
        QCOMPARE(dialog->text(QAccessible::Name), QStringLiteral("Select MIDI Output Device"));
        QCOMPARE(of(d.deviceList())->role(), QAccessible::List);
        QCOMPARE(of(d.deviceList())->text(QAccessible::Name), QStringLiteral("MIDI output ports"));

        QAccessibleInterface* select = of(d.inMidDev<QLabel>("OK"));
        QCOMPARE(select->role(), QAccessible::Button);
        QCOMPARE(select->text(QAccessible::Name), QStringLiteral("Select"));
        QAccessibleActionInterface* actions = select->actionInterface();
        QVERIFY(actions != nullptr);
        QCOMPARE(actions->actionNames(), QStringList{QAccessibleActionInterface::pressAction()});

        // Nothing selected: "-1" is stored and the window stays.
        actions->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(d.deviceChoice(), QStringLiteral("-1"));
        QVERIFY(d.midDev()->isVisible());
        // A port selected: stored, the window hides, and Send goes there.
        d.deviceList()->item(2)->setSelected(true);
        actions->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(d.deviceChoice(), QStringLiteral(" 2"));
        QVERIFY(d.midDev()->isHidden());
        d.loadKit();
        d.action("mnuSend")->trigger();
        QCOMPARE(midi.openedDevice, 1);
    }

    void theStripSaysHowTheSendEnded() {
        FakeMidiOut midi;
        midi.ports = {QStringLiteral("Synth")};
        FormDriver d(&midi);
        d.form->show();
        QAccessibleInterface* strip = of(d.label("bar"));
        QCOMPARE(strip->role(), QAccessible::Notification);
        QVERIFY(strip->state().invisible);
        d.loadKit();
        d.chooseDevice(1);
        d.action("mnuSend")->trigger();
        QCOMPARE(strip->text(QAccessible::Name), QStringLiteral("The kit was sent."));
        QVERIFY(!strip->state().invisible);
        midi.openResult = midi::BadDeviceId;
        d.action("mnuSend")->trigger();
        QCOMPARE(strip->text(QAccessible::Name), QStringLiteral("The kit was not sent."));
        QCOMPARE(d.prompts.messages.size(), 1);
    }
};

QTEST_MAIN(TestAccessible)
#include "test_accessible.moc"
