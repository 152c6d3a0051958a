# Shared helpers of the end-to-end journeys: a fresh per-user set-up, the
# program under test, its windows as the window manager sees them, real X input
# through xdotool, and the pixels on screen through ImageMagick.
#
# A journey sources this file with QUAVINTO_BIN (the program), DISPLAY (an X
# server with a window manager) and E2E_WORK (a scratch folder of its own) set.
# Every wait polls for a condition with a deadline; none sleeps a fixed time.

set -euo pipefail

E2E_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
E2E_RESOURCES=$(cd "$E2E_DIR/../../resources" && pwd)
E2E_TIMEOUT=${E2E_TIMEOUT:-20}

# ImageMagick 6 by its versioned names where they exist, so no wrapper of the
# same name earlier on PATH gets in the way.
CONVERT=$(command -v convert-im6.q16 || command -v convert)
COMPARE=$(command -v compare-im6.q16 || command -v compare)
IMPORT=$(command -v import-im6.q16 || command -v import)

APP_PID=""
APP_LOG=""
# The device pixels a pixel the program is started at (QT_SCALE_FACTOR): the
# board's place in the window (BOARD_DX, BOARD_DY) and its cells are that many
# times as large on the screen.
SCREEN_SCALE=1

fail() {
  echo "    failed: $*" >&2
  "$IMPORT" -window root "$E2E_WORK/failure-screen.png" 2>/dev/null || true
  if app_running; then
    local w
    for w in $(app_windows); do
      echo "    window $w '$(win_title "$w")' at $(win_geom "$w"):" \
        "$(xprop -id "$w" _NET_WM_WINDOW_TYPE _NET_FRAME_EXTENTS WM_TRANSIENT_FOR 2>&1 | tr '\n' ' ')" >&2
    done
  elif [[ -n "$APP_PID" ]]; then
    local status=0
    wait "$APP_PID" 2>/dev/null || status=$?
    echo "    the program is no longer running (exit status $status)" >&2
  fi
  if [[ -n "$APP_LOG" && -s "$APP_LOG" ]]; then sed 's/^/    program: /' "$APP_LOG" >&2; fi
  exit 1
}

note() { echo "    $*"; }

now_ms() { echo $(($(date +%s%N) / 1000000)); }

# poll SECONDS COMMAND...: runs COMMAND until it succeeds; false on timeout.
poll() {
  local deadline=$(($(now_ms) + $1 * 1000))
  shift
  until "$@"; do
    (($(now_ms) >= deadline)) && return 1
    sleep 0.05
  done
}

# poll_output SECONDS COMMAND...: prints COMMAND's output once it is not
# empty; false on timeout.
poll_output() {
  local deadline=$(($(now_ms) + $1 * 1000)) out
  shift
  while :; do
    out=$("$@" 2>/dev/null || true)
    if [[ -n "$out" ]]; then
      echo "$out"
      return 0
    fi
    (($(now_ms) >= deadline)) && return 1
    sleep 0.05
  done
}

# The language the program is started in: E2E_LANG, ja (the default) or en.
export E2E_LANG=${E2E_LANG:-ja}

# language_env: sets LANGUAGE_ENV to the variables that pick E2E_LANG for
# the program, as env(1) takes them; any language list or locale the shell
# exported is dropped first. English needs no generated en_US locale: the
# program reads its choice from these variables. Only the program is given
# them, so the shell running the journey never tries to load that locale.
language_env() {
  LANGUAGE_ENV=(-u LANGUAGE -u LC_ALL -u LC_MESSAGES -u LANG)
  case "$E2E_LANG" in
    en) LANGUAGE_ENV+=(LANGUAGE=en LANG=en_US.UTF-8 LC_ALL=en_US.UTF-8) ;;
    # Japanese: the program's language under the C locale, which every system has.
    ja) LANGUAGE_ENV+=(LANG=C.UTF-8 LC_ALL=C.UTF-8) ;;
    *) fail "E2E_LANG must be ja or en, not $E2E_LANG" ;;
  esac
}

# run_program ARGUMENT...: runs the program under test in the foreground, in
# the journey's language (for its command-line answers).
run_program() {
  language_env
  env "${LANGUAGE_ENV[@]}" "$QUAVINTO_BIN" "$@"
}

# ---------------------------------------------------------------- set-up ----

# fresh_home: an empty home, configuration and runtime folder for one run.
fresh_home() {
  local root="$E2E_WORK/user"
  rm -rf "$root"
  mkdir -p "$root/home/.config" "$root/home/.local/share" "$root/home/.cache" "$root/run"
  chmod 0700 "$root/run"
  export HOME="$root/home"
  export XDG_CONFIG_HOME="$HOME/.config"
  export XDG_DATA_HOME="$HOME/.local/share"
  export XDG_CACHE_HOME="$HOME/.cache"
  export XDG_STATE_HOME="$HOME/.local/state"
  export XDG_RUNTIME_DIR="$root/run"
}

