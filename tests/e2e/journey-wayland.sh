# Journey: the program as a Wayland client. A weston compositor runs as a
# window of the private X server (its x11 backend, full screen), so xdotool's
# real pointer and keys reach weston, and weston hands them to the program,
# which has no X display at all. The program has no window ids here: its
# windows are found by what they show. Start-up through the wait window, a
# whole 3 x 2 game played by dragging and right clicks, up to the
# congratulation.
source "$(dirname "$0")/lib.sh"

PY=/usr/bin/python3
FIND="$E2E_DIR/find-on-screen.py"
command -v weston >/dev/null || { note "skipped: weston is missing (scripts/install-deps test)"; exit 77; }
qt_plugins=$(dirname "$(dirname "$(dpkg -L libqt6gui6 2>/dev/null | grep -m1 '/plugins/platforms/libqxcb.so$')")" 2>/dev/null || true)
ls "$qt_plugins"/platforms/libqwayland-*.so >/dev/null 2>&1 ||
  { note "skipped: Qt's Wayland platform is missing (qt6-wayland, scripts/install-deps test)"; exit 77; }

WESTON_PID=""
stop_weston() {
  stop_app
  if [[ -n "$WESTON_PID" ]]; then
    kill "$WESTON_PID" 2>/dev/null || true
    wait "$WESTON_PID" 2>/dev/null || true
  fi
}
trap stop_weston EXIT

fresh_home
# A 3 x 2 grid from the settings store, so the game is short.
mkdir -p "$(dirname "$(settings_file)")"
printf '[QUAVINTO]\nXn=3\nYn=2\nSepFlag=3\nHyoujiFlag=0\nColorFlag=0\nZoomFlag=1\n' >"$(settings_file)"

# No panel, no screen lock, one plain colour behind the windows.
cat >"$E2E_WORK/weston.ini" <<'INI'
[core]
idle-time=0
[shell]
panel-position=none
background-color=0xff204060
locking=false
INI
socket="quavinto-e2e-$$"
weston --backend=x11-backend.so --use-pixman --width=1200 --height=900 --socket="$socket" \
  --config="$E2E_WORK/weston.ini" >"$E2E_WORK/weston.log" 2>&1 &
WESTON_PID=$!
poll 15 test -S "$XDG_RUNTIME_DIR/$socket" || fail "weston did not start: $(tail -5 "$E2E_WORK/weston.log")"
export WAYLAND_DISPLAY=$socket E2E_PLATFORM=wayland
read -r SCREEN_W _ <<<"$(xdpyinfo | awk '/dimensions:/ {split($2, d, "x"); print d[1], d[2]}')"
# weston's output is a window of the X server; its log names it.
weston_window() { sed -n 's/.*x11 output [0-9]*x[0-9]*, window id \([0-9]*\).*/\1/p' "$E2E_WORK/weston.log" | head -1; }
output=$(poll_output "$E2E_TIMEOUT" weston_window) || fail "weston's window did not appear"
OUTPUT=($(poll_output "$E2E_TIMEOUT" win_geom "$output")) || fail "weston's window $output is not on the screen"

# Between moves the pointer rests in the corner of weston's screen farthest
# from the board: weston draws the pointer into the picture, where it would
# hide part of a cell, and it keeps drawing it where the pointer last was
# inside its window.
board_at=($((OUTPUT[0] + OUTPUT[2] / 2)) $((OUTPUT[1] + OUTPUT[3] / 2)))
rest_pointer() {
  local x=$((OUTPUT[0] + 4)) y=$((OUTPUT[1] + 4))
  ((board_at[0] + 192 < OUTPUT[0] + OUTPUT[2] / 2)) && x=$((OUTPUT[0] + OUTPUT[2] - 5))
  ((board_at[1] + 128 < OUTPUT[1] + OUTPUT[3] / 2)) && y=$((OUTPUT[1] + OUTPUT[3] - 5))
  xdotool mousemove "$x" "$y"
}

