# SPDX-License-Identifier: GPL-3.0-or-later
# Transfers with the instrument under Orca, on the JACK server of the test
# run: a receive of all 64 kits, a send of the bank and a receive cancelled
# half-way. For each: its start, progress at steps and end are announced
# (a notification shown, and Orca says it), the focus goes to Cancel while
# it runs and back afterwards. a11y_instrument is the instrument. Run by
# run_checks.sh transfers, which starts Orca.
import os
import re
import subprocess

import pyatspi

import expected as E
from library_driver import (RUN, INSTRUMENT, Events, Failures, Library, describe, find, has,
                            is_within, key, orca_log, poll, wait_announced, wait_orca_ready)

CLIENT = "a11y-instrument"


class Instrument:
    """a11y_instrument jack: the instrument's MIDI OUT and MIDI IN."""

    def __init__(self, failures):
        self.process = subprocess.Popen([INSTRUMENT, "jack", CLIENT], stdin=subprocess.PIPE,
                                        stdout=subprocess.PIPE, text=True, bufsize=1)
        ready = self.process.stdout.readline().split()
        if len(ready) != 3 or ready[0] != "ready":
            failures.fatal("a11y_instrument did not start on the JACK server %r: %r"
                           % (os.environ.get("JACK_DEFAULT_SERVER"), ready))
        self.out, self.inp = ready[1], ready[2]

    def ask(self, line):
        self.process.stdin.write(line + "\n")
        self.process.stdin.flush()
        return self.process.stdout.readline().strip()

    def quit(self):
        if self.process.poll() is None:
            try:
                self.ask("quit")
            except (BrokenPipeError, OSError):
                pass
            try:
                self.process.wait(10)
            except subprocess.TimeoutExpired:
                self.process.kill()


def write_settings(instrument):
    folder = os.path.join(os.environ["XDG_CONFIG_HOME"], "Tamboril")
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "Tamboril Library.conf"), "w") as settings:
        settings.write("[instrument]\ninputPort=%s\noutputPort=%s\nreceiveTimeout=60\n"
                       "sendPause=60\n" % (instrument.out, instrument.inp))


def button(lib, name):
    return find(lib.frame, pyatspi.ROLE_PUSH_BUTTON, name)


def start_with_keyboard(f, lib, events, name):
    """Gives the button the focus and presses Space on it, as a user does."""
    target = button(lib, name)
    if target is None:
        f.fatal("no button %r in the Instrument panel" % name)
    target.queryComponent().grabFocus()
    if not poll(lambda: events.focus() == target, 5):
        f.fatal("the button %r did not take the focus: %s" % (name, describe(events.focus())))
    key("space")
    return target


def check_cancel_has_focus(f, lib, events, what):
    cancel = button(lib, E.CANCEL_BUTTON)
    f.check(poll(lambda: events.focus() == cancel, 5) is not None and events.focus() == cancel,
            "%s puts the focus on Cancel" % what, "focus on %s" % describe(events.focus()))


def check_said(f, orca, events, said_mark, shown_mark, text, what, seconds=30):
    shown = wait_announced(events, shown_mark, text, seconds)
    f.check(shown is not None, "%s: a notification holding %r is shown" % (what, text),
            "notifications shown: %s" % events.announced_since(shown_mark)[-8:])
    said = orca.wait_said(said_mark, text, 10 if shown else 3)
    f.check(said is not None, "%s: Orca says %r" % (what, text),
            "Orca said: " + orca.excerpt(said_mark))


