# Journey: a game in progress is saved through the game-file dialog, the
# program is left and started again, and the game is read back and goes on
# exactly where it was; the saved file says what the board showed. Started
# with the game file, as the file manager starts it, the program offers the
# game at once and it goes on from the same board. Killed during that game,
# the program offers it again at the next start: the same board, the clock
# no lower than before; a second copy started meanwhile neither offers nor
# touches it.
source "$(dirname "$0")/lib.sh"

fresh_home
# The clock is read as a screen reader reads it.
start_a11y_bus
kept_games="$XDG_STATE_HOME/quavinto"
games="$E2E_WORK/games"
mkdir -p "$games"
game_file="$games/first.QVD"
journey_start=$(now_ms)

# grid_rows STATE FIELD: the rows of a board state as a game file writes them,
# FIELD 1 for the pieces and 2 for the turned marks (" 004 001 006").
grid_rows() {
  local IFS=,
  local cells=($1) k line
  for ((k = 0; k < ${#cells[@]}; k++)); do
    local parts=(${cells[$k]// /,})
    line+=$(printf ' %03d' "${parts[$(($2 - 1))]}")
    if (((k + 1) % GRID_COLS == 0)); then
      echo "$line"
      line=""
    fi
  done
}

# check_game_file FILE STATE: the file's lines against the board's state.
check_game_file() {
  local file=$1 state=$2
  [[ -f "$file" ]] || fail "no game file $file"
  local bytes lines crlf
  bytes=$(wc -c <"$file")
  lines=$(tr -cd '\n' <"$file" | wc -c)
  crlf=$(grep -c $'\r$' "$file" || true)
  ((lines == 7 + 2 * GRID_ROWS)) || fail "$lines lines in the game file, not $((7 + 2 * GRID_ROWS))"
  ((crlf == lines)) || fail "only $crlf of $lines lines end in CR LF"
  [[ "$(tail -c 2 "$file" | od -An -c | tr -d ' ')" == '\r\n' ]] || fail "the game file does not end in CR LF"
  ((bytes < 1000)) || fail "the game file is $bytes bytes"
  mapfile -t text < <(tr -d '\r' <"$file")
  [[ -z "${text[0]}" ]] || fail "line 1 names a picture ('${text[0]}') for the built-in one"
  [[ "${text[1]}" == " 3 " ]] || fail "line 2 (FREE division) is '${text[1]}'"
  [[ "${text[2]}" == " 0 " && "${text[3]}" == " 0 " ]] || fail "lines 3 and 4 are '${text[2]}' '${text[3]}'"
  [[ "${text[4]}" == " $PIECE_W  $PIECE_H " ]] || fail "line 5 (piece size) is '${text[4]}'"
  [[ "${text[5]}" == " $GRID_COLS  $GRID_ROWS " ]] || fail "line 6 (grid) is '${text[5]}'"
  local map turned
  mapfile -t map < <(grid_rows "$state" 1)
  mapfile -t turned < <(grid_rows "$state" 2)
  local row
  for ((row = 0; row < GRID_ROWS; row++)); do
    [[ "${text[$((6 + row))]}" == "${map[$row]}" ]] ||
      fail "line $((7 + row)) is '${text[$((6 + row))]}', the board shows '${map[$row]}'"
    [[ "${text[$((6 + GRID_ROWS + row))]}" == "${turned[$row]}" ]] ||
      fail "line $((7 + GRID_ROWS + row)) is '${text[$((6 + GRID_ROWS + row))]}', the board shows '${turned[$row]}'"
  done
  local seconds=${text[$((6 + 2 * GRID_ROWS))]}
  [[ "$seconds" =~ ^\ ([0-9]+)\ $ ]] || fail "last line (time) is '$seconds'"
  SAVED_SECONDS=${BASH_REMATCH[1]}
  ((SAVED_SECONDS <= ($(now_ms) - journey_start) / 1000 + 1)) ||
    fail "the saved time $SAVED_SECONDS s is longer than the journey"
}

# First run: a 3 x 2 game with a few moves made, saved under a new name.
start_app
skip_wait_window
cmd_settings
settings_free 3 2
use_pieces "$E2E_RESOURCES/default.bmp" 3 2
solved=$(solved_state)
expect_board "$solved"
cmd_start_game
answer "$(wait_dialog)" alt+y
state=$(board_settles)
for move in "exchange 1 4" "turn 2"; do
  # A move that would finish the game is left out: the game stays in play.
  next=$(play_move "$state" $move)
  if [[ "$next" == "$solved" ]]; then
    next=$(play_move "$next" turn 5)
  fi
  state=$next
  expect_board "$state"
done
note "saving a game showing $state"
board_shot "$E2E_WORK/before-save.png" "$(board_w)" "$(board_h)"

cmd_save_game
files=$(file_dialog_choose "$games/first")
# A name that does not exist yet is confirmed first.
create=$(wait_dialog "$files")
answer "$create" alt+y
wait_gone "$files"
poll "$E2E_TIMEOUT" test -s "$game_file" || fail "no game file written"
check_game_file "$game_file" "$state"
first_seconds=$SAVED_SECONDS

# Leaving: confirmed, and the offer to save the game in play declined.
cmd_exit
answer "$(wait_dialog)" Return
offer=$(wait_dialog)
answer "$offer" alt+n
wait_app_exit || fail "the program did not end cleanly"
grep -qx 'Xn=3' "$(settings_file)" && grep -qx 'Yn=2' "$(settings_file)" ||
  fail "the settings do not keep the 3 x 2 grid: $(cat "$(settings_file)")"

# Second run: the 3 x 2 board comes back whole, then the game is read back.
start_app
skip_wait_window
expect_board "$solved"
cmd_read_game
files=$(file_dialog_choose "$game_file")
resume=$(wait_dialog "$files")
answer "$resume" alt+y
expect_board "$state"
board_shot "$E2E_WORK/after-read.png" "$(board_w)" "$(board_h)"
same_pixels "$E2E_WORK/before-save.png" "$E2E_WORK/after-read.png" ||
  fail "the board read back differs in $(pixel_diff "$E2E_WORK/before-save.png" "$E2E_WORK/after-read.png") pixels"
note "read back: $state"

# The game goes on: a piece turns, and leaving with Yes saves it again.
state=$(play_move "$state" turn 3)
[[ "$state" == "$solved" ]] && fail "turning piece 4 finished the game"
expect_board "$state"
cmd_exit
answer "$(wait_dialog)" Return
offer=$(wait_dialog)
answer "$offer" alt+y
# The game-file dialog offers the file the game came from.
files=$(wait_dialog "$offer")
xdotool key Return
# Replacing the existing file is confirmed first.
replace=$(wait_dialog "$files")
answer "$replace" alt+y
wait_gone "$files"
wait_app_exit || fail "the program did not end cleanly after saving"
check_game_file "$game_file" "$state"
((SAVED_SECONDS >= first_seconds)) || fail "the play time went back from $first_seconds to $SAVED_SECONDS s"

# Third run: started with the game file, the program reads it after the wait.
start_app "$QUAVINTO_BIN" "$game_file"
skip_wait_window_to_file
resume=$(wait_dialog)
answer "$resume" alt+y
expect_board "$state"
note "started with the game file: $state"

# A move, the clock read at once, and the program killed a second later: the
# kept game holds the move and a time no lower than the clock showed.
state=$(play_move "$state" turn 0)
[[ "$state" == "$solved" ]] && state=$(play_move "$state" turn 0)
expect_board "$state"
clock_seconds() {
  local text
  text=$(a11y_client clock) || fail "no clock: $(tail -5 "$E2E_WORK/client-errors.log")"
  [[ "$text" =~ ^([0-9]+):([0-5][0-9]):([0-5][0-9])\ \  ]] || fail "the clock reads '$text'"
  echo $((10#${BASH_REMATCH[1]} * 3600 + 10#${BASH_REMATCH[2]} * 60 + 10#${BASH_REMATCH[3]}))
}
before=$(clock_seconds) || exit 1
moves_before=$(clock_moves)
[[ -n "$moves_before" ]] || fail "the clock shows no moves"
sleep 1
kill -KILL "$APP_PID"
wait "$APP_PID" 2>/dev/null || true
APP_PID=""
compgen -G "$kept_games/game-*.QVD" >/dev/null || fail "no game kept in $kept_games"

# Fourth run: the kept game is offered once the main window shows, and Yes
# brings back the board and the clock. The wait window ends by its own timer
# this time, and its place is clicked while the question shows: the question
# belongs to the main window, so neither it nor the program goes with the
# wait window.
start_app
wait=$(poll_output "$E2E_TIMEOUT" wait_window) || fail "the start-up window did not appear"
wait_place=($(win_geom "$wait"))
MAIN=$(poll_output "$E2E_TIMEOUT" main_window) || fail "the main window did not appear"
offer=$(wait_dialog)
xdotool mousemove $((wait_place[0] + 4)) $((wait_place[1] + 4)) click 1
sleep 0.5
app_running || fail "the program ended when the wait window's place was clicked during the question: $(tail -3 "$APP_LOG")"
window_gone "$offer" && fail "the question went with the wait window"
xdotool windowactivate --sync "$offer" 2>/dev/null || true
answer "$offer" alt+y
expect_board "$state"
after=$(clock_seconds) || exit 1
moves_after=$(clock_moves)
[[ "$moves_after" == "$moves_before" ]] || fail "the resumed game counts $moves_after moves, not the $moves_before made"
((after >= before)) || fail "the clock went back from $before to $after s"
note "after the kill: $state, the clock $before s before and $after s after, $moves_after moves"

# A second copy started while the first plays neither offers nor touches the
# first copy's game: its main window shows with no question, and once it has
# ended the game the first copy keeps is still there and goes on in the first.
first_pid=$APP_PID first_main=$MAIN
kept_before=$(cd "$kept_games" && ls game-*.QVD)
start_app
second_wait=$(poll_output "$E2E_TIMEOUT" wait_window) || fail "the second copy's start-up window did not appear"
g=($(win_geom "$second_wait"))
xdotool mousemove $((g[0] + g[2] / 2)) $((g[1] + g[3] / 2)) click 1
poll_output "$E2E_TIMEOUT" main_window >/dev/null || fail "the second copy's main window did not appear"
sleep 2
no_dialog || fail "the second copy offered a game the first copy is playing"
stop_app
APP_PID=$first_pid MAIN=$first_main
[[ "$(cd "$kept_games" && ls game-*.QVD)" == "$kept_before" ]] || fail "the second copy changed the kept games: $(ls "$kept_games")"
# The second copy took the focus, so the first paused; a key resumes it.
xdotool windowactivate --sync "$MAIN" 2>/dev/null || true
xdotool key space
expect_board "$state"
state=$(play_move "$state" turn 1)
[[ "$state" == "$solved" ]] && state=$(play_move "$state" turn 1)
expect_board "$state"
note "a second copy left the first copy's game alone: $kept_before"
stop_app
