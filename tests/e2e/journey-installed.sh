# Journey: `cmake --install` of the build the program comes from lays out the
# program, its desktop entry, its icons and its help; the installed program,
# even moved elsewhere as a whole, opens the help installed beside it, and the
# program in its build folder finds its help too. Installed, the picture
# dialog first opens in the player's pictures folder.
source "$(dirname "$0")/lib.sh"

build=$(dirname "$QUAVINTO_BIN")
if [[ ! -f "$build/cmake_install.cmake" ]] || ! command -v cmake >/dev/null; then
  note "skipped: $build is no CMake build folder"
  exit 77
fi

prefix="$E2E_WORK/prefix"
cmake --install "$build" --prefix "$prefix" >"$E2E_WORK/install.log" 2>&1 || fail "cmake --install failed: $(cat "$E2E_WORK/install.log")"

[[ -x "$prefix/bin/quavinto" ]] || fail "no bin/quavinto"
entry="$prefix/share/applications/quavinto.desktop"
[[ -f "$entry" ]] || fail "no desktop entry"
for line in '[Desktop Entry]' 'Type=Application' 'Name=QUAVINTO' 'Exec=quavinto %f' 'Icon=quavinto' \
  'Categories=Game;LogicGame;'; do
  grep -qxF "$line" "$entry" || fail "the desktop entry lacks '$line'"
done
# English by default, Japanese for a Japanese desktop.
comment=$(sed -n 's/^Comment=//p' "$entry")
[[ -n "$comment" && "$comment" != *[^[:ascii:]]* ]] || fail "the desktop entry's comment is not in English: '$comment'"
comment=$(sed -n 's/^Comment\[ja\]=//p' "$entry")
[[ -n "$comment" && "$comment" == *[^[:ascii:]]* ]] || fail "the desktop entry's Japanese comment is not in Japanese: '$comment'"
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$entry" || fail "the desktop entry does not validate"
fi
for size in 32 48 64 128 256; do
  icon="$prefix/share/icons/hicolor/${size}x${size}/apps/quavinto.png"
  [[ -f "$icon" ]] || fail "no ${size}x${size} icon"
  [[ "$("$CONVERT" "$icon" -format '%m %w %h' info:)" == "PNG $size $size" ]] || fail "the ${size}x${size} icon is no such PNG"
done
diff -r "$E2E_RESOURCES/help" "$prefix/share/quavinto/help" >/dev/null || fail "the installed help differs from resources/help"
cmp -s "$E2E_RESOURCES/quavinto-mime.xml" "$prefix/share/mime/packages/quavinto.xml" || fail "no saved-game type installed"

# The installed tree moved as a whole: the program looks beside itself. Its
# contents page is marked, so the help window shows which copy it read.
moved="$E2E_WORK/moved"
mv "$prefix" "$moved"
sed -i 's|<title>\(.*\)</title>|<title>\1 (installed copy)</title>|' "$moved/share/quavinto/help/index.html"

fresh_home
start_app "$moved/bin/quavinto"
skip_wait_window
cmd_help_contents
poll "$E2E_TIMEOUT" help_shows "QUAVINTO ヘルプ - 目次 (installed copy)" ||
  fail "the installed program's help window is titled '$(help_title)'"
stop_app

# The installed program's picture dialog opens in ~/Pictures: a bare name
# typed there is a picture of that folder.
fresh_home
mkdir -p "$HOME/Pictures"
"$CONVERT" "$E2E_RESOURCES/default.bmp" -flop "$HOME/Pictures/mine.png"
start_app "$moved/bin/quavinto"
skip_wait_window
cmd_load_picture
files=$(file_dialog_choose "mine.png")
wait_gone "$files"
use_pieces "$HOME/Pictures/mine.png" 5 5
expect_board "$(solved_state)"
stop_app
note "the installed program's picture dialog opened in ~/Pictures"

fresh_home
start_app
skip_wait_window
cmd_help_contents
poll "$E2E_TIMEOUT" help_shows "QUAVINTO ヘルプ - 目次" ||
  fail "the build folder's program shows help titled '$(help_title)'"