settings_file() { echo "$XDG_CONFIG_HOME/XAN/XAN.ini"; }

# start_app [BINARY [ARGUMENT...]]: starts the program on the X server, not
# offscreen; with E2E_PLATFORM=wayland as a client of the compositor at
# WAYLAND_DISPLAY, with no X display to fall back on.
start_app() {
  local bin=${1:-$QUAVINTO_BIN}
  local args=("${@:2}")
  APP_LOG="$E2E_WORK/program-$(now_ms).log"
  language_env
  (
    cd "$E2E_WORK"
    unset QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS QT_AUTO_SCREEN_SCALE_FACTOR QT_FONT_DPI QT_STYLE_OVERRIDE
    if ((SCREEN_SCALE != 1)); then export QT_SCALE_FACTOR=$SCREEN_SCALE; fi
    export QT_QPA_PLATFORM=${E2E_PLATFORM:-xcb}
    [[ "$QT_QPA_PLATFORM" == wayland ]] && unset DISPLAY
    exec env "${LANGUAGE_ENV[@]}" "$bin" "${args[@]}"
  ) >"$APP_LOG" 2>&1 &
  APP_PID=$!
}

app_running() { [[ -n "$APP_PID" ]] && kill -0 "$APP_PID" 2>/dev/null; }

# wait_app_exit: true once the program has ended by itself, with status 0.
wait_app_exit() {
  poll "$E2E_TIMEOUT" bash -c "! kill -0 $APP_PID 2>/dev/null" || return 1
  local status=0
  wait "$APP_PID" || status=$?
  APP_PID=""
  return "$status"
}

stop_app() {
  if app_running; then
    kill "$APP_PID" 2>/dev/null || true
    wait "$APP_PID" 2>/dev/null || true
  fi
  APP_PID=""
}

# ---------------------------------------------------------------- windows ---

# The program's mapped windows (Qt names its process on each of them).
app_windows() { xdotool search --onlyvisible --pid "$APP_PID" 2>/dev/null || true; }

# has_type ID TYPE: the window has TYPE (NORMAL, DIALOG, POPUP_MENU...) among
# the window types the program gave it.
has_type() { xprop -id "$1" _NET_WM_WINDOW_TYPE 2>/dev/null | grep -q "_NET_WM_WINDOW_TYPE_$2\b"; }

win_title() { xdotool getwindowname "$1" 2>/dev/null || true; }

is_transient() { xprop -id "$1" WM_TRANSIENT_FOR 2>/dev/null | grep -q 'window id'; }

# Top of the frame the window manager drew around the window (0 for none).
frame_top() {
  xprop -id "$1" _NET_FRAME_EXTENTS 2>/dev/null | sed -n 's/.*= *[0-9]*, *[0-9]*, *\([0-9]*\),.*/\1/p'
}

# win_geom ID: "X Y WIDTH HEIGHT" of the window's inside, on the screen.
win_geom() {
  xwininfo -id "$1" 2>/dev/null |
    awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF}
         /^ *Width:/ {w=$NF} /^ *Height:/ {h=$NF} END {if (w) print x, y, w, h}'
}

# The borderless start-up window, while it is shown.
wait_window() {
  local w
  for w in $(app_windows); do
    has_type "$w" NORMAL || continue
    has_type "$w" DIALOG || is_unmanaged "$w" && continue
    [[ "$(frame_top "$w")" == 0 || -z "$(frame_top "$w")" ]] || continue
    is_transient "$w" && continue
    echo "$w"
    return
  done
}

# The main window: framed, titled QUAVINTO, owned by no other window.
main_window() {
  local w top
  for w in $(app_windows); do
    has_type "$w" NORMAL || continue
    has_type "$w" DIALOG && continue
    [[ "$(win_title "$w")" == QUAVINTO ]] || continue
    is_transient "$w" && continue
    top=$(frame_top "$w")
    [[ -n "$top" && "$top" -gt 0 ]] || continue
    echo "$w"
    return
  done
}

# Dialog windows of the program (message boxes, the settings and file dialogs).
dialog_windows() {
  local w
  for w in $(app_windows); do
    if has_type "$w" DIALOG; then echo "$w"; fi
  done
}

