# Journey: the program as a screen reader meets it. A private D-Bus session
# with the accessibility bus and its registry, Qt's accessibility bridge on,
# and a client that sees the program only through that bus: the main window,
# its menu bar with every menu and item by name, the settings dialog's and a
# message box's controls named, and the board's focus cell announced as the
# arrow keys move it, checked against what the screen shows. Every name is
# heard in the language the journey runs in (E2E_LANG).
source "$(dirname "$0")/lib.sh"

if [[ "$E2E_LANG" == en ]]; then
  clock_reads='^[0-9]+:[0-5][0-9]:[0-5][0-9]  (moves 0|0 moves)( / fewest [0-9]+)?$'
  say_cell() { echo "column $1, row $2, $3"; }
  say_turned="upside down"
  say_upright="right way up"
else
  clock_reads='^[0-9]+:[0-5][0-9]:[0-5][0-9]  手数 0( / 最少 [0-9]+)?$'
  say_cell() { echo "列 $1、行 $2、$3"; }
  say_turned="裏返し"
  say_upright="正しい向き"
fi

PY=/usr/bin/python3
CLIENT="$E2E_DIR/a11y-client.py"
LAUNCHER=/usr/libexec/at-spi-bus-launcher
for need in dbus-daemon "$LAUNCHER" /usr/libexec/at-spi2-registryd; do
  command -v "$need" >/dev/null || { note "skipped: $need is missing (scripts/install-deps test: dbus, at-spi2-core)"; exit 77; }
done
"$PY" -c 'import pyatspi' 2>/dev/null || { note "skipped: python3-pyatspi is missing (scripts/install-deps test)"; exit 77; }

BUS_PID=""
LAUNCHER_PID=""
FOLLOW_PID=""
stop_bus() {
  stop_app
  local p
  for p in $FOLLOW_PID $LAUNCHER_PID $BUS_PID; do
    kill "$p" 2>/dev/null || true
    wait "$p" 2>/dev/null || true
  done
}
trap stop_bus EXIT

fresh_home
# A session bus of this journey's own; the launcher starts the accessibility
# bus beside it and announces it there, where Qt and the client look for it.
dbus-daemon --session --nofork --nopidfile --print-address=1 >"$E2E_WORK/bus-address" 2>"$E2E_WORK/bus.log" &
BUS_PID=$!
poll 10 test -s "$E2E_WORK/bus-address" || fail "the session bus did not start"
export DBUS_SESSION_BUS_ADDRESS=$(head -1 "$E2E_WORK/bus-address")
"$LAUNCHER" --launch-immediately >"$E2E_WORK/launcher.log" 2>&1 &
LAUNCHER_PID=$!
a11y_bus_up() {
  dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress >/dev/null 2>&1
}
poll 10 a11y_bus_up || fail "the accessibility bus did not start: $(cat "$E2E_WORK/launcher.log")"
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1

start_app
skip_wait_window

# The whole tree: main window, menu bar, menus, items, board.
client() { timeout 30 "$PY" "$CLIENT" "$@" 2>>"$E2E_WORK/client-errors.log"; }
app_on_bus() { client tree >"$E2E_WORK/tree.txt"; }
if ! poll "$E2E_TIMEOUT" app_on_bus; then
  client dump >"$E2E_WORK/tree-dump.txt" || true
  fail "the client does not find the program's tree: $(tail -5 "$E2E_WORK/client-errors.log"); the tree: $(cat "$E2E_WORK/tree-dump.txt")"
fi
note "main window, menu bar, 5 menus and 13 items found by name; board: $(cat "$E2E_WORK/tree.txt")"

