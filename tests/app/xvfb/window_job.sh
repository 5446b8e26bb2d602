#!/usr/bin/env bash
# A whole job through the built program on a real X server (Xvfb), driven with xdotool as a
# user would: Add a template tree through the picker, choose the flat folder, Execute, confirm
# the count, quit. Checks that the flat files now sit in the template's layout.
#   window_job.sh PATH-TO-tessaly
set -euo pipefail
. "$(cd "$(dirname "$0")" && pwd)/scratch.sh" "$1"
# The picker opens at the executable's folder, which holds the template and the flat folder.
mkdir -p tpl/アルバム/disc1 tpl/b flat
: > tpl/アルバム/disc1/曲1.wav
: > tpl/b/song.wav
echo one > flat/曲1.mp3
echo two > flat/song.mp3

cat > drive.sh <<'INNER'
set -euo pipefail
env -u QT_QPA_PLATFORM ./tessaly > out.txt 2>&1 &
pid=$!
# On failure: the program's windows, and where asked, its threads (GDB_OUT=file) and the screen
# (SHOT=file.png, needs xwd and netpbm).
fail() {
  echo "$1"
  [ -n "${GDB_OUT:-}" ] && gdb -p "$pid" -batch -ex "thread apply all bt 25" > "$GDB_OUT" 2>&1
  [ -n "${SHOT:-}" ] && xwd -root -silent | xwdtopnm 2>/dev/null | pnmtopng > "$SHOT"
  xdotool search --onlyvisible --pid "$pid" --name '' getwindowname %@ 2>/dev/null || true
  kill "$pid"
  exit 1
}

visible() { xdotool search --onlyvisible --pid "$pid" --name '' 2>/dev/null | sort || true; }
# The one visible window of the program that is not among $1, once it appears.
new_window() {
  for _ in $(seq 1 100); do
    w=$(comm -13 <(echo "$1") <(visible) | head -n 1)
    [ -n "$w" ] && { echo "$w"; return 0; }
    sleep 0.1
  done
  return 1
}
# Clicks at a fraction (in thousandths) of a window's width and height.
click_at() {
  eval "$(xdotool getwindowgeometry --shell "$1")"
  xdotool mousemove $((X + WIDTH * $2 / 1000)) $((Y + HEIGHT * $3 / 1000)) click 1
}
gone() {
  for _ in $(seq 1 100); do
    visible | grep -qx "$1" || return 0
    sleep 0.1
  done
  return 1
}

main=$(timeout 30 xdotool search --sync --onlyvisible --name '^Tessaly$' | head -n 1)
[ -n "$main" ] || fail "no window named Tessaly"
sleep 0.5
known=$(visible)

# 追加 (Add), bottom left; the picker: 全部選択 then 選択決定.
click_at "$main" 80 916
picker=$(new_window "$known") || fail "Add opened no picker"
[ "$(xdotool getwindowname "$picker")" = "ファイル・フォルダの入力" ] || fail "not the picker"
sleep 0.5
click_at "$picker" 360 215
sleep 0.3
click_at "$picker" 360 965
gone "$picker" || fail "the picker did not close"
sleep 1

# 対象フォルダ (the operation folder): Qt's folder chooser takes a typed path.
click_at "$main" 440 916
chooser=$(new_window "$known") || fail "no folder chooser"
sleep 0.5
xdotool windowfocus --sync "$chooser"
xdotool type --delay 20 "$PWD/flat"
xdotool key Return
gone "$chooser" || fail "the folder chooser did not close"
sleep 0.5

# 実行 (Execute); the count box's OK button sits in its bottom-right corner. (Without a window
# manager the box may not take the keyboard, so it is clicked.)
click_at "$main" 650 916
box=$(new_window "$known") || fail "Execute showed no count"
sleep 0.5
eval "$(xdotool getwindowgeometry --shell "$box")"
xdotool mousemove $((X + WIDTH - 30)) $((Y + HEIGHT - 15)) click 1
gone "$box" || fail "the count box did not close"

# 終了 (Exit), bottom right.
click_at "$main" 985 980
for _ in $(seq 1 100); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
kill -0 "$pid" 2>/dev/null && fail "the window did not close"
wait "$pid"
INNER
run_on_xvfb
status=0
# Everything in the picker's folder was picked, so tpl itself is part of the layout.
for f in "flat/tpl/アルバム/disc1/曲1.mp3:one" "flat/tpl/b/song.mp3:two"; do
  path=${f%%:*}
  if [ "$(cat "$path" 2>/dev/null)" != "${f##*:}" ]; then
    echo "not moved with its content: $path"; status=1
  fi
done
[ -e flat/曲1.mp3 ] || [ -e flat/song.mp3 ] && { echo "a flat file stayed behind"; status=1; }
[ "$status" = 0 ] || ls -R flat
[ "$status" = 0 ] && echo "ok"
exit "$status"
