# SPDX-License-Identifier: GPL-3.0-or-later
# What the Library's screen-reader checks share: the running Library read
# through AT-SPI as Orca reads it, keys pressed with xdotool as a user
# presses them, the events AT-SPI reports (focus, notifications shown) and
# what Orca said, from its debug log. Run inside run_checks.sh's session.
import os
import re
import signal
import subprocess
import sys
import time

import pyatspi
from gi.repository import Atspi, GLib

import expected as E

# libatspi gives up on a call after 800 ms once an application has run for
# 15 s; beside a build the Library may take longer to answer. The checks
# are about what it offers, not how fast.
Atspi.set_timeout(30000, -1)

# A check stopped by its runner (a timeout) ends the programs it started on
# its way out, as it does when it ends by itself.
signal.signal(signal.SIGTERM, lambda number, frame: sys.exit("stopped by SIGTERM"))

RUN = os.environ.get("A11Y_RUN", "/tmp")
LIBRARY = os.environ.get("LIBRARY_PROGRAM", "tamboril-library")
INSTRUMENT = os.environ.get("A11Y_INSTRUMENT", "a11y_instrument")


class Failures:
    """Collects failed expectations so that one run lists all of them."""

    def __init__(self, name):
        self.name = name
        self.failed = []
        self.passed = []

    def check(self, ok, what, detail=""):
        """Records `what` as held or failed; `detail` says what was found."""
        if ok:
            self.passed.append(what)
            print("ok:   " + what, flush=True)
        else:
            message = what + (": " + detail if detail else "")
            self.failed.append(message)
            print("FAIL: " + message, file=sys.stderr, flush=True)
        return ok

    def fatal(self, message):
        """A failure after which the check cannot go on."""
        self.failed.append(message)
        print("FAIL (cannot go on): " + message, file=sys.stderr, flush=True)
        self.finish()

    def finish(self):
        print("%s: %d held, %d failed" % (self.name, len(self.passed), len(self.failed)),
              flush=True)
        if self.failed:
            print("--- failed:", file=sys.stderr)
            for message in self.failed:
                print("  - " + message, file=sys.stderr)
            sys.exit(1)
        sys.exit(0)


# --- waiting -------------------------------------------------------------

def pump():
    """Delivers the AT-SPI events that have come in."""
    context = GLib.MainContext.default()
    while context.iteration(False):
        pass


def poll(find, seconds=20.0, step=0.1):
    """What find() gives within the time (events delivered meanwhile), or None."""
    end = time.monotonic() + seconds
    while True:
        pump()
        try:
            found = find()
        except Exception:  # the tree changes while it is read
            found = None
        if found:
            return found
        if time.monotonic() >= end:
            return None
        time.sleep(step)


# --- the tree ------------------------------------------------------------

def children(obj):
    try:
        count = obj.childCount
    except Exception:
        return []
    found = []
    for i in range(count):
        try:
            child = obj.getChildAtIndex(i)
        except Exception:
            child = None
        if child is not None:
            found.append(child)
    return found


def walk(obj, path=()):
    """Every object under obj with its path of (role, name) from obj."""
    here = path + (describe(obj),)
    yield obj, here
    for child in children(obj):
        yield from walk(child, here)


def describe(obj):
    try:
        return "%s %r" % (obj.getRoleName(), obj.name or "")
    except Exception:
        return "(gone)"


def has(obj, state):
    try:
        return obj.getState().contains(state)
    except Exception:
        return False


def find_all(root, predicate, skip_tables=True, showing_only=False):
    """Objects under root that predicate holds for; table cells are not
    walked unless asked, as a bank has hundreds, nor, when asked, what does
    not show (the banks in the tabs behind)."""
    found = []
    stack = [root]
    while stack:
        obj = stack.pop()
        try:
            if showing_only and not has(obj, pyatspi.STATE_SHOWING):
                continue
            if predicate(obj):
                found.append(obj)
            if skip_tables and obj.getRole() == pyatspi.ROLE_TABLE:
                continue
        except Exception:
            continue
        stack.extend(reversed(children(obj)))
    return found


def find(root, role, name=None, showing=False):
    def matches(obj):
        return (obj.getRole() == role and (name is None or obj.name == name)
                and (not showing or has(obj, pyatspi.STATE_SHOWING)))
    found = find_all(root, matches)
    return found[0] if found else None


def text_of(obj):
    try:
        text = obj.queryText()
        return text.getText(0, text.characterCount)
    except Exception:
        return None


def action_names(obj):
    try:
        action = obj.queryAction()
        return [action.getName(i) for i in range(action.nActions)]
    except Exception:
        return []


def press(obj):
    names = action_names(obj)
    for wanted in ("Press", "Click", "Toggle", "press", "click"):
        if wanted in names:
            return obj.queryAction().doAction(names.index(wanted))
    raise RuntimeError("%s offers no press action, only %s" % (describe(obj), names))