# The settings dialog's fields and buttons, named in the journey's language.
cmd_settings
dlg=$(wait_dialog)
client dialog >"$E2E_WORK/settings-names.txt" || fail "settings dialog: $(tail -5 "$E2E_WORK/client-errors.log")"
note "settings dialog: $(wc -l <"$E2E_WORK/settings-names.txt") controls named: $(cut -d: -f2 "$E2E_WORK/settings-names.txt" | tr '\n' ',')"
settings_free 3 2
use_pieces "$E2E_RESOURCES/default.bmp" 3 2

# The start question, a message box: its buttons too.
cmd_start_game
question=$(wait_dialog)
client dialog >"$E2E_WORK/question-names.txt" || fail "message box: $(tail -5 "$E2E_WORK/client-errors.log")"
note "message box buttons: $(cut -d: -f2 "$E2E_WORK/question-names.txt" | tr '\n' ',')"
answer "$question" alt+y
state=$(board_settles)
note "shuffled: $state"
# The clock at the end of the menu bar is read out too.
client clock >"$E2E_WORK/clock.txt" || fail "clock: $(tail -5 "$E2E_WORK/client-errors.log")"
grep -qE "$clock_reads" "$E2E_WORK/clock.txt" || fail "the clock reads '$(cat "$E2E_WORK/clock.txt")'"
note "the clock reads $(cat "$E2E_WORK/clock.txt")"

# announced_for COL ROW: the description a screen reader should hear for the
# focus cell at COL, ROW (1-based), its turn read off the screen.
announced_for() {
  local IFS=,
  local cells=($state)
  local turned=${cells[$(( ($2 - 1) * 3 + $1 - 1 ))]#* }
  if ((turned)); then say_cell "$1" "$2" "$say_turned"; else say_cell "$1" "$2" "$say_upright"; fi
}

# The focus starts on column 1, row 1.
client tree >"$E2E_WORK/tree.txt" || fail "the tree is gone during play"
[[ "$(cat "$E2E_WORK/tree.txt")" == "$(announced_for 1 1)" ]] ||
  fail "at the start the board says '$(cat "$E2E_WORK/tree.txt")', expected '$(announced_for 1 1)'"

# Moves of the focus, as they are announced, each exactly once: right, down,
# left, left again against the board's edge (the same cell, said again), and
# a turn of the piece under it with R.
timeout 40 "$PY" "$CLIENT" follow 5 >"$E2E_WORK/follow.txt" 2>>"$E2E_WORK/client-errors.log" &
FOLLOW_PID=$!
follow_ready() { grep -qx ready "$E2E_WORK/follow.txt"; }
poll "$E2E_TIMEOUT" follow_ready || fail "the listening client did not start: $(tail -5 "$E2E_WORK/client-errors.log")"
lines() { grep -vx ready "$E2E_WORK/follow.txt" | wc -l; }
heard() { (($(lines) >= $1)); }
expected=()
press() {
  xdotool key "$1"
  poll "$E2E_TIMEOUT" heard "$2" || fail "no announcement after $1 (heard: $(grep -vx ready "$E2E_WORK/follow.txt" | tr '\n' '|'))"
}
press Right 1
expected+=("$(announced_for 2 1)")
press Down 2
expected+=("$(announced_for 2 2)")
press Left 3
expected+=("$(announced_for 1 2)")
press Left 4
expected+=("$(announced_for 1 2)")
state=$(state_after_turn "$state" 3)
press r 5
expected+=("$(announced_for 1 2)")
wait "$FOLLOW_PID" || fail "the listening client failed: $(tail -5 "$E2E_WORK/client-errors.log")"
FOLLOW_PID=""
mapfile -t got < <(grep -vx ready "$E2E_WORK/follow.txt")
((${#got[@]} == 5)) || fail "${#got[@]} announcements for 5 keys: ${got[*]}"
for i in 0 1 2 3 4; do
  [[ "${got[$i]}" == "${expected[$i]}" ]] || fail "announcement $((i + 1)) was '${got[$i]}', expected '${expected[$i]}'"
done
note "announced: ${got[*]}"
# What was announced after R is what the screen shows.
expect_board "$state"
