# SPDX-License-Identifier: GPL-3.0-or-later
# Reads the running window program through AT-SPI, as a screen reader does,
# and presses what a user of one would press. Run by check_atspi.sh.
import subprocess
import sys
import time

import pyatspi
from gi.repository import Atspi, GLib

# libatspi gives up on a call after 800 ms once an application has run for
# 15 s. Beside a parallel build the program can take longer to answer; the
# checks are about what it offers, not how fast, so calls wait 30 s.
CALL_TIMEOUT_MS = 30000
Atspi.set_timeout(CALL_TIMEOUT_MS, -1)

KIT_TITLE = "07 - TECHNO KIT "
DIALOG = "Select MIDI Output Device"


def fail(message):
    print("FAIL: " + message, file=sys.stderr)
    sys.exit(1)


def poll(find, seconds):
    """What find() gives within the time, or None."""
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        try:
            found = find()
        except Exception:  # the tree changes while it is read
            found = None
        if found:
            return found
        time.sleep(0.1)
    return None


def wait_for(what, find, seconds=30):
    found = poll(find, seconds)
    if not found:
        fail("timed out waiting for " + what)
    return found


def children(obj):
    return [c for c in (obj.getChildAtIndex(i) for i in range(obj.childCount)) if c is not None]


def walk(obj):
    yield obj
    for child in children(obj):
        yield from walk(child)


def has(obj, state):
    return obj.getState().contains(state)


def role_and_name(obj):
    return (obj.getRoleName(), obj.name)


def related(obj, kind):
    return [r.getTarget(i) for r in obj.getRelationSet() if r.getRelationType() == kind
            for i in range(r.getNTargets())]


def find(root, role, name):
    for obj in walk(root):
        if obj.getRole() == role and obj.name == name:
            return obj
    return None


def action_names(obj):
    action = obj.queryAction()
    return [action.getName(i) for i in range(action.nActions)]


def press(obj):
    action = obj.queryAction()
    names = action_names(obj)
    for wanted in ("Press", "Click", "Toggle"):
        if wanted in names:
            return action.doAction(names.index(wanted))
    fail("%r offers no press action, only %s" % (obj.name, names))


def application():
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.name == "Tamboril":
            return app
    return None


def top_level(app, role, name):
    for window in children(app):
        if window.getRole() == role and window.name == name and has(window, pyatspi.STATE_SHOWING):
            return window
    return None


def check_named(window):
    for obj in walk(window):
        if has(obj, pyatspi.STATE_FOCUSABLE) and has(obj, pyatspi.STATE_SHOWING) and not obj.name:
            fail("a focusable %s in %r has no name" % (obj.getRoleName(), window.name))


def check_main_window(app):
    frame = wait_for("the main window with its kit title",
                     lambda: top_level(app, pyatspi.ROLE_FRAME, "Tamboril")
                     if find(app, pyatspi.ROLE_LABEL, KIT_TITLE) else None)
    title = find(frame, pyatspi.ROLE_LABEL, KIT_TITLE)
    client = title.parent
    # Only the captions, the title, the two lists and the send strip: no
    # shape, no unnamed panel.
    offered = sorted(role_and_name(c) for c in children(client))
    expected = sorted([("label", "Kit Name"), ("label", "Pad"), ("label", "Sound #"),
                       ("label", KIT_TITLE), ("notification", "No kit has been sent"),
                       ("combo box", "Pad"), ("combo box", "Sound #")])
    if offered != expected:
        fail("the main window offers %s, not %s" % (offered, expected))
    for control, caption in ((title, "Kit Name"), (find(client, pyatspi.ROLE_COMBO_BOX, "Pad"), "Pad"),
                             (find(client, pyatspi.ROLE_COMBO_BOX, "Sound #"), "Sound #")):
        labels = [role_and_name(t) for t in related(control, pyatspi.RELATION_LABELLED_BY)]
        if labels != [("label", caption)]:
            fail("%r is labelled by %s, not by the caption %r" % (control.name, labels, caption))
        label = find(client, pyatspi.ROLE_LABEL, caption)
        if [t.name for t in related(label, pyatspi.RELATION_LABEL_FOR)] != [control.name]:
            fail("the caption %r does not label %r" % (caption, control.name))
    pad = find(client, pyatspi.ROLE_COMBO_BOX, "Pad")
    if pad.description != "KICK 1" or not has(pad, pyatspi.STATE_FOCUSABLE):
        fail("the pad list does not tell its entry: %r" % pad.description)
    check_named(frame)
    check_entry_told(pad)
    return frame, client