def is_within(obj, ancestor):
    for _ in range(100):
        if obj is None:
            return False
        if obj == ancestor:
            return True
        try:
            obj = obj.parent
        except Exception:
            return False
    return False


# --- the program ---------------------------------------------------------

class Library:
    """tamboril-library running on the session's display."""

    def __init__(self, *banks, env=None):
        environment = dict(os.environ)
        environment.update({"QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1", "QT_QPA_PLATFORM": "xcb"})
        environment.update(env or {})
        self.log_path = os.path.join(RUN, "library.log")
        self.log = open(self.log_path, "ab")
        self.process = subprocess.Popen([LIBRARY] + list(banks), env=environment,
                                        stdout=self.log, stderr=subprocess.STDOUT)
        self.app = None
        self.frame = None

    def output(self):
        self.log.flush()
        with open(self.log_path, "rb") as log:
            return log.read().decode("utf-8", "replace")

    def wait_started(self, failures, title_part):
        """Waits for the window, its AT-SPI frame and the X window whose
        title holds title_part."""
        def application():
            if self.process.poll() is not None:
                failures.fatal("tamboril-library ended at start with status %s:\n%s"
                               % (self.process.returncode, self.output()))
            for app in pyatspi.Registry.getDesktop(0):
                if app is not None and app.get_process_id() == self.process.pid:
                    return app
            return None
        self.app = poll(application, 60) or failures.fatal(
            "tamboril-library did not show on the accessibility bus within 60 s")
        self.frame = poll(lambda: next((w for w in children(self.app)
                                        if w.getRole() == pyatspi.ROLE_FRAME
                                        and has(w, pyatspi.STATE_SHOWING)), None), 60)
        if not self.frame:
            failures.fatal("the Library's window (a frame) did not show within 60 s")
        # The main window is the one X window the Library shows at start.
        self.main_window = poll(self._only_window, 30)
        if not poll(lambda: title_part in (self.window_title() or ""), 30):
            failures.fatal("the window's title never held %r; it is %r"
                           % (title_part, self.window_title()))

    def _only_window(self):
        ids = xdotool("search", "--all", "--onlyvisible", "--pid", str(self.process.pid),
                      "--name", E.APP_NAME + "$", check=False).split()
        return ids[0] if len(ids) == 1 else None

    def window_id(self):
        """The X window of the main window."""
        return getattr(self, "main_window", None)

    def window_title(self):
        wid = self.window_id()
        return xdotool("getwindowname", wid, check=False).strip() if wid else None

    def active(self):
        """Whether the main window is the window manager's active window and
        AT-SPI says so too (Orca follows the latter)."""
        return self.x_active() and self.atspi_active()

    def x_active(self):
        active = xdotool("getactivewindow", check=False).strip()
        return bool(active) and active == self.window_id()

    def atspi_active(self):
        # Read from the program, not from libatspi's cache of its states.
        self.frame.clear_cache()
        return has(self.frame, pyatspi.STATE_ACTIVE)

    def activity(self):
        """Which of the two says the window is active, for a failure's text."""
        return "active for X %s, for AT-SPI %s" % (self.x_active(), self.atspi_active())

    def dialogs(self):
        """The application's top-level windows other than its frame that show."""
        return [w for w in children(self.app) if w != self.frame and has(w, pyatspi.STATE_SHOWING)]

    def wait_dialog(self, title, seconds=20):
        return poll(lambda: next((w for w in self.dialogs() if w.name == title), None), seconds)

    def close_dialogs(self):
        """Closes whatever dialog shows with Escape, as a user would."""
        for _ in range(5):
            if not poll(lambda: self.dialogs(), 0.5):
                return
            key("Escape")
            poll(lambda: not self.dialogs(), 5)

    def current_tab(self):
        """The tab of the bank shown: the selected tab (Qt 6.4 marks it
        focused instead)."""
        tabs = find(self.frame, pyatspi.ROLE_PAGE_TAB_LIST)
        if tabs is None:
            return None
        tabs = [t for t in children(tabs) if t.getRole() == pyatspi.ROLE_PAGE_TAB]
        return (next((t for t in tabs if has(t, pyatspi.STATE_SELECTED)), None)
                or next((t for t in tabs if has(t, pyatspi.STATE_FOCUSED)), None))

    def kit_table(self):
        """The kit table of the bank shown: the showing table of 5 columns."""
        def kit_tables(obj):
            return (obj.getRole() == pyatspi.ROLE_TABLE and has(obj, pyatspi.STATE_SHOWING)
                    and obj.queryTable().nColumns == len(E.KIT_COLUMNS))
        found = find_all(self.frame, kit_tables, showing_only=True)
        return found[0] if found else None

    def pad_table(self):
        def pad_tables(obj):
            return (obj.getRole() == pyatspi.ROLE_TABLE and has(obj, pyatspi.STATE_SHOWING)
                    and obj.queryTable().nRows == 14)
        found = find_all(self.frame, pad_tables, showing_only=True)
        return found[0] if found else None

    def quit(self):
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(10)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        self.log.close()