# find_shown PICTURE W H: where the top-left W x H pixels of PICTURE are on the screen.
find_shown() {
  "$CONVERT" "$1" -crop "$2x$3+0+0" +repage -depth 8 "rgb:$E2E_WORK/part.rgb"
  "$IMPORT" -window root -depth 8 "rgb:$E2E_WORK/screen.rgb" 2>/dev/null
  "$PY" "$FIND" "$E2E_WORK/screen.rgb" "$SCREEN_W" "$E2E_WORK/part.rgb" "$2"
}

rest_pointer
start_app

# The wait window: the compositor places it; a click on it opens the main window.
wait_at=($(poll_output "$E2E_TIMEOUT" find_shown "$E2E_RESOURCES/startup.bmp" 380 4)) ||
  fail "the wait window's picture is not on the screen"
note "wait window shown at ${wait_at[*]}"
xdotool mousemove $((wait_at[0] + 192)) $((wait_at[1] + 128)) click 1
rest_pointer

# The main window, found by its board: the default picture, whole.
board_at=($(poll_output "$E2E_TIMEOUT" find_shown "$E2E_RESOURCES/default.bmp" 380 4)) ||
  fail "the board with the default picture is not on the screen"
note "board shown at ${board_at[*]}"
board_origin() { echo "${board_at[@]}"; }
use_pieces "$E2E_RESOURCES/default.bmp" 3 2
solved=$(solved_state)
expect_board "$solved"

