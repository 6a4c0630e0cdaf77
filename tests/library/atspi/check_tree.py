# SPDX-License-Identifier: GPL-3.0-or-later
# The Library's window as a screen reader gets it: the names of its parts,
# the row headers of its kit table, and nothing in the tree a user cannot
# see or that names nothing (decorations, hidden widgets, a hidden tab's
# controls). Run by run_checks.sh.
import os
import re
import subprocess

import pyatspi

import expected as E
from library_driver import (RUN, INSTRUMENT, Failures, Library, children, describe, find,
                            find_all, has, poll, text_of)

def combo_value(combo):
    """The entry a pick list shows: its text, its list's selected entry, or
    its description, where a list named for what it chooses tells it."""
    shown = text_of(combo)
    if shown:
        return shown
    for child in children(combo):
        for item in children(child) + [child]:
            if has(item, pyatspi.STATE_SELECTED) and item.name:
                return item.name
    return combo.description or None


def related(obj, kind):
    return [r.getTarget(i) for r in obj.getRelationSet() if r.getRelationType() == kind
            for i in range(r.getNTargets())]


def check_names(f, lib, bank_path):
    bank = os.path.basename(bank_path)
    title = lib.window_title()
    f.check(lib.frame.name == E.WINDOW_NAME.format(bank=bank),
            "the window is named E.WINDOW_NAME %r" % E.WINDOW_NAME.format(bank=bank),
            "it is named %r" % lib.frame.name)
    f.check(lib.frame.name == title, "the window's accessible name is its visible title",
            "name %r, title %r" % (lib.frame.name, title))

    tabs = find(lib.frame, pyatspi.ROLE_PAGE_TAB_LIST)
    f.check(tabs is not None and tabs.name == E.TAB_BAR_NAME,
            "the tab bar is named E.TAB_BAR_NAME %r" % E.TAB_BAR_NAME,
            "it is %s" % (describe(tabs) if tabs else "not there"))

    # The kit title is the label of the pad table (its buddy); Qt reads a
    # label's text to AT-SPI through its name, so the name is what is shown.
    pads = lib.pad_table()
    titles = find_all(lib.frame, lambda o: o.getRole() == pyatspi.ROLE_LABEL
                      and pads in related(o, pyatspi.RELATION_LABEL_FOR))
    if f.check(len(titles) == 1, "the kit title label labels the pad table",
               "labels for it: %s" % [describe(t) for t in titles]):
        name = titles[0].name or ""
        kit = E.KIT_NAME.format(position=0)
        f.check(name.startswith(E.KIT_TITLE_PREFIX) and kit in name,
                "the kit title is named by its text: E.KIT_TITLE_PREFIX %r with the kit %r"
                % (E.KIT_TITLE_PREFIX, kit), "it is named %r" % name)

    status = find(lib.frame, pyatspi.ROLE_STATUS_BAR)
    opened = E.OPENED.format(path=bank_path)
    f.check(status is not None and status.name == opened,
            "the status bar is named by its message E.OPENED %r" % opened,
            "it is %s" % (describe(status) if status else "not there"))


def check_instrument_panel(f, lib):
    # The status label: the panel's label that labels no control.
    panel = find(lib.frame, pyatspi.ROLE_FILLER, E.INSTRUMENT_PANEL)
    labels = [o for o in find_all(panel or lib.frame, lambda o: o.getRole() == pyatspi.ROLE_LABEL
                                  and has(o, pyatspi.STATE_SHOWING))
              if not related(o, pyatspi.RELATION_LABEL_FOR)]
    if f.check(len(labels) == 1, "the Instrument panel shows one label of its own (its status)",
               "found %s" % [describe(o) for o in labels]):
        f.check(re.match(E.PANEL_STATUS, labels[0].name or "") is not None,
                "the Instrument panel's status label is named by its text (E.PANEL_STATUS)",
                "it is named %r" % labels[0].name)
    combos = find_all(lib.frame, lambda o: o.getRole() == pyatspi.ROLE_COMBO_BOX
                      and has(o, pyatspi.STATE_SHOWING))
    names = [c.name for c in combos]
    for wanted in (E.INPUT_PORT_NAME, E.OUTPUT_PORT_NAME):
        combo = next((c for c in combos if c.name == wanted), None)
        if f.check(combo is not None, "a port pick list is named %r" % wanted,
                   "the pick lists are named %s" % names):
            value = combo_value(combo)
            f.check(bool(value), "the pick list %r tells its entry as its value" % wanted,
                    "no value: text %r, children %s"
                    % (text_of(combo), [describe(c) for c in children(combo)]))