def cell(table, row, column):
    return table.queryTable().getAccessibleAt(row, column)


def cell_text(table, row, column):
    try:
        found = cell(table, row, column)
        return found.name if found is not None else None
    except Exception:
        return None


def kit_name_at(table, row):
    return (cell_text(table, row, E.NAME_COLUMN) or "").strip()


def click(obj):
    """A click in the middle of obj, as a user clicks it."""
    x, y, w, h = obj.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    # Not --sync: xdotool then waits for a move that never comes when the
    # pointer is there already.
    xdotool("mousemove", str(x + w // 2), str(y + h // 2))
    time.sleep(0.1)
    xdotool("click", "1")
    time.sleep(0.1)


# --- the keyboard --------------------------------------------------------

def xdotool(*args, check=True):
    result = subprocess.run(["xdotool"] + list(args), capture_output=True, text=True)
    if check and result.returncode != 0:
        raise RuntimeError("xdotool %s: %s" % (" ".join(args), result.stderr.strip()))
    return result.stdout


def key(*keys):
    for k in keys:
        xdotool("key", "--clearmodifiers", k)
        time.sleep(0.15)


def type_text(text):
    xdotool("type", "--delay", "40", text)


# --- events --------------------------------------------------------------

class Events:
    """What AT-SPI reports while the checks run: the object that took the
    focus last, and each notification as it was shown."""

    def __init__(self):
        self.focused = None
        self.focus_count = 0
        self.notifications = []
        pyatspi.Registry.registerEventListener(self._focus, "object:state-changed:focused")
        pyatspi.Registry.registerEventListener(self._showing, "object:state-changed:showing")

    def _focus(self, event):
        if event.detail1:
            self.focused = event.source
            self.focus_count += 1

    def _showing(self, event):
        try:
            if event.detail1 and event.source.getRole() == pyatspi.ROLE_NOTIFICATION:
                self.notifications.append(event.source.name or "")
        except Exception:
            pass

    def focus(self):
        """The object with the keyboard focus now, as the last focus event
        named it and its state still says."""
        pump()
        if self.focused is not None and has(self.focused, pyatspi.STATE_FOCUSED):
            return self.focused
        return None

    def mark(self):
        pump()
        return len(self.notifications)

    def announced_since(self, mark):
        pump()
        return self.notifications[mark:]


def wait_announced(events, mark, text, seconds=20):
    """The notification holding `text` shown since mark, or None."""
    return poll(lambda: next((n for n in events.announced_since(mark) if text in n), None), seconds)


# --- Orca ----------------------------------------------------------------

SPEECH = re.compile(r"SPEECH OUTPUT: '(.*)'(?: ?\{.*\})?\s*$")


class OrcaLog:
    """What Orca said, read from its debug log, one utterance an entry."""

    def __init__(self, path):
        self.path = path

    def size(self):
        try:
            return os.path.getsize(self.path)
        except OSError:
            return 0

    def mark(self):
        return self.size()

    def spoken_since(self, mark):
        try:
            with open(self.path, "rb") as log:
                log.seek(mark)
                lines = log.read().decode("utf-8", "replace").splitlines()
        except OSError:
            return []
        return [m.group(1) for m in (SPEECH.search(line) for line in lines) if m]

    def wait_said(self, mark, text, seconds=20):
        """The utterance holding `text` said since mark, or None."""
        return poll(lambda: next((s for s in self.spoken_since(mark) if text in s), None),
                    seconds, step=0.2)

    def wait_quiet(self, seconds=1.0, limit=15):
        """Waits until Orca has said nothing for `seconds`."""
        end = time.monotonic() + limit
        last = self.size()
        still = time.monotonic()
        while time.monotonic() < end:
            time.sleep(0.2)
            pump()
            now = self.size()
            if now != last:
                last, still = now, time.monotonic()
            elif time.monotonic() - still >= seconds:
                return

    def excerpt(self, mark):
        said = self.spoken_since(mark)
        return " | ".join(said[-12:]) if said else "(nothing)"


def orca_log():
    path = os.environ.get("ORCA_LOG")
    return OrcaLog(path) if path else None


def wait_orca_ready(orca, failures):
    """Waits until Orca has presented a window: it reads the program from then on."""
    if not poll(lambda: any(s.endswith("frame.") or " frame" in s for s in orca.spoken_since(0)),
                60, step=0.3):
        failures.fatal("Orca presented no window within 60 s; it said: " + orca.excerpt(0))
