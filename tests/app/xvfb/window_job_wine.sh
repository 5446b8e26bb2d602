#!/usr/bin/env bash
# A whole job through tessaly.exe under Wine on a real X server (Xvfb) with a window manager
# (openbox), driven with xdotool as a user would: Add a template tree through the picker, the
# duplicate count box, choose the flat folder in Windows' folder browser, Execute, the count box,
# 終了. Checks the moved files and their bytes, the exit status and the empty TraceFile.txt, and
# keeps pictures of the windows as Wine draws them on a desktop.
#   window_job_wine.sh PATH-TO-tessaly.exe PATH-TO-wine-run SCREENSHOT-DIR
set -euo pipefail
exe=$1
wine_run=$(cd "$(dirname "$2")" && pwd)/$(basename "$2")
shots=$3
mkdir -p "$shots"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# A copy of its own: TraceFile.txt lands beside it, and the picker opens in its folder.
cp "$exe" "$work/tessaly.exe"
cd "$work"
mkdir -p tpl/アルバム/disc1 tpl/b tpl/c flat
: > tpl/アルバム/disc1/曲1.wav
: > tpl/b/song.wav
: > tpl/b/twice.wav
: > tpl/c/twice.wav
echo one > flat/曲1.mp3
echo two > flat/song.mp3
echo three > flat/twice.mp3
export WINE_RUN=$wine_run SHOTS=$shots

# Openbox with no key bindings of its own, so that keys reach the program; a click focuses and
# raises a window, as on a desktop.
cat > openbox.xml <<'XML'
<?xml version="1.0" encoding="UTF-8"?>
<openbox_config xmlns="http://openbox.org/3.4/rc">
  <keyboard/>
  <mouse>
    <context name="Client">
      <mousebind button="Left" action="Press">
        <action name="Focus"/><action name="Raise"/>
      </mousebind>
    </context>
  </mouse>
</openbox_config>
XML

cat > drive.sh <<'INNER'
set -euo pipefail
openbox --config-file openbox.xml > openbox.log 2>&1 &
sleep 1
"$WINE_RUN" ./tessaly.exe > out.txt 2>&1 &
pid=$!
fail() {
  echo "$1"
  xdotool search --onlyvisible --name '' getwindowname %@ 2>/dev/null || true
  xwd -root -silent 2>/dev/null | xwdtopnm 2>/dev/null | pnmtopng > "$SHOTS/failure.png" 2>/dev/null || true
  kill "$pid" 2>/dev/null || true
  exit 1
}
shot() { xwd -id "$1" -silent | xwdtopnm 2>/dev/null | pnmtopng > "$SHOTS/$2.png"; }
visible() { xdotool search --onlyvisible --name '.' 2>/dev/null | sort || true; }
new_window() {
  for _ in $(seq 1 150); do
    w=$(comm -13 <(echo "$1") <(visible) | head -n 1)
    [ -n "$w" ] && { echo "$w"; return 0; }
    sleep 0.1
  done
  return 1
}
# Clicks at a fraction (in thousandths) of a window's width and height. The point is given
# relative to the window: under a window manager the geometry's X and Y count the frame twice.
click_at() {
  eval "$(xdotool getwindowgeometry --shell "$1")"
  xdotool mousemove --window "$1" $((WIDTH * $2 / 1000)) $((HEIGHT * $3 / 1000)) click 1
}
gone() {
  for _ in $(seq 1 150); do
    visible | grep -qx "$1" || return 0
    sleep 0.1
  done
  return 1
}

main=$(timeout 60 xdotool search --sync --onlyvisible --name '^Tessaly$' | head -n 1)
[ -n "$main" ] || fail "no window named Tessaly"
sleep 1
shot "$main" dialog102
known=$(visible)

