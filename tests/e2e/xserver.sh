# A private X server with a window manager, for the end-to-end journeys and
# the README's screenshots: start_x_server and stop_x_server.
#
# start_x_server WORK: Xvfb (1280 x 1024, 24-bit) on the first free display
# from :90 to :99, and openbox with a home of its own under WORK, so no user
# configuration counts. Exports DISPLAY; false when either cannot start.

XSERVER_PID=""
XSERVER_WM_PID=""

xserver_now_ms() { echo $(($(date +%s%N) / 1000000)); }

# xserver_poll SECONDS COMMAND...: true once COMMAND succeeds within SECONDS.
xserver_poll() {
  local deadline=$(($(xserver_now_ms) + $1 * 1000))
  shift
  until "$@"; do
    (($(xserver_now_ms) >= deadline)) && return 1
    sleep 0.05
  done
}

xserver_wm_ready() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }

start_x_server() {
  local work=$1 n
  # Another run may take the same number between the look and the start; the
  # server then ends at once and the next number is tried.
  for n in 90 91 92 93 94 95 96 97 98 99; do
    [[ -e /tmp/.X11-unix/X$n || -e /tmp/.X$n-lock ]] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp -noreset >"$work/xvfb-$n.log" 2>&1 &
    XSERVER_PID=$!
    if xserver_poll 10 bash -c "kill -0 $XSERVER_PID 2>/dev/null && xdpyinfo -display :$n >/dev/null 2>&1"; then
      export DISPLAY=":$n"
      break
    fi
    kill "$XSERVER_PID" 2>/dev/null
    wait "$XSERVER_PID" 2>/dev/null
    XSERVER_PID=""
  done
  if [[ -z "$XSERVER_PID" ]]; then
    echo "no free X display from :90 to :99" >&2
    return 1
  fi
  mkdir -p "$work/wm-home"
  HOME="$work/wm-home" XDG_CONFIG_HOME="$work/wm-home/.config" openbox --sm-disable >"$work/openbox.log" 2>&1 &
  XSERVER_WM_PID=$!
  if ! xserver_poll 10 xserver_wm_ready; then
    echo "the window manager did not start" >&2
    return 1
  fi
}

stop_x_server() {
  if [[ -n "$XSERVER_WM_PID" ]]; then
    kill "$XSERVER_WM_PID" 2>/dev/null
    wait "$XSERVER_WM_PID" 2>/dev/null
  fi
  if [[ -n "$XSERVER_PID" ]]; then
    kill "$XSERVER_PID" 2>/dev/null
    wait "$XSERVER_PID" 2>/dev/null
  fi
  XSERVER_WM_PID=""
  XSERVER_PID=""
  return 0
}
