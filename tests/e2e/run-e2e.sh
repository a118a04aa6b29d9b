#!/usr/bin/env bash
# Runs the built program as a user does, under a private X server: a new document, a drawing
# opened from an SVG file, saved, closed and opened again, exported as PNG, and quit. Checks
# the files written, the exported picture and the exit status.
#
#   run-e2e.sh PATH/TO/quillory
#
# Exits 0 when everything holds, 1 on a failure (with the reason and the program's log), and
# 77 (skipped) only when no X server can be started here. For looking into a failure:
# E2E_KEEP=1 keeps the work folder (home, files, log), and E2E_WRAP runs the program under a
# command, e.g. E2E_WRAP="gdb -q -batch -ex run -ex bt --args".
set -uo pipefail

program=${1:?usage: run-e2e.sh PATH/TO/quillory}
here=$(cd "$(dirname "$0")" && pwd)
program=$(cd "$(dirname "$program")" && pwd)/$(basename "$program")

# Quitting still ends in a segmentation fault (139); the mend lands on another branch. Once it
# has, this line becomes 0 and nothing else changes.
expected_quit_status=0

skip() { echo "e2e: SKIPPED: $*"; exit 77; }
work=
xvfb_pid=
app_pid=
cleanup() {
  [[ -n $app_pid ]] && kill -9 "$app_pid" 2>/dev/null
  [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  [[ -n $work && -d $work && -z ${E2E_KEEP:-} ]] && rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "e2e: FAILED: $*"
  if [[ -n $work && -f $work/quillory.log ]]; then
    echo "e2e: the program's last log lines:"
    tail -n 25 "$work/quillory.log" | sed 's/^/    /'
  fi
  if [[ -n ${DISPLAY:-} ]] && command -v xdotool >/dev/null; then
    echo "e2e: windows on the screen: $(xdotool search --onlyvisible --name '' getwindowname %@ 2>/dev/null | tr '\n' '|')"
  fi
  exit 1
}

command -v Xvfb >/dev/null || skip "Xvfb is not installed (scripts/install-deps installs it)"
for tool in xdotool python3; do
  command -v "$tool" >/dev/null || fail "$tool is not installed (scripts/install-deps installs it)"
done
[[ -x $program ]] || fail "no program at $program"

work=$(mktemp -d "${TMPDIR:-/tmp}/quillory-e2e-XXXXXX")
home=$work/home
out=$work/out
mkdir -p "$home" "$out"

# Polls `condition` every 0.1 s for at most `seconds`.
wait_for() {
  local seconds=$1; shift
  local tries=$((seconds * 10))
  while ((tries-- > 0)); do
    "$@" && return 0
    [[ -n $app_pid ]] && ! kill -0 "$app_pid" 2>/dev/null && return 1
    sleep 0.1
  done
  return 1
}

# The X server picks a free display itself and reports its number.
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1280x900x24 -nolisten tcp -noreset >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
exec 3>&-
has_display() { [[ -s $work/display ]] || ! kill -0 "$xvfb_pid" 2>/dev/null; }
wait_for 15 has_display
if ! kill -0 "$xvfb_pid" 2>/dev/null || [[ ! -s $work/display ]]; then
  skip "Xvfb could not start: $(tr '\n' ' ' <"$work/xvfb.log" | cut -c1-300)"
fi
export DISPLAY=:$(tr -d '[:space:]' <"$work/display")
echo "e2e: X server on $DISPLAY, home folder $home"

window_id() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1; }
window_shown() { [[ -n $(window_id "$1") ]]; }
window_gone() { [[ -z $(window_id "$1") ]]; }
expect_window() { wait_for "${2:-20}" window_shown "$1" || fail "no window \"$1\" appeared ${3:-}"; }
# Gives the window the keyboard focus (as clicking it would) and presses the keys.
keys_to() {
  local id
  id=$(window_id "$1") || true
  [[ -n $id ]] || fail "no window \"$1\" to type into"
  xdotool windowfocus --sync "$id" 2>/dev/null || xdotool windowfocus "$id"
  shift
  xdotool key --clearmodifiers "$@"
}
type_to() {
  local id
  id=$(window_id "$1") || true
  [[ -n $id ]] || fail "no window \"$1\" to type into"
  xdotool windowfocus --sync "$id" 2>/dev/null || xdotool windowfocus "$id"
  xdotool type --delay 5 --clearmodifiers "$2"
}
# Answers a file panel titled $1 with the path $2.
answer_file_panel() {
  expect_window "$1" 20 "for $2"
  # The name field has the focus and its text selected: typing replaces it.
  type_to "$1" "$2"
  keys_to "$1" Return
}

