# Journey: leaving by the window's close box asks first; CANCEL keeps the
# program, OK ends it and only then writes the settings chosen in the settings
# dialog, which the next start uses.
source "$(dirname "$0")/lib.sh"

fresh_home
start_app
skip_wait_window

# FREE 4 x 3, the finished picture shown, background 水色 (light blue).
cmd_settings
settings_free 4 3 1 3
light_blue="128,255,255"
read -r mx my _ _ <<<"$(main_geom)"
background_is() { [[ "$(pixel_at $((mx + 4)) $((my + MENU_H + 4)))" == "$light_blue" ]]; }
poll "$E2E_TIMEOUT" background_is || fail "background is $(pixel_at $((mx + 4)) $((my + MENU_H + 4))), not 水色"
poll "$E2E_TIMEOUT" view_shows "$E2E_RESOURCES/default.bmp" ||
  fail "the finished-picture view does not show the picture (likeness $VIEW_LIKENESS)"

# The close box: the question comes, and CANCEL keeps everything.
button=($(close_button))
((${#button[@]} == 2)) || fail "no close button on the window frame"
xdotool mousemove "${button[0]}" "${button[1]}" click 1
confirm=$(wait_dialog)
answer "$confirm" Escape
app_running || fail "the program ended after CANCEL"
poll "$E2E_TIMEOUT" main_window_focused || fail "the main window is gone after CANCEL"
[[ ! -e "$(settings_file)" ]] || fail "settings were written although the exit was cancelled"

# Closing again (Alt+F4 of the window manager) and OK: the program ends.
xdotool key alt+F4
confirm=$(wait_dialog)
answer "$confirm" Return
wait_app_exit || fail "the program did not end cleanly"

ini=$(settings_file)
[[ -f "$ini" ]] || fail "no settings file at $ini"
[[ "$(head -1 "$ini")" == "[QUAVINTO]" ]] || fail "the settings file starts with '$(head -1 "$ini")'"
keys=$(grep -c '=' "$ini")
((keys == 6)) || fail "$keys settings instead of six: $(cat "$ini")"
for want in Xn=4 Yn=3 SepFlag=3 HyoujiFlag=1 ColorFlag=3 ZoomFlag=1; do
  grep -qx "$want" "$ini" || fail "settings lack $want: $(tr '\n' ' ' <"$ini")"
done

# The next start uses them: 水色 and the finished picture beside the board.
start_app
skip_wait_window
read -r mx my _ _ <<<"$(main_geom)"
poll "$E2E_TIMEOUT" background_is || fail "the next start shows $(pixel_at $((mx + 4)) $((my + MENU_H + 4)))"
poll "$E2E_TIMEOUT" view_shows "$E2E_RESOURCES/default.bmp" ||
  fail "the next start shows no finished picture (likeness $VIEW_LIKENESS)"
