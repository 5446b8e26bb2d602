# Sourced by the Xvfb tests with the program's path: a scratch folder holding a copy of the
# program, made the current directory and removed at exit; run_on_xvfb runs ./drive.sh there on
# a new X server and shows the program's output when it fails.
exe=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# A copy of its own: TraceFile.txt lands beside it, and the picker opens in its folder.
cp "$exe" "$work/tessaly"
cd "$work"

run_on_xvfb() {
  if ! xvfb-run -a -s "-screen 0 1280x1024x24" bash drive.sh; then
    cat out.txt 2>/dev/null || true
    exit 1
  fi
}
