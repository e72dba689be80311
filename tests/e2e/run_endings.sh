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
  keys_handled Alpha.vb
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
# A Wine server that never answers (a hung network mount, a stopped server, a wrapper that
# stays in the foreground) while the window makes Wine ready: SIGTERM still ends the window
# within 2 s with both files saved, and the next start opens a window of its own.
wine_emu="$work/wine emu"
mkdir -p "$wine_emu" "$work/prefix"
printf 'MZ a Windows program\r\n' > "$wine_emu/kalmora_boy.exe"
: > "$work/prefix/system.reg"
printf '#!/bin/sh\nexit 0\n' > "$work/wine"
# Each server adds its pid: the next window makes Wine ready again and starts one of its own.
printf '#!/bin/sh\necho $$ >> "%s"\nexec sleep 300\n' "$work/server.pid" > "$work/hanging wineserver"
chmod +x "$work/wine" "$work/hanging wineserver"
hung_server() { [ -s "$work/server.pid" ] && kill -0 "$(head -n1 "$work/server.pid")" 2>/dev/null; }
export WINE="$work/wine" WINESERVER="$work/hanging wineserver" WINEPREFIX="$work/prefix"
rm -rf "$prog/Data"; mkdir "$prog/Data"
settings_lines "$wine_emu" "$roms" True False > "$prog/Data/Settings.ini"
env --default-signal=INT,HUP,TERM "$prog/kalmora-launcher" >"$work/app.log" 2>&1 &
app_pid=$!
wait_for 20 find_window || fail "no window with a hanging Wine server"
wait_for 10 hung_server || fail "the window did not make Wine ready"
sleep 0.5
started_ns=$(date +%s%N)
kill -TERM "$app_pid"
wait_for 5 bash -c "! kill -0 $app_pid 2>/dev/null" || fail "SIGTERM did not end the window while Wine's server hangs"
ended_ms=$((($(date +%s%N) - started_ns) / 1000000))
status=0; wait "$app_pid" || status=$?; app_pid=""
[ "$status" -eq 143 ] || fail "with a hanging server: exit status $status"
[ "$ended_ms" -le 2000 ] || fail "with a hanging server: SIGTERM took $ended_ms ms"
[ -s "$prog/Data/GUI.ini" ] && [ "$(wc -l < "$prog/Data/Settings.ini")" -eq 30 ] \
  || fail "with a hanging server: the files were not saved"
hung_server || fail "the hanging server was stopped; the launcher never stops a Wine process"
"$prog/kalmora-launcher" >"$work/app.log" 2>&1 &
app_pid=$!
wait_for 20 find_window || fail "after the end, a new start opened no window of its own"
refocus
exit_launcher
# The servers are the test's own: stopped, so the warm-ups waiting for them end and nothing of
# the test stays behind.
xargs kill < "$work/server.pid" 2>/dev/null || true
unset WINE WINESERVER WINEPREFIX
echo "SIGTERM while Wine's server hangs: ended in $ended_ms ms, both files saved, the next start opened its window"
passed=$((passed + 1))
echo "endings: $passed passed, 0 failed"
