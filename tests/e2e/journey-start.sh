# Journey: the program starts with its borderless wait window in the middle of
# the screen, showing the start-up picture, and by itself opens the main
# window with the built-in picture whole on a 5 x 5 board. Started with a
# picture, as the file manager starts it, it shows that picture instead; the
# command line's --version, --help and a bad option answer on their own, in
# the environment's language.
source "$(dirname "$0")/lib.sh"

fresh_home
start_app
started=$(now_ms)

# The first window to show is the wait window, never the main window.
first_window() {
  local w
  w=$(wait_window)
  [[ -n "$w" ]] && echo "wait $w" && return
  w=$(main_window)
  [[ -n "$w" ]] && echo "main $w"
}
first=$(poll_output "$E2E_TIMEOUT" first_window) || fail "no window within $E2E_TIMEOUT s"
[[ "$first" == wait\ * ]] || fail "the main window came first, with no wait window seen"
wait_win=${first#wait }
seen=$(now_ms)

read -r wx wy ww wh <<<"$(win_geom "$wait_win")"
read -r sw sh <<<"$(xdotool getdisplaygeometry)"
note "wait window ${ww}x${wh} at $wx,$wy on ${sw}x${sh}, $((seen - started)) ms after start"
[[ "$ww" == 384 && "$wh" == 256 ]] || fail "wait window is ${ww}x${wh}, not 384x256"
((wx == (sw - 384) / 2 && wy == (sh - 256) / 2)) || fail "wait window at $wx,$wy is not centred"

# Its picture is the start-up picture, pixel for pixel, once painted.
wait_picture_shown() {
  shot "$E2E_WORK/screen.png"
  crop "$E2E_WORK/screen.png" "$wx" "$wy" 384 256 "$E2E_WORK/wait.png"
  same_pixels "$E2E_WORK/wait.png" "$E2E_RESOURCES/startup.bmp"
}
poll "$E2E_TIMEOUT" wait_picture_shown ||
  fail "wait window differs from startup.bmp in $(pixel_diff "$E2E_WORK/wait.png" "$E2E_RESOURCES/startup.bmp") pixels"

# Left alone, it gives way to the main window after about four seconds.
MAIN=$(poll_output 15 main_window) || fail "the main window did not open by itself"
opened=$(now_ms)
waited=$((opened - seen))
note "main window after $waited ms of waiting"
((waited >= 2500)) || fail "the wait window closed after only $waited ms"
((waited <= 8000)) || fail "the wait window stayed $waited ms"
poll "$E2E_TIMEOUT" window_gone "$wait_win" || fail "the wait window is still shown"
[[ "$(win_title "$MAIN")" == QUAVINTO ]] || fail "main window titled '$(win_title "$MAIN")'"

find_main_window
note "board at $BOARD_DX,$BOARD_DY in the main window; menu titles at ${MENU_X[*]}"

# The whole 5 x 5 board is the built-in picture cut to 380 x 255 (5 x 76, 5 x 51).
"$CONVERT" "$E2E_RESOURCES/default.bmp" -crop 380x255+0+0 +repage "$E2E_WORK/default-board.png"
board_shot "$E2E_WORK/board.png" 380 255
same_pixels "$E2E_WORK/board.png" "$E2E_WORK/default-board.png" ||
  fail "board differs from the picture in $(pixel_diff "$E2E_WORK/board.png" "$E2E_WORK/default-board.png") pixels"

# Nothing of the picture shows past the board's right and bottom edges.
read -r bx by <<<"$(board_origin)"
crop "$E2E_WORK/screen.png" $((bx + 380)) "$by" 6 255 "$E2E_WORK/right-edge.png"
crop "$E2E_WORK/screen.png" "$bx" $((by + 255)) 380 6 "$E2E_WORK/bottom-edge.png"
for edge in right-edge bottom-edge; do
  colours=$("$CONVERT" "$E2E_WORK/$edge.png" -unique-colors -format '%w' info:)
  [[ "$colours" == 1 ]] || fail "$colours colours beside the board ($edge): the picture shows past it"
done

stop_app

# Started with a picture of the player's, the board shows it whole after the wait.
"$CONVERT" "$E2E_RESOURCES/default.bmp" -flop "$E2E_WORK/given picture.png"
start_app "$QUAVINTO_BIN" "$E2E_WORK/given picture.png"
skip_wait_window_to_file
use_pieces "$E2E_WORK/given picture.png" 5 5
expect_board "$(solved_state)"
no_dialog || fail "a dialog came with the given picture"
stop_app
note "started with a picture, the board shows it"

# The command line: the version, and a bad option refused in one line.
version=$(run_program --version) || fail "--version failed"
[[ "$version" == "QUAVINTO "[0-9]* ]] || fail "--version printed '$version'"
status=0
run_program --no-such-option 2>"$E2E_WORK/refused.txt" >"$E2E_WORK/refused-out.txt" || status=$?
((status == 2)) || fail "a bad option ended with status $status, not 2"
[[ $(wc -l <"$E2E_WORK/refused.txt") == 1 && ! -s "$E2E_WORK/refused-out.txt" ]] ||
  fail "a bad option printed: $(cat "$E2E_WORK/refused.txt" "$E2E_WORK/refused-out.txt")"
note "$version; a bad option: $(cat "$E2E_WORK/refused.txt")"
# Without a display too: the refusal needs no window system.
status=0
(unset DISPLAY WAYLAND_DISPLAY && run_program --bogus) 2>"$E2E_WORK/refused-nodisplay.txt" || status=$?
((status == 2)) || fail "a bad option without a display ended with status $status: $(cat "$E2E_WORK/refused-nodisplay.txt")"
# --help answers in the language the environment picks, as the windows do.
usage=$(run_program --help | head -1)
[[ "$usage" == "使い方: quavinto "* ]] || fail "--help in Japanese begins '$usage'"
usage=$(E2E_LANG=en run_program --help | head -1)
[[ "$usage" == "Usage: quavinto "* ]] || fail "--help in English begins '$usage'"
refused=$(E2E_LANG=en run_program --no-such-option 2>&1) || true
[[ "$refused" == "quavinto: unknown option: --no-such-option. Usage: quavinto "* ]] || fail "a bad option in English: '$refused'"
