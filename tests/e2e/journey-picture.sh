# Journey: a picture of the player's own, chosen in the picture dialog, is cut
# into the 5 x 5 board at its own size; a game on it uses its pieces, and a
# saved game names it; after another picture, the recent pictures menu brings
# it back.
source "$(dirname "$0")/lib.sh"

fresh_home
pictures="$E2E_WORK/pictures"
mkdir -p "$pictures"
picture="$pictures/own picture.bmp"
# 300 x 200, 24-bit, every piece different and none the same turned round.
"$CONVERT" -size 300x200 xc: -channel R -fx 'i/w' -channel G -fx 'j/h' -channel B -fx '((i*7+j*3)%64)/63' \
  +channel -fill black -draw 'circle 60,50 60,70' -fill white -draw 'rectangle 200,120 260,180' "BMP3:$picture"
[[ "$("$CONVERT" "$picture" -format '%w %h' info:)" == "300 200" ]] || fail "the test picture was not made"

start_app
skip_wait_window
cmd_load_picture
files=$(file_dialog_choose "$picture")
wait_gone "$files"

# 5 x 5 pieces of 60 x 40: the board is the whole picture, 300 x 200.
use_pieces "$picture" 5 5
board_is_picture() {
  board_shot "$E2E_WORK/board.png" 300 200
  same_pixels "$E2E_WORK/board.png" "$picture"
}
poll "$E2E_TIMEOUT" board_is_picture ||
  fail "the board differs from the picture in $(pixel_diff "$E2E_WORK/board.png" "$picture") pixels"

# Nothing of the old board is left beside or below the new one.
read -r bx by <<<"$(board_origin)"
crop "$E2E_WORK/screen.png" $((bx + 300)) "$by" 20 200 "$E2E_WORK/right-of-board.png"
crop "$E2E_WORK/screen.png" "$bx" $((by + 200)) 300 20 "$E2E_WORK/below-board.png"
for area in right-of-board below-board; do
  colours=$("$CONVERT" "$E2E_WORK/$area.png" -unique-colors -format '%w' info:)
  [[ "$colours" == 1 ]] || fail "$colours colours $area: the old board shows"
done
note "board rebuilt at 300 x 200 from the picture"

# A game shuffles the new picture's 25 pieces, each exactly once.
cmd_start_game
answer "$(wait_dialog)" alt+y
state=$(board_settles)
pieces=$(tr ',' '\n' <<<"$state" | cut -d' ' -f1 | sort -n | uniq | wc -l)
((pieces == 25)) || fail "the board shows $pieces different pieces: $state"

# Saved, the game names the picture on its first line.
cmd_save_game
files=$(file_dialog_choose "$pictures/with-own")
answer "$(wait_dialog "$files")" alt+y
wait_gone "$files"
poll "$E2E_TIMEOUT" test -s "$pictures/with-own.QVD" || fail "no game file"
first=$(head -1 "$pictures/with-own.QVD" | tr -d '\r')
[[ "$first" == "$picture" ]] || fail "the game file names '$first', not the picture"
[[ "$(sed -n 5p "$pictures/with-own.QVD" | tr -d '\r')" == " 60  40 " ]] || fail "the piece size saved is not 60 x 40"

# Another picture, then the first again from 最近使った画像: newest first,
# so the first picture is the second row (then the other, then 一覧を消去),
# and the game left on the first picture is offered with it.
other="$pictures/other picture.bmp"
"$CONVERT" -size 200x150 gradient:yellow-navy "BMP3:$other"
cmd_load_picture
files=$(file_dialog_choose "$other")
wait_gone "$files"
board_is_other() {
  board_shot "$E2E_WORK/board.png" 200 150
  same_pixels "$E2E_WORK/board.png" "$other"
}
poll "$E2E_TIMEOUT" board_is_other || fail "the other picture did not become the board"
cmd_recent_picture 1 3
# The game left on it waits for that picture: it is offered, and No leaves
# the picture whole on the board.
answer "$(wait_dialog)" alt+n
poll "$E2E_TIMEOUT" board_is_picture ||
  fail "from the recent list, the board differs from the picture in $(pixel_diff "$E2E_WORK/board.png" "$picture") pixels"
note "the first picture loaded again from the recent pictures menu"