def check_entry_told(pad):
    # The next pad picked with the keyboard: the list keeps its name, and the
    # new entry is told as its new description.
    told = []
    listener = lambda event: told.append(event.source.name)
    pyatspi.Registry.registerEventListener(listener, "object:property-change:accessible-description")
    # Without a window manager nothing activates the window: it is given the
    # X input focus as a click on it would, and the pad list the focus.
    for window in subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^Tamboril$"], check=True,
                                 capture_output=True, text=True).stdout.split():
        subprocess.run(["xdotool", "windowfocus", "--sync", window], check=True)
    pad.queryComponent().grabFocus()
    wait_for("the pad list to take the focus", lambda: has(pad, pyatspi.STATE_FOCUSED))
    subprocess.run(["xdotool", "key", "Down"], check=True)
    context = GLib.MainContext.default()
    def entry_told():
        while context.iteration(False):
            pass
        return "Pad" in told
    wait_for("the new entry to be told", entry_told, seconds=5)
    pyatspi.Registry.deregisterEventListener(listener, "object:property-change:accessible-description")
    if pad.name != "Pad" or pad.description != "KICK 2":
        fail("after Down the pad list reads %r, %r" % (pad.name, pad.description))


def check_device_window(app, frame):
    press(find(frame, pyatspi.ROLE_MENU_ITEM, "Change Device"))
    dialog = wait_for("the device window as a dialog", lambda: top_level(app, pyatspi.ROLE_DIALOG, DIALOG))
    offered = sorted(role_and_name(c) for c in children(dialog))
    if offered != [("list", "MIDI output ports"), ("push button", "Select")]:
        fail("the device window offers %s" % offered)
    check_named(dialog)
    ports = find(dialog, pyatspi.ROLE_LIST, "MIDI output ports")
    if [c.name for c in children(ports)] != ["Device not enabled"]:
        fail("the port list reads %s" % [c.name for c in children(ports)])
    select = find(dialog, pyatspi.ROLE_PUSH_BUTTON, "Select")
    if action_names(select) != ["Press"]:
        fail("Select offers the actions %s" % action_names(select))
    # Pressed with nothing selected it stays, as after such a click.
    press(select)
    if not top_level(app, pyatspi.ROLE_DIALOG, DIALOG):
        fail("Select with nothing selected closed the device window")
    # The entry's own action selects it, as a click on it does.
    press(children(ports)[0])
    wait_for("the entry selected", lambda: has(children(ports)[0], pyatspi.STATE_SELECTED))
    press(select)
    wait_for("the device window to go", lambda: not top_level(app, pyatspi.ROLE_DIALOG, DIALOG))


def press_send_and_answer(app):
    # Send opens a message box and waits in it, so it is pressed from a
    # process of its own while this one reads the box and answers it.
    sender = subprocess.Popen([sys.executable, "-c", SEND_PRESS])
    box = wait_for("the message about the port",
                   lambda: next((w for w in children(app) if w.getRole() in
                                 (pyatspi.ROLE_ALERT, pyatspi.ROLE_DIALOG)
                                 and has(w, pyatspi.STATE_SHOWING)
                                 and any(o.name.startswith("Operation: Open") for o in walk(w))), None))
    press(find(box, pyatspi.ROLE_PUSH_BUTTON, "OK"))
    if sender.wait(timeout=30) != 0:
        fail("pressing Send did not work")


def check_send_result(app, frame, client):
    # The window's timer ticks once about a second after the start and hides
    # the strip; a Send answered before that tick loses its strip to it, and
    # nothing a screen reader sees tells when the tick has come. Such a Send
    # is pressed again, three times at most.
    for _ in range(3):
        press_send_and_answer(app)
        strip = wait_for("the strip to say how the send ended",
                         lambda: next((c for c in children(client)
                                       if c.getRole() == pyatspi.ROLE_NOTIFICATION
                                       and c.name == "The kit was not sent."), None))
        if poll(lambda: has(strip, pyatspi.STATE_SHOWING), 3):
            return
    fail("the strip is not showing")


SEND_PRESS = """
import pyatspi
from gi.repository import Atspi
Atspi.set_timeout(%d, -1)
app = next(a for a in pyatspi.Registry.getDesktop(0) if a is not None and a.name == "Tamboril")
def walk(o):
    yield o
    for i in range(o.childCount):
        c = o.getChildAtIndex(i)
        if c is not None:
            yield from walk(c)
frame = next(w for w in walk(app) if w.getRole() == pyatspi.ROLE_FRAME)
send = next(o for o in walk(frame) if o.getRole() == pyatspi.ROLE_MENU_ITEM and o.name == "Send")
action = send.queryAction()
names = [action.getName(i) for i in range(action.nActions)]
action.doAction(names.index("Press") if "Press" in names else 0)
""" % CALL_TIMEOUT_MS


def main():
    app = wait_for("Tamboril on the accessibility bus", application)
    frame, client = check_main_window(app)
    check_device_window(app, frame)
    check_send_result(app, frame, client)
    print("AT-SPI: main window, device window, Select and the send result read as expected")


main()