umask 022
(
  cd "$work" || exit 1
  exec env -i PATH="$PATH" DISPLAY="$DISPLAY" HOME="$home" LANG=C.UTF-8 \
    XDG_CONFIG_HOME="$home/.config" XDG_DATA_HOME="$home/.local/share" XDG_CACHE_HOME="$home/.cache" \
    XDG_RUNTIME_DIR="$work/runtime" QT_QPA_PLATFORM=xcb ${E2E_WRAP:-} "$program"
) >"$work/quillory.log" 2>&1 &
app_pid=$!
mkdir -m 700 -p "$work/runtime"

# A fresh start shows an untitled document.
expect_window "Untitled" 60 "at start"
# New document.
keys_to "Untitled" ctrl+n
expect_window "Untitled 2" 20 "after File > New"
# A drawing comes in from an SVG file, as an untitled document.
keys_to "Untitled 2" ctrl+o
answer_file_panel "Open" "$here/two-squares.svg"
expect_window "Untitled 3" 30 "after opening the SVG file"
# Saved under a name of the user's.
keys_to "Untitled 3" ctrl+s
answer_file_panel "Save As" "$out/test1.qlry"
expect_window "test1" 30 "after saving"
package=$out/test1.qlry
package_written() { [[ -s $package/VN_Content.drawing && -s $package/VN_Info.plist ]]; }
wait_for 20 package_written || fail "the package $package was not written"
# Closed at once, with the keys, right after the save panel.
keys_to "test1" ctrl+w
wait_for 20 window_gone "test1" || fail "Ctrl+W after saving did not close the document"
# Opened again.
keys_to "Untitled 2" ctrl+o
answer_file_panel "Open" "$package"
expect_window "test1" 30 "after opening the saved file again"
# Exported as PNG with the sheet's settings: named after the document, in the default folder.
keys_to "test1" ctrl+e
expect_window "Export" 20 "after File > Export"
keys_to "Export" Return
png="$home/Documents/Quillory/Exported Files/test1.png"
wait_for 30 test -s "$png" || fail "no exported picture at $png: $(ls -R "$home/Documents" 2>&1 | tr '\n' ' ')"
wait_for 20 window_gone "Export" || fail "the export sheet stayed open"
# Quit.
keys_to "test1" ctrl+q
wait_for 30 eval '! kill -0 "$app_pid" 2>/dev/null' || fail "the program did not quit within 30 s"
wait "$app_pid"
status=$?
app_pid=

# The files written: the package's entries, the user's file mode, the picture.
for entry in VN_Content.drawing VN_Info.plist VN_Auxiliary_Info.dat _window.plist; do
  [[ -s $package/$entry ]] || fail "the package lacks $entry"
done
for file in "$package/VN_Content.drawing" "$png"; do
  mode=$(stat -c %a "$file")
  [[ $mode == 644 ]] || fail "$file has mode $mode, not the umask's 644"
done
# The SVG's 200 x 100 point drawing at 72 dpi: red on the left, blue on the right, the
# transparent background nowhere.
python3 "$here/check-png.py" "$png" 200 100 10,10,#ff0000 90,90,#ff0000 110,10,#0000ff 190,90,#0000ff \
  || fail "the exported picture is not the drawing"

[[ $status == "$expected_quit_status" ]] || fail "the program ended with status $status, expected $expected_quit_status"
echo "e2e: passed (the program ended with status $status)"
