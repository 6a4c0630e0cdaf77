// SPDX-License-Identifier: GPL-3.0-or-later
// The Library window's commands as a keyboard user reaches them: every
// action has an entry in a menu of the menu bar, and no two access keys
// (&x) clash where they are pressed together: within a menu, among the menu
// bar's titles, and among the labels and buttons the window shows.

#include "support/FakeMidiOut.h"
#include "support/ScriptedMidiInput.h"
#include "support/ScriptedPrompts.h"
#include "support/SentKits.h"
#include "support/TestFiles.h"
#include "library/Library.h"
#include "library/LibraryWindow.h"

#include <QAbstractButton>
#include <QAction>
#include <QLabel>
#include <QMap>
#include <QMenu>
#include <QMenuBar>
#include <QSet>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace tamboril;
using namespace tamboril::test;

namespace {

// The access key of a text: the character after a single '&', lower-cased;
// a null character when it has none ("&&" is a literal '&').
QChar AccessKey(const QString& text) {
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text[i] == QLatin1Char('&')) {
            if (text[i + 1] != QLatin1Char('&')) {
                return text[i + 1].toLower();
            }
            ++i;
        }
    }
    return QChar();
}

// "x: "A", "B"" for every access key that more than one of `texts` uses.
QStringList Clashes(const QStringList& texts) {
    QMap<QChar, QStringList> byKey;
    for (const QString& text : texts) {
        if (const QChar key = AccessKey(text); !key.isNull()) {
            byKey[key] << QStringLiteral("\"%1\"").arg(text);
        }
    }
    QStringList clashes;
    for (auto it = byKey.cbegin(); it != byKey.cend(); ++it) {
        if (it.value().size() > 1) {
            clashes << QStringLiteral("%1: %2").arg(it.key(), it.value().join(QStringLiteral(", ")));
        }
    }
    return clashes;
}

// Every menu reachable from the menu bar, submenus included.
QList<QMenu*> MenusOf(QMenuBar* bar) {
    QList<QMenu*> menus;
    QList<QAction*> pending = bar->actions();
    while (!pending.isEmpty()) {
        QAction* action = pending.takeFirst();
        if (QMenu* menu = action->menu()) {
            menus << menu;
            pending << menu->actions();
        }
    }
    return menus;
}

// What an action is called in a failure: its object name and text.
QString Named(const QAction* action) {
    return QStringLiteral("%1 \"%2\"").arg(action->objectName(), action->text());
}

struct Window {
    QTemporaryDir dir;
    ScriptedPrompts prompts;
    std::unique_ptr<QSettings> settings;
    std::unique_ptr<library::Library> banks;
    std::unique_ptr<library::LibraryWindow> window;

    // The window with a bank open, as a user meets it: the pads' title and
    // every control of the Instrument panel shown.
    Window() {
        settings = std::make_unique<QSettings>(dir.filePath("settings.ini"), QSettings::IniFormat);
        banks = std::make_unique<library::Library>(*settings);
        library::LibraryMidi midi{[] { return std::make_unique<FakeMidiOut>(); },
                                  [] { return std::make_unique<ScriptedMidiInput>(); }};
        window = std::make_unique<library::LibraryWindow>(*banks, prompts, *settings, "/bin/true",
                                                          midi);
        const QString bank = dir.filePath("bank.syx");
        QByteArray bytes;
        for (const KitData& kit : distinctKits()) {
            bytes += toBytes(kit);
        }
        writeBytes(bank, bytes);
        window->show();
        QVERIFY(window->openBank(bank));
    }
};

}  // namespace

class TestLibraryKeys : public QObject {
    Q_OBJECT

  private slots:
    void accessKeyIsTheCharacterAfterOneAmpersand() {
        QCOMPARE(AccessKey(QStringLiteral("Save &As...")), QLatin1Char('a'));
        QCOMPARE(AccessKey(QStringLiteral("Drum && &Bass")), QLatin1Char('b'));
        QVERIFY(AccessKey(QStringLiteral("Drum && Bass")).isNull());
        QCOMPARE(Clashes({QStringLiteral("&Pause:"), QStringLiteral("&Pads of X"),
                          QStringLiteral("&Input:")}),
                 QStringList{QStringLiteral("p: \"&Pause:\", \"&Pads of X\"")});
    }

    // A command only in a shortcut is one a user cannot find: each action
    // of the window is an entry of a menu of the menu bar. Qt's own actions
    // inside its widgets ("_q_…") and the menus' own entries are not
    // commands of the window.
    void everyActionHasAMenuEntry() {
        Window w;
        QVERIFY(QTest::qWaitForWindowExposed(w.window.get()));
        QSet<QAction*> inMenus;
        for (QMenu* menu : MenusOf(w.window->menuBar())) {
            for (QAction* action : menu->actions()) {
                inMenus.insert(action);
            }
        }
        QStringList missing;
        int commands = 0;
        for (QAction* action : w.window->findChildren<QAction*>()) {
            if (action->objectName().startsWith(QStringLiteral("_q_")) || action->menu() ||
                action->isSeparator()) {
                continue;
            }
            ++commands;
            if (!inMenus.contains(action)) {
                missing << Named(action);
            }
        }
        QVERIFY2(commands >= 20, qPrintable(QStringLiteral("only %1 actions found").arg(commands)));
        QVERIFY2(missing.isEmpty(),
                 qPrintable(QStringLiteral("not in any menu of the menu bar: ") +
                            missing.join(QStringLiteral("; "))));
    }

    // Within an open menu a letter picks one entry; on the menu bar Alt and
    // a letter opens one menu.
    void accessKeysAreUniqueInEachMenuAndOnTheMenuBar() {
        Window w;
        QStringList clashes;
        QStringList titles;
        for (QAction* action : w.window->menuBar()->actions()) {
            titles << action->text();
        }
        for (const QString& clash : Clashes(titles)) {
            clashes << QStringLiteral("menu bar: ") + clash;
        }
        for (QMenu* menu : MenusOf(w.window->menuBar())) {
            QStringList texts;
            for (QAction* action : menu->actions()) {
                if (action->isVisible() && !action->isSeparator()) {
                    texts << action->text();
                }
            }
            for (const QString& clash : Clashes(texts)) {
                clashes << QStringLiteral("menu \"%1\": %2").arg(menu->title(), clash);
            }
        }
        QVERIFY2(clashes.isEmpty(), qPrintable(clashes.join(QStringLiteral("; "))));
    }

    // Alt and a letter goes to a label's control, a button or a menu of the
    // menu bar, whichever of the window's shown widgets claims it: no two
    // may claim the same letter.
    void accessKeysAreUniqueAmongTheWindowsLabelsAndButtons() {
        Window w;
        QVERIFY(QTest::qWaitForWindowExposed(w.window.get()));
        QStringList texts;
        for (QAction* action : w.window->menuBar()->actions()) {
            texts << action->text();
        }
        for (QLabel* label : w.window->findChildren<QLabel*>()) {
            if (label->buddy() && label->isVisibleTo(w.window.get())) {
                texts << label->text();
            }
        }
        for (QAbstractButton* button : w.window->findChildren<QAbstractButton*>()) {
            if (button->isVisibleTo(w.window.get())) {
                texts << button->text();
            }
        }
        QVERIFY2(texts.size() > 8, qPrintable(texts.join(QStringLiteral(", "))));
        const QStringList clashes = Clashes(texts);
        QVERIFY2(clashes.isEmpty(), qPrintable(clashes.join(QStringLiteral("; "))));
    }
};

QTEST_MAIN(TestLibraryKeys)
#include "test_library_keys.moc"
