# SPDX-License-Identifier: GPL-3.0-or-later
# What Orca says while a user renames a kit, undoes and redoes it, saves
# the bank and closes a dialog in the Library: each announcement as a
# notification shown on the AT-SPI bus, and as Orca's own speech. Run by
# run_checks.sh, which starts Orca.
import os
import subprocess

import expected as E
from library_driver import (RUN, INSTRUMENT, Events, Failures, Library, cell, click, describe,
                            has, is_within, key, kit_name_at, orca_log, poll, type_text,
                            wait_announced, wait_orca_ready)
import pyatspi


def focus_on_kits(lib, events):
    click(cell(lib.kit_table(), 0, E.NAME_COLUMN))
    return poll(lambda: is_within(events.focus(), lib.kit_table()) and lib.active(), 10)


def check_announced(f, orca, events, keys, text, what):
    """Presses keys and checks that `text` is shown as a notification and
    that Orca says it."""
    said_mark, shown_mark = orca.mark(), events.mark()
    key(*keys)
    shown = wait_announced(events, shown_mark, text, 15)
    f.check(shown is not None, "%s: a notification %r is shown" % (what, text),
            "notifications shown: %s" % events.announced_since(shown_mark))
    said = orca.wait_said(said_mark, text, 15)
    f.check(said is not None, "%s: Orca says %r" % (what, text),
            "Orca said: " + orca.excerpt(said_mark))
    orca.wait_quiet()


def check_dialog_closing(f, lib, orca, events, open_keys, title, answer, row_name, what):
    """Orca reads the kit's row, not only the table, when a dialog closes."""
    key(*open_keys)
    if not f.check(lib.wait_dialog(title, 10) is not None,
                   "%s opens %r" % ("+".join(open_keys), title),
                   "dialogs: %s" % [describe(d) for d in lib.dialogs()]):
        lib.close_dialogs()
        return
    orca.wait_quiet()
    mark = orca.mark()
    for step in answer:
        type_text(step[5:]) if step.startswith("type:") else key(step)
    poll(lambda: not lib.dialogs(), 10)
    said = orca.wait_said(mark, row_name, 10)
    f.check(said is not None,
            "when %s closes, Orca reads the current kit's row (with %r)" % (what, row_name),
            "Orca said: " + orca.excerpt(mark))
    orca.wait_quiet()
    spoken = orca.spoken_since(mark)
    f.check(not any(s.strip().rstrip(".") == E.TABLE_ONLY_SPEECH for s in spoken) or said,
            "when %s closes, Orca does not say only %r" % (what, E.TABLE_ONLY_SPEECH),
            "Orca said: " + orca.excerpt(mark))


def main():
    f = Failures("orca")
    orca = orca_log()
    if orca is None:
        f.fatal("no Orca debug log: run through run_checks.sh orca")
    bank = os.path.join(RUN, "banks", "bank.syx")
    subprocess.run([INSTRUMENT, "bank", bank], check=True)
    events = Events()
    lib = Library(bank)
    lib.wait_started(f, "bank.syx")
    wait_orca_ready(orca, f)
    try:
        if not poll(lambda: lib.kit_table(), 30) or not focus_on_kits(lib, events):
            f.fatal("the kit table did not take the focus in an active window")
        orca.wait_quiet()
        old = kit_name_at(lib.kit_table(), 0)
        check_dialog_closing(f, lib, orca, events, ["F2"], E.RENAME_DIALOG,
                             ["ctrl+a", "type:AB", "Return"], "AB", "Rename (F2, AB, Return)")
        f.check(kit_name_at(lib.kit_table(), 0) == "AB", "the kit is renamed AB",
                "it is %r" % kit_name_at(lib.kit_table(), 0))
        modified = E.WINDOW_NAME_MODIFIED.format(bank="bank.syx")
        f.check(poll(lambda: lib.frame.name == modified, 5) and lib.window_title() == modified,
                "with the rename unsaved the window is named and titled %r" % modified,
                "named %r, titled %r" % (lib.frame.name, lib.window_title()))

        command = E.RENAME_COMMAND.format(name="AB")
        check_announced(f, orca, events, ["ctrl+z"], E.UNDONE.format(command=command), "Ctrl+Z")
        f.check(poll(lambda: kit_name_at(lib.kit_table(), 0) == old, 5), "Ctrl+Z undid the rename")
        check_announced(f, orca, events, ["ctrl+shift+z"], E.REDONE.format(command=command),
                        "Ctrl+Shift+Z")
        check_announced(f, orca, events, ["ctrl+z"], E.UNDONE.format(command=command),
                        "Ctrl+Z again")
        check_announced(f, orca, events, ["ctrl+y"], E.REDONE.format(command=command), "Ctrl+Y")
        f.check(poll(lambda: kit_name_at(lib.kit_table(), 0) == "AB", 5),
                "the redo renamed the kit AB again", "it is %r" % kit_name_at(lib.kit_table(), 0))

        check_announced(f, orca, events, ["ctrl+s"], E.SAVED.format(path=bank), "Ctrl+S")
        question = [describe(d) for d in lib.dialogs()]
        f.check(not question, "a plain rename is saved without a question",
                "dialogs showing: %s" % question)
        lib.close_dialogs()
        saved = E.WINDOW_NAME.format(bank="bank.syx")
        f.check(poll(lambda: lib.frame.name == saved, 5) and lib.window_title() == saved,
                "once saved the window is named and titled %r" % saved,
                "named %r, titled %r" % (lib.frame.name, lib.window_title()))

        focus_on_kits(lib, events)
        orca.wait_quiet()
        check_dialog_closing(f, lib, orca, events, ["ctrl+k"], E.SET_NUMBER_DIALOG, ["Escape"],
                             "AB", "Set Kit Number (Ctrl+K, Escape)")
        check_dialog_closing(f, lib, orca, events, ["F2"], E.RENAME_DIALOG, ["Escape"],
                             "AB", "Rename (F2, Escape)")
        f.check(has(lib.frame, pyatspi.STATE_ACTIVE), "the window is active after the dialogs")
    finally:
        lib.quit()
    f.finish()


main()
