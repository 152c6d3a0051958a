# Journey: a whole game on a 3 x 2 board chosen in the settings dialog, solved
# by mouse alone from what the board shows, up to the congratulation and the
# new best time; on the way a move is taken back and played again by key, and
# a pause hides the board until a key resumes. What the menus and boxes say,
# in the language the journey runs in (E2E_LANG), is read as a screen reader
# reads it, and the help opens in that language too.
source "$(dirname "$0")/lib.sh"

if [[ "$E2E_LANG" == en ]]; then
  say_start="Start the game?"
  say_done="Congratulations!"
  # A time: "3 min 25 s", "1 h 02 min 05 s" or "3:25".
  say_time='[0-9]+ ?(s|sec|secs|seconds?)([^a-z]|$)|[0-9]+:[0-5][0-9]'
  say_help="QUAVINTO Help - Contents"
  taller_by=10
else
  say_start="ゲームを開始します"
  say_done="おめでとうございます。"
  say_time='^[0-9]+時間[0-9]+分[0-9]+秒です。$'
  say_help="QUAVINTO ヘルプ - 目次"
  taller_by=20
fi

fresh_home
start_a11y_bus
start_app
skip_wait_window
# Every menu title and command by name, in the journey's language.
names_heard() { a11y_client tree >"$E2E_WORK/tree.txt"; }
poll "$E2E_TIMEOUT" names_heard || fail "the menus do not read as expected: $(tail -5 "$E2E_WORK/client-errors.log")"
note "the menus read in $E2E_LANG"

cmd_settings
settings_free 3 2
use_pieces "$E2E_RESOURCES/default.bmp" 3 2
solved=$(solved_state)
expect_board "$solved"
note "3 x 2 board of ${PIECE_W}x${PIECE_H} pieces shows the picture whole"

cmd_start_game
question=$(wait_dialog)
read -r _ _ _ question_h <<<"$(win_geom "$question")"
said=$(a11y_client message) || fail "the start question: $(tail -5 "$E2E_WORK/client-errors.log")"
[[ "$said" == "$say_start" ]] || fail "the start question says '$said', not '$say_start'"
answer "$question" alt+y
state=$(board_settles)
note "shuffled: $state"

moves=()
mapfile -t moves < <(solve_moves "$state")
note "${#moves[@]} moves: ${moves[*]}"