def check_steps(f, orca, events, said_mark, shown_mark, template, what):
    """Progress told once in every step of kits, in each case both shown
    and said: kits may come in bursts, so the count told is the one reached
    in that step, not always a multiple of the step."""
    pattern = re.compile(re.escape(template).replace(re.escape("{count}"), r"(\d+)"))

    def bands(texts):
        return {int(m.group(1)) // E.PROGRESS_STEP for t in texts for m in [pattern.search(t)] if m}

    wanted = set(range(1, 64 // E.PROGRESS_STEP))
    not_shown = sorted(wanted - bands(events.announced_since(shown_mark)))
    not_said = sorted(wanted - bands(orca.spoken_since(said_mark)))
    f.check(not not_shown, "%s: progress is shown as notifications in every %d kits"
            % (what, E.PROGRESS_STEP),
            "no count told from kit %s" % [b * E.PROGRESS_STEP for b in not_shown])
    f.check(not not_said, "%s: Orca says the progress in every %d kits" % (what, E.PROGRESS_STEP),
            "no count said from kit %s" % [b * E.PROGRESS_STEP for b in not_said])


def transfer_ended(lib):
    cancel = button(lib, E.CANCEL_BUTTON)
    return cancel is not None and not has(cancel, pyatspi.STATE_ENABLED)


def check_receive(f, lib, events, orca, instrument):
    said, shown = orca.mark(), events.mark()
    tabs_before = lib.current_tab()
    start_with_keyboard(f, lib, events, E.RECEIVE_ALL_BUTTON)
    check_said(f, orca, events, said, shown, E.RECEIVE_START.format(port=instrument.out),
               "Receive all 64 kits starts")
    check_cancel_has_focus(f, lib, events, "Receive all 64 kits")
    if instrument.ask("listening 20") != "yes":
        f.fatal("the Library did not listen to %s within 20 s" % instrument.out)
    instrument.ask("play 0 64 60")
    if not poll(lambda: transfer_ended(lib), 30):
        f.fatal("the receive did not end within 30 s of the dump")
    check_said(f, orca, events, said, shown, E.RECEIVED.format(port=instrument.out),
               "the receive ends")
    check_steps(f, orca, events, said, shown, E.RECEIVE_PROGRESS, "the receive")
    back = poll(lambda: lib.current_tab() != tabs_before and lib.kit_table() is not None
                and is_within(events.focus(), lib.kit_table()) and lib.active(), 10)
    f.check(back, "after the receive the focus is in the new bank's kit table",
            "tab %s, focus on %s" % (describe(lib.current_tab()), describe(events.focus())))
    orca.wait_quiet()


def check_send(f, lib, events, orca, instrument):
    instrument.ask("received")
    said, shown = orca.mark(), events.mark()
    send = start_with_keyboard(f, lib, events, E.SEND_BANK_BUTTON)
    if lib.dialogs():
        f.fatal("Send bank asked first: %s" % [describe(d) for d in lib.dialogs()])
    check_cancel_has_focus(f, lib, events, "Send bank")
    if not poll(lambda: transfer_ended(lib), 60):
        f.fatal("the send did not end within 60 s")
    check_said(f, orca, events, said, shown, E.SEND_START.format(port=instrument.inp),
               "Send bank starts", seconds=3)
    check_said(f, orca, events, said, shown, E.SENT.format(port=instrument.inp), "the send ends")
    check_steps(f, orca, events, said, shown, E.SEND_PROGRESS, "the send")
    f.check(poll(lambda: events.focus() == send, 10),
            "after the send the focus is back on Send bank", "on %s" % describe(events.focus()))
    arrived = poll(lambda: instrument.ask("received") == "received 64", 10)
    f.check(arrived, "the instrument received the 64 kits sent", instrument.ask("received"))
    orca.wait_quiet()


def progress_value(lib):
    bar = find(lib.frame, pyatspi.ROLE_PROGRESS_BAR)
    return bar.queryValue().currentValue if bar is not None else None


def check_cancel(f, lib, events, orca, instrument):
    said, shown = orca.mark(), events.mark()
    receive = start_with_keyboard(f, lib, events, E.RECEIVE_ALL_BUTTON)
    if instrument.ask("listening 20") != "yes":
        f.fatal("the Library did not listen to %s within 20 s" % instrument.out)
    count = E.CANCEL_AFTER_KITS
    instrument.ask("play 0 %d 30" % count)
    poll(lambda: progress_value(lib) == count, 10)
    cancel = button(lib, E.CANCEL_BUTTON)
    if events.focus() == cancel:
        key("space")
    else:
        f.check(False, "Cancel has the focus while the receive runs, so Space presses it",
                "focus on %s; Cancel pressed through AT-SPI instead" % describe(events.focus()))
        from library_driver import press
        press(cancel)
    if not poll(lambda: transfer_ended(lib), 15):
        f.fatal("the cancelled receive did not end within 15 s")
    check_said(f, orca, events, said, shown, E.CANCELLED_RECEIVE.format(count=count),
               "the cancelled receive ends")
    f.check(poll(lambda: events.focus() == receive, 10),
            "after the cancel the focus is back on %s" % E.RECEIVE_ALL_BUTTON,
            "on %s" % describe(events.focus()))


def main():
    f = Failures("transfers")
    orca = orca_log()
    if orca is None:
        f.fatal("no Orca debug log: run through run_checks.sh transfers")
    bank = os.path.join(RUN, "banks", "bank.syx")
    subprocess.run([INSTRUMENT, "bank", bank], check=True)
    instrument = Instrument(f)
    write_settings(instrument)
    events = Events()
    lib = Library(bank)
    try:
        lib.wait_started(f, "bank.syx")
        wait_orca_ready(orca, f)
        orca.wait_quiet()
        check_receive(f, lib, events, orca, instrument)
        check_send(f, lib, events, orca, instrument)
        check_cancel(f, lib, events, orca, instrument)
    finally:
        lib.quit()
        instrument.quit()
    f.finish()


main()
