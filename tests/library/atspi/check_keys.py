# SPDX-License-Identifier: GPL-3.0-or-later
# The Library's keys and where the keyboard focus goes, pressed with xdotool
# under a window manager and read through AT-SPI: undo and redo, the pads'
# sound pick, and the focus after every dialog (Open twenty times over,
# Rename, Set Kit Number, Compare Kits, each accepted and escaped).
# Run by run_checks.sh.
import os
import shutil
import subprocess
import time

import pyatspi

import expected as E
from library_driver import (RUN, INSTRUMENT, Events, Failures, Library, cell, cell_text, children,
                            click, describe, find_all, has, is_within, key, kit_name_at, poll,
                            text_of, type_text)

OPEN_ROUNDS = int(os.environ.get("A11Y_OPEN_ROUNDS", "20"))
# A11Y_ONLY=open,pick runs only those parts (undo, dialogs, compare, pads,
# pick, open).
ONLY = [p for p in os.environ.get("A11Y_ONLY", "").split(",") if p]


def focus_text(lib, events):
    focused = events.focus()
    inside = ""
    if focused is not None and focused.getRole() == pyatspi.ROLE_TABLE_CELL:
        parent = focused.parent
        inside = " in %s%s" % (describe(parent), "" if has(parent, pyatspi.STATE_SHOWING)
                                else " (not showing)")
    return "focus on %s%s, active window %r (%s), dialogs %s" % (
        describe(focused) if focused else "nothing", inside, xdotool_active_name(), lib.activity(),
        [describe(d) for d in lib.dialogs()])


def xdotool_active_name():
    result = subprocess.run(["xdotool", "getactivewindow", "getwindowname"],
                            capture_output=True, text=True)
    return result.stdout.strip()


def focus_in_kit_table(lib, events, seconds=10):
    """True once the window is active, no dialog shows and the focus is in the
    kit table of the bank shown."""
    def there():
        table = lib.kit_table()
        focused = events.focus()
        return (table is not None and focused is not None and not lib.dialogs()
                and is_within(focused, table) and lib.active())
    if poll(there, seconds):
        return True
    table = lib.kit_table()
    print("  (kit table %s; focus within it %s; dialogs %s; main window %s %s)"
          % (describe(table) if table else None, is_within(events.focus(), table),
             lib.dialogs(), lib.window_id(), lib.activity()), flush=True)
    return False


def put_focus_on_kit(lib, events, row):
    table = lib.kit_table()
    click(cell(table, row, E.NAME_COLUMN))
    return focus_in_kit_table(lib, events, 5)


def current_kit_row(lib):
    """The row of the kit table that is selected."""
    table = lib.kit_table().queryTable()
    rows = [r for r in range(table.nRows) if table.isRowSelected(r)]
    return rows[0] if len(rows) == 1 else rows


def check_dialog_returns_focus(f, lib, events, open_keys, title, answer, what):
    """Opens a dialog with open_keys, answers it (keys, or Escape) and checks
    that the window is active with the focus back on the kit table, on the
    same kit."""
    row = current_kit_row(lib)
    key(*open_keys)
    dialog = lib.wait_dialog(title, 10)
    if not f.check(dialog is not None, "%s opens the dialog %r" % ("+".join(open_keys), title),
                   "dialogs showing: %s" % [describe(d) for d in lib.dialogs()]):
        lib.close_dialogs()
        return
    for step in answer:
        if step.startswith("type:"):
            type_text(step[5:])
        else:
            key(step)
    poll(lambda: not lib.dialogs(), 10)
    back = focus_in_kit_table(lib, events)
    f.check(back and current_kit_row(lib) == row,
            "after %s the window is active and the focus is on the kit table, row %s"
            % (what, row), "%s; selected row %s" % (focus_text(lib, events), current_kit_row(lib)))
    if not back:
        lib.close_dialogs()
        put_focus_on_kit(lib, events, row)


def check_undo_redo(f, lib, events):
    table = lib.kit_table()
    old = kit_name_at(table, 0)
    put_focus_on_kit(lib, events, 0)
    check_dialog_returns_focus(f, lib, events, ["F2"], E.RENAME_DIALOG,
                               ["ctrl+a", "type:AB", "Return"], "Rename (F2) accepted")
    renamed = poll(lambda: kit_name_at(lib.kit_table(), 0) == "AB", 5)
    f.check(renamed, "F2, AB, Return renames the kit", "kit 0 is %r" % kit_name_at(table, 0))
    steps = [("ctrl+z", old, "Ctrl+Z undoes the rename"),
             ("ctrl+shift+z", "AB", "Ctrl+Shift+Z redoes the rename"),
             ("ctrl+z", old, "Ctrl+Z undoes it again"),
             ("ctrl+y", "AB", "Ctrl+Y redoes the rename")]
    for keys, name, what in steps:
        put_focus_on_kit(lib, events, 0)
        key(keys)
        f.check(poll(lambda: kit_name_at(lib.kit_table(), 0) == name, 5), what,
                "kit 0 is %r, not %r" % (kit_name_at(lib.kit_table(), 0), name))