# new_dialog KNOWN...: a dialog that is not among KNOWN, when it has the focus.
new_dialog() {
  local w k known focus
  focus=$(xdotool getwindowfocus 2>/dev/null || true)
  for w in $(dialog_windows); do
    known=0
    for k in "$@"; do [[ "$w" == "$k" ]] && known=1; done
    ((known)) && continue
    # Keys go to the focused window: a dialog counts once it has the focus.
    [[ "$w" == "$focus" ]] || continue
    echo "$w"
    return
  done
}

# wait_dialog [KNOWN...]: waits for a new focused dialog and prints its id.
wait_dialog() {
  poll_output "$E2E_TIMEOUT" new_dialog "$@" || fail "no dialog appeared (known: $*)"
}

window_gone() { ! app_windows | grep -qx "$1"; }

wait_gone() { poll "$E2E_TIMEOUT" window_gone "$1" || fail "window $1 did not close"; }

no_dialog() { [[ -z "$(dialog_windows)" ]]; }

# An open menu: the one kind of window of the program that the window manager
# does not manage (override-redirect). Qt changes a menu's window type when it
# opens again, so the type does not tell.
is_unmanaged() { xwininfo -id "$1" 2>/dev/null | grep -q 'Override Redirect State: yes'; }

popup_menu() {
  local w
  for w in $(app_windows); do
    if is_unmanaged "$w"; then
      echo "$w"
      return
    fi
  done
}

# ---------------------------------------------------------------- pixels ----

# shot FILE: the whole screen as the player sees it.
shot() { "$IMPORT" -window root "$1"; }

# crop SRC X Y W H DST
crop() { "$CONVERT" "$1" -crop "$4x$5+$2+$3" +repage "$6"; }

# same_pixels A B: true when the two pictures have exactly the same pixels.
same_pixels() {
  local diff
  diff=$("$COMPARE" -metric AE "$1" "$2" null: 2>&1) || true
  [[ "$diff" == 0 ]]
}

pixel_diff() { "$COMPARE" -metric AE "$1" "$2" null: 2>&1 || true; }

# ---------------------------------------------------------------- program ---

# skip_wait_window: clicks the start-up window away and waits for the main one.
# Sets MAIN, the main window's id, and its place and size.
skip_wait_window() {
  local wait
  wait=$(poll_output "$E2E_TIMEOUT" wait_window) || fail "the start-up window did not appear"
  local g
  g=($(win_geom "$wait"))
  xdotool mousemove $((g[0] + g[2] / 2)) $((g[1] + g[3] / 2)) click 1
  find_main_window
}

# skip_wait_window_to_file: as skip_wait_window for a program started with a
# file, whose board shows that file's picture at once: the board lies where an
# earlier run of the journey found it.
skip_wait_window_to_file() {
  [[ -n "${BOARD_DY:-}" ]] || fail "no earlier run found the board"
  local wait g
  wait=$(poll_output "$E2E_TIMEOUT" wait_window) || fail "the start-up window did not appear"
  g=($(win_geom "$wait"))
  xdotool mousemove $((g[0] + g[2] / 2)) $((g[1] + g[3] / 2)) click 1
  MAIN=$(poll_output "$E2E_TIMEOUT" main_window) || fail "the main window did not appear"
}

# find_main_window: waits for the main window and reads where its parts are.
find_main_window() {
  MAIN=$(poll_output "$E2E_TIMEOUT" main_window) || fail "the main window did not appear"
  poll "$E2E_TIMEOUT" main_window_focused || fail "the main window did not get the focus"
  locate_board
  locate_menu_titles
}

main_window_focused() { [[ "$(xdotool getwindowfocus 2>/dev/null)" == "$MAIN" ]]; }

main_geom() { win_geom "$MAIN"; }

