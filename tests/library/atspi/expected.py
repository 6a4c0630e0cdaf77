# SPDX-License-Identifier: GPL-3.0-or-later
# Every text the Library's screen-reader checks expect, in one place: the
# names AT-SPI gives the window's parts and what Orca says. Templates take
# their fields with str.format; a check names the constant it compared with
# when it fails, so a changed wording is mended here and nowhere else.

APP_NAME = "Tamboril Library"

# The window's accessible name follows its visible title.
WINDOW_NAME = "{bank} - Tamboril Library"
WINDOW_NAME_MODIFIED = "{bank}* - Tamboril Library"

TAB_BAR_NAME = "Banks"
# The kit title above the pads is named by what it shows.
KIT_TITLE_PREFIX = "Pads of "
INSTRUMENT_PANEL = "Instrument"
# The Instrument panel's status label is named by its text: the ports listed
# or why there is no MIDI system.
PANEL_STATUS = r"(?s)^(MIDI system: .+; \d+ input port\(s\), \d+ output port\(s\)\.|No MIDI system.*)$"
INPUT_PORT_NAME = "Input port, from the instrument's MIDI OUT"
OUTPUT_PORT_NAME = "Output port, to the instrument's MIDI IN"
# The sound pick, edited in the pad list, is named after its pad.
SOUND_PICK_NAME = "Sound of {pad}"
FIRST_PAD = "KICK 1"
# The kit table's columns; the row header of a row is its position.
KIT_COLUMNS = ["Pos", "Split file", "Kit #", "Name", "Checksum"]
NAME_COLUMN = 3
KIT_NAME = "KIT {position:02d}"   # the kits of the checks' bank (a11y_instrument bank)

# Status-bar messages, announced as they are shown.
OPENED = "Opened {path} (64 kits)."
SAVED = "Saved {path}."
# Undo and redo are announced with the command's undo text.
UNDONE = "Undone: {command}"
REDONE = "Redone: {command}"
RENAME_COMMAND = "Rename to {name}"

# Dialog titles the checks meet.
OPEN_DIALOG = "Open Bank or Kit"
RENAME_DIALOG = "Rename Kit"
SET_NUMBER_DIALOG = "Set Kit Number"
COMPARE_DIALOG = "Compare Kits"

# What Orca must not say alone when focus comes back to the kit table after
# a dialog: the table without its current row.
TABLE_ONLY_SPEECH = "table with 64 rows 5 columns"

# The Instrument panel's buttons, by their accessible names.
RECEIVE_ALL_BUTTON = "Receive all 64 kits"
SEND_BANK_BUTTON = "Send bank"
CANCEL_BUTTON = "Cancel"

# Transfers: the start (the instructions), progress at steps, the end.
RECEIVE_START = 'Listening on "{port}"'
SEND_START = 'Sending 64 kits to "{port}"'
PROGRESS_STEP = 8
RECEIVE_PROGRESS = "{count} of 64 kits received"
SEND_PROGRESS = "{count} of 64 kits sent"
RECEIVED = 'Received 64 kits from "{port}".'
SENT = 'Sent 64 kits to "{port}"'
CANCELLED_RECEIVE = "Stopped: {count} of 64 kits had arrived. Nothing was kept."
CANCEL_AFTER_KITS = 20   # kits played before Cancel is pressed

# The tree: roles that may go without a name because a screen reader never
# stops on them (Qt's plain containers), and roles whose objects may be in
# the tree while not showing (closed menus, a table's rows scrolled away).
UNNAMED_ALLOWED_ROLES = {"filler", "panel", "scroll pane", "viewport", "layered pane", "split pane",
                         "table cell", "menu bar", "separator", "application", "popup menu"}
HIDDEN_ALLOWED_ROLES = {"menu", "popup menu", "menu item", "check menu item", "separator", "table cell",
                        "table column header", "table row header"}
# Parts a screen reader reads through their parent, named or shown or not:
# a pick list's own list of entries, in the tree while it is closed.
PARTS_OF_PARENT = {("combo box", "list")}
# Decorations the tree must not offer at all, whatever their names.
DECORATION_ROLES = {"grip": "a size grip or splitter handle"}