def check_dialogs(f, lib, events):
    put_focus_on_kit(lib, events, 2)
    check_dialog_returns_focus(f, lib, events, ["F2"], E.RENAME_DIALOG, ["Escape"],
                               "Rename (F2) escaped")
    check_dialog_returns_focus(f, lib, events, ["ctrl+k"], E.SET_NUMBER_DIALOG,
                               ["ctrl+a", "type:9", "Return"], "Set Kit Number (Ctrl+K) accepted")
    f.check(poll(lambda: (cell_text(lib.kit_table(), 2, 2) or "").startswith("09"), 5),
            "Ctrl+K, 9, Return sets the kit's number",
            "its Kit # reads %r" % cell_text(lib.kit_table(), 2, 2))
    check_dialog_returns_focus(f, lib, events, ["ctrl+k"], E.SET_NUMBER_DIALOG, ["Escape"],
                               "Set Kit Number (Ctrl+K) escaped")


def check_compare(f, lib, events):
    put_focus_on_kit(lib, events, 3)
    key("shift+Down")
    key("ctrl+d")
    dialog = poll(lambda: next(iter(lib.dialogs()), None), 10)
    if not f.check(dialog is not None, "Ctrl+D on two kits shows their comparison"):
        return
    texts = find_all(dialog, lambda o: o.getRole() in (pyatspi.ROLE_TEXT, pyatspi.ROLE_DOCUMENT_TEXT,
                                                       pyatspi.ROLE_PARAGRAPH)
                     and "A:" in (text_of(o) or ""))
    if f.check(bool(texts), "the comparison is in a text a user can move through",
               "the dialog %s offers %s" % (describe(dialog),
                                            [describe(o) for o, _ in walk_list(dialog)])):
        text = texts[0]
        # Qt offers no selectable-text state for a text view; the keys that
        # walk and copy it are checked in the program's own tests.
        f.check(not has(text, pyatspi.STATE_EDITABLE) and has(text, pyatspi.STATE_FOCUSABLE)
                and text.queryText().characterCount > 0,
                "the comparison text is read-only, focusable and readable",
                "states %s" % [pyatspi.stateToString(s) for s in text.getState().getStates()])
    key("Escape")
    poll(lambda: not lib.dialogs(), 10)
    back = focus_in_kit_table(lib, events)
    f.check(back, "after the comparison the window is active, the focus on the kit table",
            focus_text(lib, events))
    if not back:
        lib.close_dialogs()


def walk_list(root):
    from library_driver import walk
    return list(walk(root))


def sound_pick(lib, events):
    """The sound pick when it has the focus (itself or its text field)."""
    focused = events.focus()
    if focused is None:
        return None
    for obj in (focused, focused.parent):
        if obj is not None and obj.getRole() == pyatspi.ROLE_COMBO_BOX:
            return obj
    return None


def check_pad_keys(f, lib, events):
    pads = lib.pad_table()
    if not f.check(pads is not None, "the pad table shows"):
        return
    wanted = E.SOUND_PICK_NAME.format(pad=E.FIRST_PAD)
    named = False
    for column in range(3):
        for keys in (["F2"], ["Return"], ["8"]):
            before = kit_name_at(lib.kit_table(), 0)
            click(cell(pads, 0, column))
            poll(lambda: is_within(events.focus(), pads), 5)
            key(*keys)
            pick = poll(lambda: sound_pick(lib, events), 5)
            f.check(pick is not None, "%s on pad column %d opens the sound pick" % (keys[0], column),
                    focus_text(lib, events))
            if pick is not None and not named:
                named = True
                f.check(pick.name == wanted, "the sound pick is named %r" % wanted,
                        "it is named %r" % pick.name)
            key("Escape")
            poll(lambda: not sound_pick(lib, events), 5)
            lib.close_dialogs()
            f.check(kit_name_at(lib.kit_table(), 0) == before,
                    "%s on pad column %d changes no kit" % (keys[0], column),
                    "kit 0 is now %r" % kit_name_at(lib.kit_table(), 0))


def open_pick_by_typing(lib, events, pads, row, text):
    click(cell(pads, row, 2))
    poll(lambda: is_within(events.focus(), pads), 5)
    type_text(text)
    return poll(lambda: sound_pick(lib, events), 5)


