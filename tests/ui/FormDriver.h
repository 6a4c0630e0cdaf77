// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Builds a real main window over scripted prompts and a temporary program
// folder, and reaches its widgets and menu commands by their object names,
// and those of the device selection window.

#include "support/ScriptedPrompts.h"
#include "support/TestFiles.h"
#include "ui/Form1.h"
#include "ui/MidDev.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <memory>

namespace tamboril::test {

// A colour given as 0x00BBGGRR (red in the lowest byte), as the window's
// colours are written down.
inline QColor bgr(quint32 value) {
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

// A widget's place in its window, for layout checks.
struct Place {
    const char* name;
    QRect rect;
};

// Checks that each named widget under `parent` sits at its place (mapped to
// pixels by `toPixels`) and that these are the parent's widgets, stacked back
// to front in this order.
inline void checkPlaces(
    QWidget* parent, const QList<Place>& places,
    const std::function<QRect(const QRect&)>& toPixels = [](const QRect& r) { return r; }) {
    QStringList stacking;
    for (QObject* child : parent->children()) {
        if (child->isWidgetType()) {
            stacking << child->objectName();
        }
    }
    QStringList expected;
    for (const Place& place : places) {
        expected << QLatin1String(place.name);
        auto* widget = parent->findChild<QWidget*>(QLatin1String(place.name));
        QVERIFY2(widget, place.name);
        QCOMPARE(widget->geometry(), toPixels(place.rect));
    }
    QCOMPARE(stacking, expected);
}

class FormDriver {
  public:
    explicit FormDriver(midi::MidiOut* midiOut = nullptr)
        : form(std::make_unique<ui::Form1>(prompts, folder.path(), midiOut)) {}
    // A window that writes into the given folders rather than `folder`.
    FormDriver(midi::MidiOut* midiOut, const WorkFolders& folders)
        : form(std::make_unique<ui::Form1>(prompts, folders, midiOut)) {}

    QTemporaryDir folder;  // the program folder of this window
    QTemporaryDir files;   // where the user's kit files live
    ScriptedPrompts prompts;
    std::unique_ptr<ui::Form1> form;

    QString file(const QString& name) const { return files.filePath(name); }

    template <typename T>
    T* find(const char* name) const {
        return form->findChild<T*>(QLatin1String(name));
    }
    QAction* action(const char* name) const { return find<QAction>(name); }
    QComboBox* pad() const { return find<QComboBox>("Pad"); }
    QComboBox* sounds() const { return find<QComboBox>("SoundNum"); }
    QLabel* label(const char* name) const { return find<QLabel>(name); }
    QTimer* timer() const { return find<QTimer>("Timer1"); }

    // The device selection window, or null while there is none.
    ui::MidDev* midDev() const { return form->midDev(); }
    template <typename T>
    T* inMidDev(const char* name) const {
        ui::MidDev* window = midDev();
        return window ? window->findChild<T*>(QLatin1String(name)) : nullptr;
    }
    QListWidget* deviceList() const { return inMidDev<QListWidget>("List1"); }
    QStringList deviceEntries() const {
        QStringList entries;
        if (QListWidget* list = deviceList()) {
            for (int row = 0; row < list->count(); ++row) {
                entries << list->item(row)->text();
            }
        }
        return entries;
    }
    // The stored device choice, the text of the hidden field.
    QString deviceChoice() const {
        QLineEdit* text = inMidDev<QLineEdit>("Text");
        return text ? text->text() : QString();
    }

    // A click on the Select label, as the mouse gives it.
    void clickSelect() const { QTest::mouseClick(inMidDev<QLabel>("OK"), Qt::LeftButton); }

    // Edit, Change Device; the entry is clicked in the list (-1: none is) and
    // Select is clicked.
    void chooseDevice(int entry) const {
        action("mnuDeviceChng")->trigger();
        QListWidget* list = deviceList();
        QVERIFY(list != nullptr && list->isVisible());
        if (entry >= 0) {
            QVERIFY(entry < list->count());
            list->scrollToItem(list->item(entry));
            QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                              list->visualItemRect(list->item(entry)).center());
            QVERIFY(list->item(entry)->isSelected());
        } else {
            list->clearSelection();
        }
        clickSelect();
    }

    // File, Load with the given answer from the open dialog.
    void load(const std::optional<QString>& answer) {
        prompts.openFileAnswers.append(answer);
        action("mnuLoad")->trigger();
    }

    // Writes kit to a file of the user's and loads it: the window then holds
    // a kit that Send sends.
    void loadKit(const KitData& kit = sampleKit(), const QString& name = "sent.syx") {
        writeBytes(file(name), toBytes(kit));
        load(file(name));
    }

    // A pick by the user: the entry becomes current and the list reports the
    // activation, as it does for a mouse or keyboard choice.
    static void pick(QComboBox* box, int index) {
        box->setCurrentIndex(index);
        emit box->activated(index);
    }

    // Whether Save, Save As and both lists are all on (true), all off
    // (false); fails the comparison when they disagree.
    std::optional<bool> editing() const {
        const bool save = action("mnusave")->isEnabled();
        if (action("mnusaveas")->isEnabled() != save || pad()->isEnabled() != save ||
            sounds()->isEnabled() != save) {
            return std::nullopt;
        }
        return save;
    }
};

}  // namespace tamboril::test
