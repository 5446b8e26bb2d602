#!/usr/bin/env bash
# Starts the built program on a real X server (Xvfb) with a window manager (openbox), waits for
# its window, checks that the window manager offers no maximize for the fixed-size dialog, closes
# it with the "終了" button as a user would, and checks the exit status and the empty trace log
# beside the executable.   window_smoke.sh PATH-TO-tessaly
set -euo pipefail
. "$(cd "$(dirname "$0")" && pwd)/scratch.sh" "$1"
echo "left from a run before" > TraceFile.txt

cat > drive.sh <<'INNER'
set -euo pipefail
openbox >/dev/null 2>&1 &
# The window manager first: a window mapped while it takes over the screen may never show.
for _ in $(seq 1 50); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
  sleep 0.1
done
env -u QT_QPA_PLATFORM ./tessaly > out.txt 2>&1 &
pid=$!
win=$(timeout 30 xdotool search --sync --onlyvisible --name '^Tessaly$' | head -n 1)
[ -n "$win" ] || { echo "no window named Tessaly"; kill "$pid"; exit 1; }
# The window manager lists what it offers once it has managed the window.
for _ in $(seq 1 50); do
  actions=$(xprop -id "$win" _NET_WM_ALLOWED_ACTIONS 2>/dev/null || true)
  [[ "$actions" == *ACTION_CLOSE* ]] && break
  sleep 0.1
done
[[ "$actions" == *ACTION_CLOSE* ]] || { echo "no window manager: $actions"; kill "$pid"; exit 1; }
if [[ "$actions" == *MAXIMIZE* ]]; then
  echo "the fixed-size dialog can be maximized: $actions"; kill "$pid"; exit 1
fi
# Nor does the program ask for a maximize button (Motif hints: flags, functions, decorations;
# MWM_DECOR_MAXIMIZE is 0x40), which desktops that draw buttons by these hints would show.
read -r mwm_flags mwm_decor < <(xprop -id "$win" _MOTIF_WM_HINTS |
  sed -n 's/.*= \([^,]*\), [^,]*, \([^,]*\),.*/\1 \2/p')
if (( (mwm_flags & 2) == 0 || (mwm_decor & 0x40) != 0 )); then
  echo "the dialog asks for a maximize button: $(xprop -id "$win" _MOTIF_WM_HINTS)"
  kill "$pid"; exit 1
fi
eval "$(xdotool getwindowgeometry --shell "$win")"
# "終了" fills the dialog's bottom-right corner. Relative to the window: under a window manager
# the geometry's X and Y count the frame twice.
xdotool mousemove --window "$win" $((WIDTH - 8)) $((HEIGHT - 8)) click 1
for _ in $(seq 1 100); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
if kill -0 "$pid" 2>/dev/null; then
  echo "the window did not close"; kill "$pid"; exit 1
fi
wait "$pid"
INNER
run_on_xvfb
if [ -s TraceFile.txt ]; then
  echo "TraceFile.txt is not empty:"; cat TraceFile.txt; exit 1
fi
[ -e TraceFile.txt ] || { echo "no TraceFile.txt beside the executable"; exit 1; }
echo "ok"