# locate_board: finds the intact default picture's top rows inside the main
# window and sets BOARD_DX/BOARD_DY, the board's place in the window. The
# board sits 14 pixels from the window's left; its height below the menu bar
# depends on the menu font, so it is searched for.
board_visible() {
  local g
  g=($(main_geom))
  ((${#g[@]} == 4)) || return 1
  shot "$E2E_WORK/locate.png"
  crop "$E2E_WORK/locate.png" $((g[0] + 14)) "${g[1]}" 380 120 "$E2E_WORK/locate-strip.png"
  local found
  found=$("$COMPARE" -metric AE -subimage-search "$E2E_WORK/locate-strip.png" "$E2E_WORK/ref-top.png" null: 2>&1 || true)
  [[ "$found" =~ ^0\ @\ 0,([0-9]+)$ ]] || return 1
  BOARD_DX=14
  BOARD_DY=${BASH_REMATCH[1]}
}

locate_board() {
  "$CONVERT" "$E2E_RESOURCES/default.bmp" -crop 380x4+0+0 +repage "$E2E_WORK/ref-top.png"
  poll "$E2E_TIMEOUT" board_visible || fail "the default picture is not on the board"
  # The menu bar ends where the board's window area begins, 20 pixels above it.
  MENU_H=$((BOARD_DY - 20))
  ((MENU_H > 8)) || fail "no room for the menu bar above the board ($BOARD_DY)"
}

# board_origin: the board's top-left corner on the screen.
board_origin() {
  local g
  g=($(main_geom))
  echo $((g[0] + BOARD_DX * SCREEN_SCALE)) $((g[1] + BOARD_DY * SCREEN_SCALE))
}

# board_shot FILE W H: the board's W x H pixels as shown now.
board_shot() {
  local o
  o=($(board_origin))
  shot "$E2E_WORK/screen.png"
  crop "$E2E_WORK/screen.png" "${o[0]}" "${o[1]}" "$2" "$3" "$1"
}

# menu_titles: the menu bar's titles are found as the runs of ink along it,
# separated by wider gaps than those inside a title; prints their centres.
menu_titles() {
  local g
  g=($(main_geom))
  shot "$E2E_WORK/menubar.png"
  "$CONVERT" "$E2E_WORK/menubar.png" -crop "$((g[2] - 8))x$((MENU_H - 4))+$((g[0] + 4))+$((g[1] + 2))" +repage \
    -colorspace gray -threshold 85% -negate -scale "$((g[2] - 8))x1!" -depth 8 txt:- |
    awk -F'[,: ()]+' 'NR > 1 && $4 > 0 {print $1 + 4}' |
    awk 'NR == 1 {s = $1; p = $1; next}
         {if ($1 - p > 8) {print int((s + p) / 2); s = $1} p = $1}
         END {if (NR) print int((s + p) / 2)}'
}

# locate_menu_titles: sets MENU_X to the centres of ファイル, ゲーム, 設定,
# 完成図の倍率 and HELP once the menu bar shows just these five (the window
# may still be growing to its size when it first shows).
five_titles() { [[ $(menu_titles | wc -l) == 5 ]]; }

locate_menu_titles() {
  poll "$E2E_TIMEOUT" five_titles || fail "expected 5 menu titles, found: $(menu_titles | tr '\n' ' ')"
  MENU_X=($(menu_titles))
}

# click_title INDEX: clicks a title of the menu bar (0 ファイル .. 4 HELP).
click_title() {
  local g
  g=($(main_geom))
  xdotool mousemove $((g[0] + MENU_X[$1])) $((g[1] + MENU_H / 2)) click 1
}

# menu_items POPUP: the middle rows of the commands of an open menu, top to
# bottom, found as the bands of text on it; frame and separator lines are
# rows of ink across nearly the whole menu and do not count.
menu_items() {
  local g
  g=($(win_geom "$1"))
  shot "$E2E_WORK/menu.png"
  "$CONVERT" "$E2E_WORK/menu.png" -crop "$((g[2] - 4))x$((g[3] - 4))+$((g[0] + 2))+$((g[1] + 2))" +repage \
    -colorspace gray -threshold 85% -negate -scale "1x$((g[3] - 4))!" -depth 8 txt:- |
    awk -F'[,: ()]+' 'NR > 1 && $4 > 0 && $4 < 200 {print $2}' |
    awk -v top=$((g[1] + 2)) 'NR == 1 {s = $1; p = $1; next}
         {if ($1 - p > 2) {if (p - s >= 3) print top + int((s + p) / 2); s = $1} p = $1}
         END {if (NR && p - s >= 3) print top + int((s + p) / 2)}'
}

# menu_command TITLE ITEM COUNT: opens menu TITLE, waits until its COUNT
# commands are drawn, and clicks command ITEM (0 the first, separators not
# counted). Menus are clicked, not keyed: a key pressed before the menu has
# taken the keyboard would reach the board instead.
menu_command() {
  click_title "$1"
  local popup rows
  popup=$(poll_output "$E2E_TIMEOUT" popup_menu) || fail "menu $1 did not open"
  items_drawn() { [[ $(menu_items "$popup" | wc -l) == "$1" ]]; }
  poll "$E2E_TIMEOUT" items_drawn "$3" || fail "menu $1 shows $(menu_items "$popup" | wc -l) commands, not $3"
  rows=($(menu_items "$popup"))
  local g
  g=($(win_geom "$popup"))
  xdotool mousemove $((g[0] + g[2] / 2)) "${rows[$2]}" click 1
  wait_gone "$popup"
}

# Commands by the menus the player sees them in.
TITLE_FILE=0
TITLE_GAME=1
TITLE_SETTINGS=2
TITLE_HELP=4

cmd_load_picture() { menu_command $TITLE_FILE 0 5; }
cmd_read_game() { menu_command $TITLE_FILE 2 5; }
cmd_save_game() { menu_command $TITLE_FILE 3 5; }
cmd_exit() { menu_command $TITLE_FILE 4 5; }

# cmd_recent_picture ITEM COUNT: opens ファイル, then its 最近使った画像 (the
# second command), waits until the submenu's COUNT rows are drawn (the
# pictures, then 一覧を消去) and clicks row ITEM.
cmd_recent_picture() {
  click_title $TITLE_FILE
  local popup sub rows g
  popup=$(poll_output "$E2E_TIMEOUT" popup_menu) || fail "menu ファイル did not open"
  items_drawn() { [[ $(menu_items "$1" | wc -l) == "$2" ]]; }
  poll "$E2E_TIMEOUT" items_drawn "$popup" 5 || fail "menu ファイル shows $(menu_items "$popup" | wc -l) commands, not 5"
  rows=($(menu_items "$popup"))
  g=($(win_geom "$popup"))
  xdotool mousemove $((g[0] + g[2] / 2)) "${rows[1]}" click 1
  other_popup() {
    local w
    for w in $(app_windows); do
      if [[ "$w" != "$popup" ]] && is_unmanaged "$w"; then
        echo "$w"
        return
      fi
    done
  }
  sub=$(poll_output "$E2E_TIMEOUT" other_popup) || fail "最近使った画像 did not open"
  poll "$E2E_TIMEOUT" items_drawn "$sub" "$2" || fail "最近使った画像 shows $(menu_items "$sub" | wc -l) rows, not $2"
  rows=($(menu_items "$sub"))
  g=($(win_geom "$sub"))
  xdotool mousemove $((g[0] + g[2] / 2)) "${rows[$1]}" click 1
  wait_gone "$sub"
}
cmd_start_game() { menu_command $TITLE_GAME 0 8; }
cmd_click_to_pick_up() { menu_command $TITLE_GAME 7 8; }

# click_exchange FROM TO: picks a piece up with a click and drops it on
# another cell with a second click, no button held between them.
click_exchange() {
  local f t
  f=($(cell_centre "$1"))
  t=($(cell_centre "$2"))
  xdotool mousemove "${f[0]}" "${f[1]}" click 1 sleep 0.2 mousemove $(((f[0] + t[0]) / 2)) $(((f[1] + t[1]) / 2)) \
    sleep 0.1 mousemove "${t[0]}" "${t[1]}" sleep 0.2 click 1
}
cmd_help_contents() { menu_command $TITLE_HELP 0 4; }
cmd_settings() { click_title $TITLE_SETTINGS; }

# answer DIALOG KEYS...: presses keys in a dialog that has the focus and waits
# for it to close.
answer() {
  local box=$1
  shift
  [[ "$(xdotool getwindowfocus 2>/dev/null)" == "$box" ]] || fail "dialog $box has no focus"
  xdotool key "$@"
  wait_gone "$box"
}

# close_button: the screen point of the close button that the window manager
# drew on the main window's frame: the rightmost of the frame's small square
# buttons (the title bar ends with it).
close_button() {
  local frame
  frame=$(xwininfo -id "$MAIN" -children | awk '/Parent window id/ {print $4}')
  xwininfo -id "$frame" -tree |
    awk '$1 ~ /^0x/ {
           split($(NF - 1), size, /[x+]/); split($NF, at, /\+/)
           if (size[1] == size[2] && size[1] >= 8 && size[1] <= 32 && (!found || at[2] + 0 > bx)) {
             found = 1; bx = at[2] + 0; by = at[3] + 0; bs = size[1]
           }
         }
         END {if (found) print bx + int(bs / 2), by + int(bs / 2)}'
}

# pixel_at X Y: the colour of one screen pixel as "R,G,B".
pixel_at() {
  shot "$E2E_WORK/pixel.png"
  "$CONVERT" "$E2E_WORK/pixel.png" -crop "1x1+$1+$2" +repage -depth 8 txt:- |
    sed -n 's/^0,0: *(\([0-9]*\),\([0-9]*\),\([0-9]*\).*/\1,\2,\3/p'
}

# view_shows PICTURE: the finished-picture view beside the board shows PICTURE
# (scaled to the view, so compared by likeness, at the view's place give or
# take two pixels). The view starts 390 pixels right of the board, level with it.
view_shows() {
  local o w h dx dy best=0 v
  o=($(board_origin))
  read -r w h <<<"$("$CONVERT" "$1" -format '%w %h' info:)"
  w=$((w - 2))
  h=$((h - 2))
  "$CONVERT" "$1" -resize "${w}x${h}!" "$E2E_WORK/view-want.png"
  shot "$E2E_WORK/view-screen.png"
  for dx in -2 -1 0 1 2; do
    for dy in -2 -1 0 1 2; do
      v=$("$CONVERT" "$E2E_WORK/view-screen.png" -crop "${w}x${h}+$((o[0] + 390 + dx))+$((o[1] + dy))" +repage png:- |
        "$COMPARE" -metric NCC - "$E2E_WORK/view-want.png" null: 2>&1 || true)
      best=$(awk -v a="$best" -v b="$v" 'BEGIN {print (b + 0 > a + 0) ? b : a}')
    done
  done
  VIEW_LIKENESS=$best
  awk -v b="$best" 'BEGIN {exit !(b >= 0.95)}'
}

# ---------------------------------------------------------------- dialogs ---

# settings_free COLUMNS ROWS [TICK_VIEW [COLOUR]]: in the settings dialog,
# FREE with the given counts; TICK_VIEW 1 clicks 完成図の表示, COLOUR (0 SYSTEM
# .. 5 黄) clicks a background colour; then OK. The controls are placed in
# twips on the dialog, 5184 twips wide, so their places follow from its width.
settings_free() {
  local dlg g tpp
  dlg=$(wait_dialog)
  # Translated, the dialog makes room for longer texts and its controls move:
  # they are found by name on the accessibility bus, as a screen reader would.
  if [[ "$E2E_LANG" != ja ]]; then
    local colours=("System colour" White Black "Light blue" Green Yellow) at
    click_named() {
      at=($(a11y_client where "$1")) || fail "the settings dialog has no control named $1"
      xdotool mousemove "${at[0]}" "${at[1]}" click 1
    }
    click_named "Custom number of pieces"
    click_named "Columns (X)"
    xdotool key ctrl+a type "$1"
    click_named "Rows (Y)"
    xdotool key ctrl+a type "$2"
    [[ "${3:-0}" == 1 ]] && click_named "Show finished picture"
    [[ -n "${4:-}" ]] && click_named "${colours[$4]}"
    click_named OK
    wait_gone "$dlg"
    return
  fi
  g=($(win_geom "$dlg"))
  tpp=$(awk -v w="${g[2]}" 'BEGIN {printf "%.4f", 5184 / w}')
  # click_twips X Y: a click at a point of the dialog given in twips.
  click_twips() {
    xdotool mousemove "$(awk -v t="$tpp" -v o="${g[0]}" -v v="$1" 'BEGIN {printf "%d", o + v / t + 0.5}')" \
      "$(awk -v t="$tpp" -v o="${g[1]}" -v v="$2" 'BEGIN {printf "%d", o + v / t + 0.5}')" click 1
  }
  # Round buttons and the check box are clicked on their marks, 8 pixels in.
  click_twips 1752 780
  click_twips 2460 1176
  xdotool key ctrl+a type "$1"
  click_twips 2460 1596
  xdotool key ctrl+a type "$2"
  [[ "${3:-0}" == 1 ]] && click_twips 3336 1434
  if [[ -n "${4:-}" ]]; then
    local lefts=(192 1248 1872 2544 3408 4032)
    click_twips $((48 + lefts[$4] + 120)) $((2160 + 336 + 132))
  fi
  click_twips 4380 252
  wait_gone "$dlg"
}

# file_dialog_choose PATH [KNOWN...]: types a path into Qt's file dialog and
# presses Enter.
file_dialog_choose() {
  local path=$1
  shift
  local dlg
  dlg=$(wait_dialog "$@")
  xdotool key ctrl+a
  xdotool type --delay 5 "$path"
  xdotool key Return
  echo "$dlg"
}

# ---------------------------------------------------------------- pieces ----
#
# Where the pieces lie is read off the screen, never from the program: each
# cell's pixels are matched with the pieces of the picture, upright and turned
# by 180 degrees. Only the inside of a cell counts: the keyboard's focus cell
# is outlined along its edges. A cell's state is "PIECE TURNED" (piece 1 is the
# top-left one, row by row; TURNED 0 or 1); the board's state is the cells'
# states, row by row, joined by commas.

declare -A PIECE_OF=()
GRID_COLS=0
GRID_ROWS=0
PIECE_W=0
PIECE_H=0

# use_pieces PICTURE COLUMNS ROWS: the grid to read and the picture it is cut from.
use_pieces() {
  local picture=$1 dir="$E2E_WORK/pieces" k sum pw ph
  GRID_COLS=$2
  GRID_ROWS=$3
  read -r pw ph <<<"$("$CONVERT" "$picture" -format '%w %h' info:)"
  PIECE_W=$((pw / GRID_COLS))
  PIECE_H=$((ph / GRID_ROWS))
  rm -rf "$dir"
  mkdir -p "$dir"
  local cut=(-crop "$((GRID_COLS * PIECE_W))x$((GRID_ROWS * PIECE_H))+0+0" +repage -crop "${PIECE_W}x${PIECE_H}" +repage)
  "$CONVERT" "$picture" "${cut[@]}" -shave 4x4 -depth 8 "rgb:$dir/upright-%d"
  "$CONVERT" "$picture" "${cut[@]}" -rotate 180 -shave 4x4 -depth 8 "rgb:$dir/turned-%d"
  PIECE_OF=()
  for ((k = 0; k < GRID_COLS * GRID_ROWS; k++)); do
    sum=$(md5sum <"$dir/upright-$k")
    PIECE_OF[$sum]="$((k + 1)) 0"
    sum=$(md5sum <"$dir/turned-$k")
    PIECE_OF[$sum]="$((k + 1)) 1"
  done
  ((${#PIECE_OF[@]} == 2 * GRID_COLS * GRID_ROWS)) || fail "the picture's pieces cannot be told apart"
}

board_w() { echo $((GRID_COLS * PIECE_W)); }
board_h() { echo $((GRID_ROWS * PIECE_H)); }

# board_state: the board's state as shown now ("?" for a cell matching no piece).
board_state() {
  local dir="$E2E_WORK/cells" k sum out=()
  rm -rf "$dir"
  mkdir -p "$dir"
  board_shot "$E2E_WORK/board-now.png" "$(board_w)" "$(board_h)"
  "$CONVERT" "$E2E_WORK/board-now.png" -crop "${PIECE_W}x${PIECE_H}" +repage -shave 4x4 -depth 8 "rgb:$dir/cell-%d"
  for ((k = 0; k < GRID_COLS * GRID_ROWS; k++)); do
    sum=$(md5sum <"$dir/cell-$k")
    out+=("${PIECE_OF[$sum]:-?}")
  done
  local IFS=,
  echo "${out[*]}"
}

solved_state() {
  local k out=()
  for ((k = 1; k <= GRID_COLS * GRID_ROWS; k++)); do out+=("$k 0"); done
  local IFS=,
  echo "${out[*]}"
}

# A state every cell of which shows some piece: the board is fully drawn.
state_complete() { [[ -n "$1" && "$1" != *'?'* ]]; }

# board_settles: polls until every cell shows a piece and prints that state.
board_settles() {
  local state
  state_now() {
    local s
    s=$(board_state)
    state_complete "$s" && echo "$s"
  }
  poll_output "$E2E_TIMEOUT" state_now || fail "the board shows something that is no piece: $(board_state)"
}

board_is() { [[ "$(board_state)" == "$1" ]] && no_dialog; }

# expect_board STATE: waits until the board shows STATE, with no dialog open.
expect_board() {
  poll "$E2E_TIMEOUT" board_is "$1" || fail "board shows [$(board_state)], expected [$1]"
}

# cell_centre INDEX: screen point in the middle of cell INDEX (0 top-left).
cell_centre() {
  local o w=$((PIECE_W * SCREEN_SCALE)) h=$((PIECE_H * SCREEN_SCALE))
  o=($(board_origin))
  echo $((o[0] + ($1 % GRID_COLS) * w + w / 2)) $((o[1] + ($1 / GRID_COLS) * h + h / 2))
}

# cell_pixels SCREENSHOT INDEX FILE: the inside of cell INDEX in a screenshot,
# in the screen's own pixels (the focus outline along its edges left out).
cell_pixels() {
  local o w=$((PIECE_W * SCREEN_SCALE)) h=$((PIECE_H * SCREEN_SCALE)) edge=$((4 * SCREEN_SCALE))
  o=($(board_origin))
  crop "$1" $((o[0] + ($2 % GRID_COLS) * w + edge)) $((o[1] + ($2 / GRID_COLS) * h + edge)) \
    $((w - 2 * edge)) $((h - 2 * edge)) "$3"
}

# drag_piece FROM TO: drags with the left button from one cell to another.
drag_piece() {
  local f t
  f=($(cell_centre "$1"))
  t=($(cell_centre "$2"))
  xdotool mousemove "${f[0]}" "${f[1]}" mousedown 1 mousemove $((f[0] + 6)) $((f[1] + 6)) \
    mousemove $(((f[0] + t[0]) / 2)) $(((f[1] + t[1]) / 2)) mousemove "${t[0]}" "${t[1]}" mouseup 1
}

# turn_piece INDEX: a right click on a cell.
turn_piece() {
  local c
  c=($(cell_centre "$1"))
  xdotool mousemove "${c[0]}" "${c[1]}" click 3
}

# The state after exchanging cells A and B (each piece keeps its look) or
# turning cell A, for a state given as its cells.
state_after_exchange() {
  local IFS=,
  local cells=($1)
  local held=${cells[$2]}
  cells[$2]=${cells[$3]}
  cells[$3]=$held
  echo "${cells[*]}"
}

state_after_turn() {
  local IFS=,
  local cells=($1)
  local piece=${cells[$2]% *} turned=${cells[$2]#* }
  cells[$2]="$piece $((1 - turned))"
  echo "${cells[*]}"
}

# solve_moves STATE: the moves that put every piece home and upright, one a
# line: "exchange A B" or "turn A". A shuffle that happened to leave the
# picture whole is played by turning a piece there and back, so that a game
# always ends on a move.
solve_moves() {
  local IFS=,
  local cells=($1)
  local n=${#cells[@]} k j moves=0
  for ((k = 0; k < n; k++)); do
    [[ "${cells[$k]% *}" == $((k + 1)) ]] && continue
    for ((j = k + 1; j < n; j++)); do
      if [[ "${cells[$j]% *}" == $((k + 1)) ]]; then
        echo "exchange $j $k"
        moves=$((moves + 1))
        local held=${cells[$k]}
        cells[$k]=${cells[$j]}
        cells[$j]=$held
        break
      fi
    done
  done
  for ((k = 0; k < n; k++)); do
    [[ "${cells[$k]#* }" == 1 ]] || continue
    echo "turn $k"
    moves=$((moves + 1))
  done
  ((moves)) || printf 'turn 0\nturn 0\n'
  return 0
}

# help_title: the title of the program's help window, if one is open.
help_title() {
  local w title
  for w in $(app_windows); do
    title=$(win_title "$w")
    [[ "$title" == "QUAVINTO ヘルプ"* || "$title" == "QUAVINTO Help"* ]] && echo "$title"
  done
}
# help_shows TITLE: the help window's title has become TITLE.
help_shows() { [[ "$(help_title)" == "$1" ]]; }

# play_move STATE MOVE...: makes one move by mouse and prints the state it leads to.
play_move() {
  local state=$1
  shift
  case "$1" in
    exchange)
      drag_piece "$2" "$3"
      state_after_exchange "$state" "$2" "$3"
      ;;
    turn)
      turn_piece "$2"
      state_after_turn "$state" "$2"
      ;;
  esac
}

# start_a11y_bus: a private session bus with the accessibility bus beside it,
# so that a11y_client reads the program as a screen reader does; exits 77
# (skipped) when their tools are missing. The journey's end stops them.
A11Y_PIDS=()
start_a11y_bus() {
  local launcher=/usr/libexec/at-spi-bus-launcher need
  for need in dbus-daemon "$launcher" /usr/libexec/at-spi2-registryd; do
    command -v "$need" >/dev/null || { note "skipped: $need is missing"; exit 77; }
  done
  /usr/bin/python3 -c 'import pyatspi' 2>/dev/null || { note "skipped: python3-pyatspi is missing"; exit 77; }
  dbus-daemon --session --nofork --nopidfile --print-address=1 >"$E2E_WORK/bus-address" 2>"$E2E_WORK/bus.log" &
  A11Y_PIDS+=($!)
  poll 10 test -s "$E2E_WORK/bus-address" || fail "the session bus did not start"
  export DBUS_SESSION_BUS_ADDRESS=$(head -1 "$E2E_WORK/bus-address")
  "$launcher" --launch-immediately >"$E2E_WORK/launcher.log" 2>&1 &
  A11Y_PIDS+=($!)
  a11y_bus_up() { dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress >/dev/null 2>&1; }
  poll 10 a11y_bus_up || fail "the accessibility bus did not start: $(cat "$E2E_WORK/launcher.log")"
  export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
}
a11y_client() { timeout 30 /usr/bin/python3 "$E2E_DIR/a11y-client.py" "$@" 2>>"$E2E_WORK/client-errors.log"; }
# clock_moves: the moves the clock shows, read as a screen reader reads it:
# the figure after 手数 (or before "moves"), never the fewest that may follow.
clock_moves() { a11y_client clock | sed -n 's/.*手数 \([0-9][0-9]*\).*/\1/p; s/.*  \([0-9][0-9]*\) moves\{0,1\}\b.*/\1/p'; }
stop_journey() {
  stop_app
  local p
  for p in "${A11Y_PIDS[@]}"; do
    kill "$p" 2>/dev/null || true
    wait "$p" 2>/dev/null || true
  done
}

# Whatever happens, the journey's program does not outlive it.
trap stop_journey EXIT