# With click to pick up on, the first exchange is two clicks, no button held
# between them; the board shows it as a drag would, and the rest is dragged.
cmd_click_to_pick_up
first=(${moves[0]})
if [[ "${first[0]}" == exchange && ${#moves[@]} -gt 1 ]]; then
  before=$state
  state=$(state_after_exchange "$state" "${first[1]}" "${first[2]}")
  click_exchange "${first[1]}" "${first[2]}"
  expect_board "$state"
  note "two clicks exchanged cells ${first[1]} and ${first[2]}"
  moves=("${moves[@]:1}")
fi
cmd_click_to_pick_up

last=$((${#moves[@]} - 1))
for ((i = 0; i < last; i++)); do
  before=$state
  state=$(play_move "$state" ${moves[$i]})
  # Each move shows its result at once, and the game is not over early.
  expect_board "$state"
  if ((i == 0)); then
    xdotool key ctrl+z
    expect_board "$before"
    xdotool key ctrl+y
    expect_board "$state"
    note "the first move taken back with Ctrl+Z and played again with Ctrl+Y"
    # Paused, the board shows no piece at all; a key brings it back.
    xdotool key p
    covered() { [[ "$(board_state)" == "$(printf '?,%.0s' $(seq 2 $((GRID_COLS * GRID_ROWS))))?" ]]; }
    poll "$E2E_TIMEOUT" covered || fail "the paused board still shows pieces: [$(board_state)]"
    shot "$E2E_WORK/paused.png"
    xdotool key space
    expect_board "$state"
    note "P hid every piece, a key showed them again"
    # Another program taking the focus pauses the game by itself.
    LC_ALL=C xmessage -geometry +600+400 "another program" &
    other=$!
    poll "$E2E_TIMEOUT" covered || fail "the board still shows pieces with another program in front"
    kill "$other"
    xdotool windowactivate --sync "$MAIN"
    xdotool key space
    expect_board "$state"
    note "another program's window paused the game; a key resumed it"
  fi
done
state=$(play_move "$state" ${moves[$last]})
[[ "$state" == "$solved" ]] || fail "the moves lead to [$state], not the solved board"

# The last move ends the game: a box with the congratulation and the time,
# on more lines than the start question's one (four in Japanese).
done_box=$(wait_dialog)
read -r _ _ _ done_h <<<"$(win_geom "$done_box")"
note "congratulation box ${done_h} pixels high, start question ${question_h}"
((done_h > question_h + taller_by)) || fail "the closing box is no taller than the start question"
said=$(a11y_client message) || fail "the congratulation: $(tail -5 "$E2E_WORK/client-errors.log")"
[[ "$said" == "$say_done"* ]] || fail "the closing box begins '$(head -1 <<<"$said")', not '$say_done'"
grep -qE "$say_time" <<<"$said" || fail "the closing box gives no time: $(tr '\n' '|' <<<"$said")"
note "the closing box says: $(tr '\n' ' ' <<<"$said")"
answer "$done_box" Return
# The first game on this picture and grid is its best time so far.
record_box=$(wait_dialog)
answer "$record_box" Return

# The picture is whole again, and a new game can be started.
expect_board "$solved"
cmd_start_game
again=$(wait_dialog)
answer "$again" alt+n

# The help's contents page, in the journey's language; the window manager's
# close key puts it away.
cmd_help_contents
poll "$E2E_TIMEOUT" help_shows "$say_help" || fail "the help window is titled '$(help_title)', not '$say_help'"
xdotool key alt+F4
help_closed() { [[ -z "$(help_title)" ]]; }
poll "$E2E_TIMEOUT" help_closed || fail "the help window did not close"
note "the help opened as '$say_help'"

# 終了 with no game in play: the confirmation only, and the program ends.
cmd_exit
confirm=$(wait_dialog)
answer "$confirm" Return
wait_app_exit || fail "the program did not end cleanly after 終了"
grep -q '^Xn=3' "$(settings_file)" || fail "the 3 x 2 grid was not kept in the settings"

# At two device pixels a pixel (QT_SCALE_FACTOR=2) the same window is twice as
# large on the screen and the board draws at the screen's own pixels: a piece
# dragged by real X input lands in the cell under the pointer, so the two
# cells show each other's pieces, pixel for pixel, and the clock counts it.
SCREEN_SCALE=2
start_app
wait=$(poll_output "$E2E_TIMEOUT" wait_window) || fail "the start-up window did not appear at scale 2"
g=($(win_geom "$wait"))
xdotool mousemove $((g[0] + g[2] / 2)) $((g[1] + g[3] / 2)) click 1
MAIN=$(poll_output "$E2E_TIMEOUT" main_window) || fail "the main window did not appear at scale 2"
poll "$E2E_TIMEOUT" main_window_focused || fail "the main window did not get the focus at scale 2"
# The picture whole on the board, twice as large as at 1. The menu bar's
# font is drawn at its own size there, so the bar is not exactly twice as
# high: the board's top is found by the picture's top rows, in the column
# where the board begins.
"$CONVERT" "$E2E_RESOURCES/default.bmp" -crop "$(board_w)x$(board_h)+0+0" +repage -scale 200% "$E2E_WORK/whole-2.png"
"$CONVERT" "$E2E_WORK/whole-2.png" -crop 240x16+0+0 +repage "$E2E_WORK/top-2.png"
search_h=$((4 * BOARD_DY))
whole_at_scale() {
  local g found
  g=($(main_geom))
  shot "$E2E_WORK/find-2.png"
  crop "$E2E_WORK/find-2.png" $((g[0] + 2 * BOARD_DX)) "${g[1]}" 240 "$search_h" "$E2E_WORK/column-2.png"
  found=$("$COMPARE" -metric RMSE -subimage-search "$E2E_WORK/column-2.png" "$E2E_WORK/top-2.png" null: 2>&1 || true)
  [[ "$found" =~ @\ 0,([0-9]*[02468])$ ]] || return 1
  BOARD_DY=$((BASH_REMATCH[1] / 2))
  board_shot "$E2E_WORK/board-2.png" $((2 * $(board_w))) $((2 * $(board_h)))
  LIKENESS_2=$("$COMPARE" -metric NCC "$E2E_WORK/board-2.png" "$E2E_WORK/whole-2.png" null: 2>&1 || true)
  awk -v v="$LIKENESS_2" 'BEGIN {exit !(v + 0 >= 0.95)}'
}
poll "$E2E_TIMEOUT" whole_at_scale || fail "the board at scale 2 is not the picture twice as large (${LIKENESS_2:-not found})"
note "at scale 2 the board shows the picture twice as large, ${BOARD_DY} pixels below the window's top"
# ゲーム開始 by keys: F10 opens the first menu, the right arrow the next one at its first command.
xdotool key F10
poll_output "$E2E_TIMEOUT" popup_menu >/dev/null || fail "F10 opened no menu at scale 2"
first_menu=$(popup_menu)
xdotool key Right
next_menu() { [[ -n "$(popup_menu)" && "$(popup_menu)" != "$first_menu" ]]; }
poll "$E2E_TIMEOUT" next_menu || fail "the right arrow did not open the next menu at scale 2"
xdotool key Return
answer "$(wait_dialog)" alt+y
# The shuffled board, once two looks at it a moment apart agree.
settled_at_scale() {
  shot "$E2E_WORK/before-2.png"
  sleep 0.2
  shot "$E2E_WORK/again-2.png"
  same_pixels "$E2E_WORK/before-2.png" "$E2E_WORK/again-2.png"
}
poll "$E2E_TIMEOUT" settled_at_scale || fail "the board at scale 2 does not settle"
cell_pixels "$E2E_WORK/before-2.png" 0 "$E2E_WORK/from-before.png"
cell_pixels "$E2E_WORK/before-2.png" 5 "$E2E_WORK/to-before.png"
drag_piece 0 5
exchanged_at_scale() {
  shot "$E2E_WORK/after-2.png"
  cell_pixels "$E2E_WORK/after-2.png" 0 "$E2E_WORK/from-after.png"
  cell_pixels "$E2E_WORK/after-2.png" 5 "$E2E_WORK/to-after.png"
  same_pixels "$E2E_WORK/from-after.png" "$E2E_WORK/to-before.png" &&
    same_pixels "$E2E_WORK/to-after.png" "$E2E_WORK/from-before.png"
}
poll "$E2E_TIMEOUT" exchanged_at_scale ||
  fail "at scale 2 cells 0 and 5 do not show each other's pieces after the drag" \
    "($(pixel_diff "$E2E_WORK/from-after.png" "$E2E_WORK/to-before.png") and" \
    "$(pixel_diff "$E2E_WORK/to-after.png" "$E2E_WORK/from-before.png") pixels differ)"
moved_once() { [[ "$(clock_moves)" == 1 ]]; }
poll "$E2E_TIMEOUT" moved_once || fail "the clock at scale 2 reads '$(a11y_client clock)', not one move"
note "at scale 2 a drag from cell 0 to cell 5 exchanged their pieces, one move on the clock"
stop_app