# wl_menu_titles: the menu bar's titles, as runs of ink on the band of text
# in the 20 rows above the board's window area (which begins 20 pixels above
# the board); prints "Y X1 X2...", the band's middle row and each title's
# centre. Rows inked all across are lines, not text.
wl_menu_titles() {
  local left=$((board_at[0] - 8)) top=$((board_at[1] - 40)) width=380 band s p
  "$IMPORT" -window root "$E2E_WORK/bar.png"
  "$CONVERT" "$E2E_WORK/bar.png" -crop "${width}x20+$left+$top" +repage -colorspace gray -threshold 85% -negate \
    "$E2E_WORK/bar-ink.png"
  band=$("$CONVERT" "$E2E_WORK/bar-ink.png" -scale "1x20!" -depth 8 txt:- |
    awk -F'[,: ()]+' 'NR > 1 && $4 > 0 && $4 < 250 {print $2}' |
    awk 'NR == 1 {s = $1} {p = $1} END {if (NR) print s, p}')
  [[ -n "$band" ]] || return 1
  read -r s p <<<"$band"
  echo -n "$((top + (s + p) / 2))"
  "$CONVERT" "$E2E_WORK/bar-ink.png" -crop "${width}x$((p - s + 1))+0+$s" +repage -scale "${width}x1!" -depth 8 txt:- |
    awk -F'[,: ()]+' 'NR > 1 && $4 > 0 {print $1}' |
    awk -v left="$left" 'NR == 1 {s = $1; p = $1; next}
         {if ($1 - p > 8) {printf " %d", left + int((s + p) / 2); s = $1} p = $1}
         END {if (NR) printf " %d\n", left + int((s + p) / 2)}'
}
bar=($(wl_menu_titles))
note "menu bar: ${bar[*]}"
((${#bar[@]} == 6)) || fail "expected 5 menu titles above the board, found: ${bar[*]:1}"

# ゲーム → ゲーム開始 by pointer: the menu opens below its title and its first
# command lies just below the menu bar.
strip_shot() { "$IMPORT" -window root "$E2E_WORK/$1" && crop "$E2E_WORK/$1" $((bar[2] - 20)) $((board_at[1] - 18)) 80 14 "$E2E_WORK/strip-$1"; }
strip_shot closed.png
xdotool mousemove "${bar[2]}" "${bar[0]}" click 1
menu_open() { strip_shot open.png && ! same_pixels "$E2E_WORK/strip-closed.png" "$E2E_WORK/strip-open.png"; }
poll "$E2E_TIMEOUT" menu_open || fail "the ゲーム menu did not open"
xdotool mousemove $((bar[2] + 10)) $((board_at[1] - 9)) click 1
rest_pointer

# The start question is a window of its own; the compositor gives it the
# keyboard. Once answered, play starts and the board shows its focus cell,
# outlined in yellow inside a black band.
playing() { [[ "$(pixel_at $((board_at[0] + 1)) $((board_at[1] + 1)))" == 255,255,0 ]]; }
for attempt in 1 2 3 4 5 6 7 8 9 10; do
  xdotool key alt+y
  poll 2 playing && break
done
playing || fail "the game did not start after answering the question"
state=$(board_settles)
note "shuffled: $state"

# The outline that follows a dragged piece is drawn inside the window, so it
# shows on Wayland too: halfway from cell 0 to cell 4 its top edge runs across
# the board where the piece's top would be. Released back on its own cell,
# the piece stays where it was.
"$IMPORT" -window root "$E2E_WORK/before-drag.png"
from=($(cell_centre 0))
to=($(cell_centre 4))
mid=($(((from[0] + to[0]) / 2)) $(((from[1] + to[1]) / 2)))
xdotool mousemove "${from[@]}" mousedown 1 mousemove $((from[0] + 6)) $((from[1] + 6)) mousemove "${mid[@]}"
edge_x=$((mid[0] - PIECE_W / 2 + 4))
edge_y=$((mid[1] - PIECE_H / 2 - 1))
outline_shown() {
  "$IMPORT" -window root "$E2E_WORK/during-drag.png"
  crop "$E2E_WORK/before-drag.png" "$edge_x" "$edge_y" $((PIECE_W - 8)) 3 "$E2E_WORK/edge-before.png"
  crop "$E2E_WORK/during-drag.png" "$edge_x" "$edge_y" $((PIECE_W - 8)) 3 "$E2E_WORK/edge-during.png"
  awk -v d="$(pixel_diff "$E2E_WORK/edge-before.png" "$E2E_WORK/edge-during.png")" -v n=$((PIECE_W - 8)) \
    'BEGIN {exit !(d + 0 >= n * 0.9)}'
}
poll "$E2E_TIMEOUT" outline_shown || fail "no outline follows the dragged piece"
xdotool mousemove "${from[@]}" mouseup 1
rest_pointer
expect_board "$state"
note "the dragged piece's outline follows the pointer"

moves=()
mapfile -t moves < <(solve_moves "$state")
note "${#moves[@]} moves: ${moves[*]}"
last=$((${#moves[@]} - 1))
for ((i = 0; i < last; i++)); do
  state=$(play_move "$state" ${moves[$i]})
  rest_pointer
  expect_board "$state"
done
"$IMPORT" -window root "$E2E_WORK/before-last.png"
state=$(play_move "$state" ${moves[$last]})
rest_pointer
[[ "$state" == "$solved" ]] || fail "the moves lead to [$state], not the solved board"

# The last move ends the game: a congratulation box appears (more of the
# screen changes than the two cells of the last move and the focus outline),
# and Return closes it again, leaving the board whole.
differ_by_more() {
  awk -v d="$(pixel_diff "$1" "$2")" -v n="$3" 'BEGIN {exit !(d + 0 > n + 0)}'
}
box_shown() {
  "$IMPORT" -window root "$E2E_WORK/box.png"
  differ_by_more "$E2E_WORK/before-last.png" "$E2E_WORK/box.png" $((2 * PIECE_W * PIECE_H + 4000))
}
poll "$E2E_TIMEOUT" box_shown || fail "no congratulation appeared after the last move"
xdotool key Return
box_gone() {
  "$IMPORT" -window root "$E2E_WORK/closed.png"
  differ_by_more "$E2E_WORK/box.png" "$E2E_WORK/closed.png" 10000
}
poll "$E2E_TIMEOUT" box_gone || fail "the congratulation did not close on Return"
# The notice of the record follows (the first time on this grid, solved in
# the fewest moves); Return closes it too. With no game in play the key does
# nothing to the board.
sleep 1
xdotool key Return
expect_board "$solved"
app_running || fail "the program ended"
note "solved on Wayland; program messages: $(grep -c . "$APP_LOG" || true) lines"
