#!/usr/bin/env bash
# Starts the built program on a real X server (Xvfb), waits for its window, closes it with the
# "終了" button as a user would, and checks the exit status and the empty trace log beside the
# executable.   window_smoke.sh PATH-TO-tessaly
set -euo pipefail
. "$(cd "$(dirname "$0")" && pwd)/scratch.sh" "$1"
echo "left from a run before" > TraceFile.txt

cat > drive.sh <<'INNER'
set -euo pipefail
env -u QT_QPA_PLATFORM ./tessaly > out.txt 2>&1 &
pid=$!
win=$(timeout 30 xdotool search --sync --onlyvisible --name '^Tessaly$' | head -n 1)
[ -n "$win" ] || { echo "no window named Tessaly"; kill "$pid"; exit 1; }
eval "$(xdotool getwindowgeometry --shell "$win")"
# "終了" fills the dialog's bottom-right corner.
xdotool mousemove $((X + WIDTH - 8)) $((Y + HEIGHT - 8)) click 1
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