def check_row_headers(f, lib):
    table = lib.kit_table()
    if not f.check(table is not None, "the kit table of the bank shown is there"):
        return
    t = table.queryTable()
    f.check(t.nRows == 64, "the kit table has 64 rows", "it has %d" % t.nRows)
    headers = [t.getColumnDescription(c) for c in range(t.nColumns)]
    f.check(headers == E.KIT_COLUMNS, "the kit table's columns are E.KIT_COLUMNS",
            "they are %s" % headers)
    for row in (0, 5, 63):
        described = t.getRowDescription(row)
        header = t.getRowHeader(row)
        header_name = header.name if header is not None else None
        f.check(described == str(row) or header_name == str(row),
                "row %d's header is its position %d" % (row, row),
                "row description %r, row header %r" % (described, header_name))


def exposed_faults(root):
    """Objects offered that a user cannot see, and objects without a name,
    each with its path from the window; a hidden object's subtree is one
    fault."""
    faults = []
    stack = [(root, (describe(root),))]
    while stack:
        obj, path = stack.pop()
        try:
            role = obj.getRoleName()
            name = obj.name
        except Exception:
            continue
        where = " > ".join(path)
        if role in E.DECORATION_ROLES:
            faults.append("%s offered: %s" % (E.DECORATION_ROLES[role], where))
            continue
        parent_role = obj.get_parent().get_role_name() if len(path) > 1 else ""
        if (parent_role, role) in E.PARTS_OF_PARENT:
            continue
        if not has(obj, pyatspi.STATE_VISIBLE) and role not in E.HIDDEN_ALLOWED_ROLES:
            faults.append("hidden but in the tree: %s" % where)
            continue
        if obj.getRole() == pyatspi.ROLE_PROGRESS_BAR:
            faults.append("a progress bar before any transfer: %s" % where)
        if obj.getRole() == pyatspi.ROLE_PAGE_TAB_LIST:
            buttons = [describe(c) for c in children(obj) if c.getRole() != pyatspi.ROLE_PAGE_TAB]
            if buttons:
                faults.append("the tab bar offers more than tabs (%s): %s" % (buttons, where))
        if not name and role not in E.UNNAMED_ALLOWED_ROLES:
            faults.append("no name: %s" % where)
        if obj.getRole() == pyatspi.ROLE_TABLE_CELL:
            continue
        for child in reversed(children(obj)):
            stack.append((child, path + (describe(child),)))
    return faults


def main():
    f = Failures("tree")
    banks = []
    for name in ("bank.syx", "second.syx"):
        path = os.path.join(RUN, "banks", name)
        subprocess.run([INSTRUMENT, "bank", path], check=True)
        banks.append(path)
    # Two banks: the first one's tab is then hidden, and nothing of it may
    # be offered.
    lib = Library(*banks)
    lib.wait_started(f, "second.syx")
    if not poll(lambda: lib.kit_table() and lib.pad_table(), 30):
        f.fatal("the kit and pad tables of the bank did not show within 30 s")
    try:
        check_names(f, lib, banks[1])
        check_instrument_panel(f, lib)
        check_row_headers(f, lib)
        faults = exposed_faults(lib.frame)
        f.check(not faults, "nothing hidden, undecorated or unnamed in the tree",
                "%d faults:\n    %s" % (len(faults), "\n    ".join(faults)))
    finally:
        lib.quit()
    f.finish()


main()
