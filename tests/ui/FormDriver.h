#pragma once

// Builds a real main window over scripted prompts and a temporary program
// folder, and reaches its widgets and menu commands by their object names.

#include "Form1.h"
#include "ScriptedPrompts.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QTemporaryDir>
#include <QTimer>

#include <memory>

namespace tamboril::test {

class FormDriver {
  public:
    explicit FormDriver(midi::MidiOut* midiOut = nullptr)
        : form(std::make_unique<ui::Form1>(prompts, folder.path(), midiOut)) {}

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

    // File, Load with the given answer from the open dialog.
    void load(const std::optional<QString>& answer) {
        prompts.openAnswers.append(answer);
        action("mnuLoad")->trigger();
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