def check_sound_pick_keys(f, lib, events):
    pads = lib.pad_table()
    table = lib.kit_table()
    names = [kit_name_at(table, r) for r in range(64)]
    pick = open_pick_by_typing(lib, events, pads, 1, "8")
    if not f.check(pick is not None, "typing on the pad list opens the sound pick",
                   focus_text(lib, events)):
        return
    key("alt+Down")
    expanded = poll(lambda: has(pick, pyatspi.STATE_EXPANDED) or any(
        has(c, pyatspi.STATE_SHOWING) for c in children(pick)), 5)
    f.check(expanded, "Alt+Down in the sound pick opens its list",
            "states %s" % [pyatspi.stateToString(s) for s in pick.getState().getStates()])
    after = [kit_name_at(lib.kit_table(), r) for r in range(64)]
    moved = [(r, names[r], after[r]) for r in range(64) if names[r] != after[r]]
    f.check(not moved, "Alt+Down in the sound pick does not move the kit",
            "rows changed (row, was, is): %s" % moved)
    key("Escape", "Escape")
    poll(lambda: not sound_pick(lib, events), 5)
    lib.close_dialogs()

    before = cell_text(pads, 1, 2)
    pick = open_pick_by_typing(lib, events, pads, 1, "808 s")
    if not f.check(pick is not None, "typing 808 s opens the sound pick", focus_text(lib, events)):
        return
    time.sleep(0.5)  # the completion's list follows the typing
    key("Return")
    gone = poll(lambda: sound_pick(lib, events) is None and is_within(events.focus(), pads), 5)
    now = cell_text(pads, 1, 2)
    f.check(gone and now != before and "808" in (now or ""),
            "one Return commits the completion of 808 s",
            "pick still open: %s; pad 2's sound was %r, is %r" % (not gone, before, now))
    key("Escape")
    lib.close_dialogs()


def check_open_focus(f, lib, events):
    held = []
    faults = []
    for round in range(1, OPEN_ROUNDS + 1):
        path = os.path.join(RUN, "banks", "open%02d.syx" % round)
        key("ctrl+o")
        dialog = lib.wait_dialog(E.OPEN_DIALOG, 10)
        if dialog is None:
            faults.append("round %d: Ctrl+O showed no dialog %r (%s)"
                          % (round, E.OPEN_DIALOG, focus_text(lib, events)))
            lib.close_dialogs()
            put_focus_on_kit(lib, events, 0)
            continue
        time.sleep(0.3)
        type_text(path)
        key("Return")
        if not poll(lambda: not lib.wait_dialog(E.OPEN_DIALOG, 0), 3):
            key("Return")  # the file name's completion took the first one
        def opened():
            tab = lib.current_tab()
            return tab is not None and os.path.basename(path) in (tab.name or "")
        shown = poll(opened, 10)
        ok = focus_in_kit_table(lib, events, 5)
        tab = lib.current_tab()
        if ok and shown:
            held.append(round)
            print("round %d: held" % round, flush=True)
        else:
            faults.append("round %d: %s; tab shown %s%s"
                          % (round, focus_text(lib, events), describe(tab) if tab else None,
                             "" if shown else " (not the bank opened)"))
            print(faults[-1], flush=True)
            if lib.dialogs():
                lib.close_dialogs()
                put_focus_on_kit(lib, events, 0)
    f.check(not faults, "after Open (Ctrl+O, a path, Return) the window is active and the focus "
            "in the new bank's kit table, %d times of %d" % (OPEN_ROUNDS, OPEN_ROUNDS),
            "held %d times; %s" % (len(held), "; ".join(faults[:5])))


def main():
    f = Failures("keys")
    bank = os.path.join(RUN, "banks", "bank.syx")
    subprocess.run([INSTRUMENT, "bank", bank], check=True)
    for round in range(1, OPEN_ROUNDS + 1):
        shutil.copy(bank, os.path.join(RUN, "banks", "open%02d.syx" % round))
    events = Events()
    lib = Library(bank)
    lib.wait_started(f, "bank.syx")
    if not poll(lambda: lib.kit_table() and lib.pad_table(), 30):
        f.fatal("the kit and pad tables of the bank did not show within 30 s")
    try:
        for name, check in (("undo", check_undo_redo), ("dialogs", check_dialogs),
                            ("compare", check_compare), ("pads", check_pad_keys),
                            ("pick", check_sound_pick_keys), ("open", check_open_focus)):
            if ONLY and name not in ONLY:
                continue
            print("--- %s (%s)" % (name, time.strftime("%H:%M:%S")), flush=True)
            lib.close_dialogs()
            if not put_focus_on_kit(lib, events, 0):
                f.fatal("a click on the first kit did not give the kit table the focus in an "
                        "active window: " + focus_text(lib, events))
            check(f, lib, events)
    finally:
        lib.quit()
    f.finish()


main()
