#!/usr/bin/env bash
# Every ending the window sees keeps the options. An option on a tab and one in the Window menu
# are changed by keyboard; then SIGTERM (logout, shutdown), SIGHUP (the terminal closed),
# SIGINT (Ctrl+C), and SIGTERM sent twice at once must leave both files as Alt+X leaves them,
# and the process must end by that signal. With Data gone, SIGTERM ends the process within
# 5 s with one line a file on standard error and no box.
set -euo pipefail
launcher="$1"
. "$(dirname "$0")/lib.sh"

portable_copy "$launcher"
: > "$roms/Alpha.vb"
stand_in_emulator "$emu"
start_xvfb

# A window with the options as saved: the default options and the two folders.
start_window() {
  rm -rf "$prog/Data"; mkdir "$prog/Data"
  settings_lines "$emu" "$roms" True False > "$prog/Data/Settings.ini"
  # A shell starts background jobs with SIGINT ignored; a terminal's Ctrl+C would reach it.
  env --default-signal=INT,HUP,TERM "$prog/kalmora-launcher" >"$work/app.log" 2>&1 &
  app_pid=$!
  wait_for 20 find_window || fail "no window"
  refocus
  # Down selects Alpha.vb; Tab goes to the display mode "Window", Right moves it to "320x200".
  # Window > Minimize on launch is ticked.
  keys Down Tab Right alt+w m
  sleep 0.5
}

start_window
exit_launcher
cp "$prog/Data/Settings.ini" "$work/settings.expected"
cp "$prog/Data/GUI.ini" "$work/gui.expected"
cmp -s "$work/settings.expected" <(settings_lines "$emu" "$roms" True False) && fail "the tab's option did not change"
[ "$(sed -n 14p "$work/gui.expected" | tr -d '\r')" = True ] || fail "Minimize on launch was not ticked"

passed=0
for signal in TERM HUP INT TERM-TWICE; do
  start_window
  name="${signal%-TWICE}"
  kill -s "$name" "$app_pid"
  [ "$signal" = TERM-TWICE ] && kill -s "$name" "$app_pid" 2>/dev/null || true
  wait_for 10 bash -c "! kill -0 $app_pid 2>/dev/null" || fail "SIG$name did not end the window"
  status=0; wait "$app_pid" || status=$?; app_pid=""
  expected=$((128 + $(kill -l "$name")))
  [ "$status" -eq "$expected" ] || fail "SIG$name: exit status $status, not $expected"
  cmp -s "$prog/Data/Settings.ini" "$work/settings.expected" || fail "SIG$name: Settings.ini lost the change"
  cmp -s "$prog/Data/GUI.ini" "$work/gui.expected" || fail "SIG$name: GUI.ini lost the change"
  echo "SIG$name${signal#"$name"}: both files kept, status $status"
  passed=$((passed + 1))
done

# Nobody answers a box under a signal: a failed save is one line on standard error.
start_window
rm -rf "$prog/Data"
started=$SECONDS
kill -TERM "$app_pid"
wait_for 5 bash -c "! kill -0 $app_pid 2>/dev/null" || fail "with Data gone, SIGTERM did not end the window in 5 s"
status=0; wait "$app_pid" || status=$?; app_pid=""
[ "$status" -eq 143 ] || fail "with Data gone: exit status $status"
[ -z "$(xdotool search --name '^Error$' 2>/dev/null)" ] || fail "an error box opened"
grep -q "^kalmora-launcher: Could not save emulator configuration to file \"$prog/Data/Settings.ini\"" "$work/app.log" \
  || fail "no line for Settings.ini"
grep -q "^kalmora-launcher: Could not save GUI configuration to file \"$prog/Data/GUI.ini\"" "$work/app.log" \
  || fail "no line for GUI.ini"
echo "SIGTERM with Data gone: ended in $((SECONDS - started)) s, one line a file, no box"
passed=$((passed + 1))
echo "endings: $passed passed, 0 failed"
