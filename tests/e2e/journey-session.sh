# Journey: the desktop session ending (a log-out through the X session
# manager) asks the program first, as its close box does. CANCEL keeps the
# program and stops the log-out; OK writes the settings and lets it end.
source "$(dirname "$0")/lib.sh"

command -v cc >/dev/null && [[ -f /usr/include/X11/SM/SMlib.h ]] ||
  { echo "no C compiler or session-manager headers (libsm-dev)"; exit 77; }
manager="$E2E_WORK/mini-session"
cc -O1 "$E2E_DIR/mini-session.c" -lSM -lICE -o "$manager" || fail "the session manager did not build"

fresh_home
sm_log="$E2E_WORK/session.log"
"$manager" "$E2E_WORK/session-address" >"$sm_log" 2>&1 &
SM_PID=$!
trap 'kill "$SM_PID" 2>/dev/null || true; stop_app' EXIT
sm_says() { grep -qx "$1" "$sm_log"; }
poll "$E2E_TIMEOUT" sm_says listening || fail "the session manager did not start: $(cat "$sm_log")"
export SESSION_MANAGER
SESSION_MANAGER=$(cat "$E2E_WORK/session-address")

start_app
skip_wait_window
poll "$E2E_TIMEOUT" sm_says registered || fail "the program did not join the session: $(cat "$sm_log")"

# Log-out, CANCEL: the program stays, the log-out is stopped, nothing written.
kill -USR1 "$SM_PID"
confirm=$(wait_dialog)
[[ "$(win_title "$confirm")" == QUAVINTO ]] || fail "the question is titled '$(win_title "$confirm")'"
answer "$confirm" Escape
poll "$E2E_TIMEOUT" sm_says "interact-done cancel" || fail "the log-out was not stopped: $(cat "$sm_log")"
app_running || fail "the program ended after CANCEL"
[[ ! -e "$(settings_file)" ]] || fail "settings were written although the exit was cancelled"
poll "$E2E_TIMEOUT" main_window_focused || fail "the main window is gone after CANCEL"

# Log-out again, OK: the settings are written and the program ends.
kill -USR1 "$SM_PID"
confirm=$(wait_dialog "$confirm")
answer "$confirm" Return
wait_app_exit || fail "the program did not end cleanly after the log-out"
sm_says "interact-done go-on" || fail "the session manager was not told to go on: $(cat "$sm_log")"
[[ -f "$(settings_file)" ]] || fail "no settings written on the confirmed log-out"
keys=$(grep -c '=' "$(settings_file)")
((keys == 6)) || fail "$keys settings instead of six"

# A log-out while the settings dialog is open: the question comes over it, and
# after OK the program ends cleanly with the dialog still open beneath.
rm -f "$(settings_file)"
start_app
skip_wait_window
cmd_settings
dialog=$(wait_dialog)
kill -USR1 "$SM_PID"
confirm=$(wait_dialog "$dialog")
answer "$confirm" Return
wait_app_exit || fail "the program did not end cleanly after a log-out over the settings dialog"
[[ -f "$(settings_file)" ]] || fail "no settings written on the log-out over the settings dialog"