# 追加 (Add), bottom left; the picker: 全部選択 then 選択決定.
click_at "$main" 80 916
picker=$(new_window "$known") || fail "Add opened no picker"
[ "$(xdotool getwindowname "$picker")" = "ファイル・フォルダの入力" ] || fail "not the picker"
sleep 1
shot "$picker" dialog103
click_at "$picker" 360 215
sleep 0.3
click_at "$picker" 360 965
gone "$picker" || fail "the picker did not close"

# Two twice.wav: the duplicate count box, closed with Enter as on any desktop.
box=$(new_window "$known") || fail "no duplicate count box"
sleep 0.5
shot "$box" duplicates
xdotool windowactivate --sync "$box" 2>/dev/null || true
xdotool key Return
gone "$box" || fail "the duplicate count box did not close"
# Where no viewer opens ConflictFile.txt (a bare Wine prefix), the program says where it is.
for _ in $(seq 1 30); do
  place=$(comm -13 <(echo "$known") <(visible) | head -n 1)
  [ -n "$place" ] && break
  sleep 0.1
done
if [ -n "$place" ]; then
  shot "$place" conflict-place
  xdotool windowactivate --sync "$place" 2>/dev/null || true
  xdotool key Return
  gone "$place" || fail "the box naming ConflictFile.txt did not close"
fi
sleep 1
shot "$main" main-after-add

# 対象フォルダ (the operation folder) in Windows' folder browser, with the keyboard as a user
# would: each folder of the way typed (the tree selects what is typed) and opened, then flat.
# (The program asks it to open on its own folder, which Wine's browser does not always do.)
click_at "$main" 440 916
chooser=$(new_window "$known") || fail "no folder browser"
sleep 1
shot "$chooser" folder-browser
xdotool windowactivate --sync "$chooser" 2>/dev/null || true
click_at "$chooser" 332 236 # the tree: (Z:), where it starts
sleep 0.3
IFS=/ read -r -a parts <<< "${PWD#/}"
for part in "${parts[@]}" flat; do
  xdotool type --delay 30 "$part"
  sleep 0.3
  xdotool key Right
  sleep 0.5
done
shot "$chooser" folder-chosen
xdotool key Return
gone "$chooser" || fail "the folder browser did not close"
sleep 0.5

# 実行 (Execute), then the count box.
click_at "$main" 650 916
box=$(new_window "$known") || fail "Execute showed no count"
sleep 0.5
shot "$box" moved
xdotool windowactivate --sync "$box" 2>/dev/null || true
xdotool key Return
gone "$box" || fail "the count box did not close"

# 終了 (Exit), bottom right.
click_at "$main" 985 980
for _ in $(seq 1 150); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
kill -0 "$pid" 2>/dev/null && fail "the window did not close"
wait "$pid" || fail "tessaly.exe ended with status $?"
INNER
if ! timeout 300 xvfb-run -a -s "-screen 0 1280x1024x24" bash drive.sh; then
  cat out.txt 2>/dev/null | tail -20 || true
  exit 1
fi
status=0
# Everything in the picker's folder was picked, so tpl itself is part of the layout; both
# twice.wav were dropped as duplicates, so twice.mp3 stays.
for f in "flat/tpl/アルバム/disc1/曲1.mp3:one" "flat/tpl/b/song.mp3:two" "flat/twice.mp3:three"; do
  path=${f%%:*}
  if [ "$(cat "$path" 2>/dev/null)" != "${f##*:}" ]; then
    echo "not where it belongs with its content: $path"; status=1
  fi
done
[ -e flat/曲1.mp3 ] || [ -e flat/song.mp3 ] && { echo "a flat file stayed behind"; status=1; }
[ -e TraceFile.txt ] || { echo "no TraceFile.txt beside the executable"; status=1; }
[ -s TraceFile.txt ] && { echo "TraceFile.txt is not empty:"; cat TraceFile.txt; status=1; }
[ "$status" = 0 ] || ls -R flat
[ "$status" = 0 ] && echo "ok"
exit "$status"
