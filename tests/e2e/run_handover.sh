#!/usr/bin/env bash
# A ROM file opened from outside, as a file manager does: with the window running it is
# handed over and launched with the options the window shows (changed by keyboard, not
# saved); after the window was killed, the next file starts with the saved options and no
# window, and a missing file gets an error box; the next plain start opens the window again.
# A window that is stopped, or that is exiting, does not take a file: the second process
# starts it, once. Every start gets the standard descriptors only.
set -euo pipefail
launcher="$1"
stand_in="$2"
. "$(dirname "$0")/lib.sh"

prog="$work/prog"; emu="$work/emu dir"; roms="$work/roms"; other="$work/other \$(id) 'q'"
mkdir -p "$prog/Data" "$emu" "$roms" "$other"
cp "$launcher" "$prog/kalmora-launcher"
: > "$roms/Alpha.vb"
: > "$other/Wario Land.vb"
cp "$stand_in" "$emu/kalmora_boy.exe"
only_standard_fds() { [ "$(cat "$emu/fds.txt")" = "$(printf '0\n1\n2')" ] || fail "descriptors reached the emulator ($1): $(tr '\n' ' ' < "$emu/fds.txt")"; }
settings_lines "$emu" "$roms" True False > "$prog/Data/Settings.ini"
cp "$prog/Data/Settings.ini" "$work/settings.saved"
switches=(-display frame -dspmode normal -pallet normal -brite 1.0 -sclscr 1 -frmskp 0)

start_xvfb
"$prog/kalmora-launcher" >"$work/app.log" 2>&1 &
app_pid=$!
wait_for 20 find_window || fail "no window"
refocus

# Down selects Alpha.vb; Tab goes to the display mode "Window", Right moves it to "320x200".
keys Down Tab Right
keys_handled Alpha.vb
( cd "$other" && timeout 10 "$prog/kalmora-launcher" "Wario Land.vb" ) >"$work/second.log" 2>&1 \
  || fail "the hand-over did not end at once with status 0"
expect_args "handed over" "$other/Wario Land.vb" -display 320 "${switches[@]:2}"
only_standard_fds "handed over"
[ "$(xdotool search --name '^Kalmora Launcher - GUI for Kalmora Boy$' | wc -l)" -eq 1 ] || fail "a second window"
kill -0 "$app_pid" || fail "the window ended"

# The list, its folder and its selection are as they were: Alt+L launches Alpha.vb.
refocus
keys alt+l
expect_args "launch from the list" "$roms/Alpha.vb" -display 320 "${switches[@]:2}"
only_standard_fds "launch from the list"

# The window dies without saving; its socket and lock stay behind.
kill -KILL "$app_pid"; wait "$app_pid" 2>/dev/null || true; app_pid=""
timeout 10 "$prog/kalmora-launcher" "$other/Wario Land.vb" >"$work/third.log" 2>&1 || fail "the start without a window failed"
expect_args "without a window" "$other/Wario Land.vb" "${switches[@]}"
sleep 0.5
[ -z "$(xdotool search --name '^Kalmora Launcher - GUI for Kalmora Boy$' 2>/dev/null)" ] || fail "a window opened"
cmp -s "$prog/Data/Settings.ini" "$work/settings.saved" || fail "Settings.ini changed"

# Without a window, a file that is not there is named in an error box, and nothing starts.
"$prog/kalmora-launcher" "$other/Missing.vb" >"$work/missing.log" 2>&1 &
missing_pid=$!
wait_for 20 has_dialog Error || fail "no error box for a missing file"
box="$(dialog Error)"
xdotool windowfocus --sync "$box" 2>/dev/null || true
sleep 0.3; keys Return
wait_for 10 bash -c "! kill -0 $missing_pid 2>/dev/null" || fail "the error box did not end the start"
! wait "$missing_pid" || fail "a failed start reported success"
[ ! -f "$emu/args.txt" ] || fail "the emulator was started for a missing file"

# The killed window's socket is still there: the new one listens once its own is in its place,
# shortly after its window shows.
find "$XDG_RUNTIME_DIR" -name '*.sock' -delete
# From here each start of the game adds a line to ended.txt, so a second one cannot hide behind
# the first one's args.txt.
export KL_STAND_IN_SECONDS=0
rm -f "$emu/ended.txt"
starts() { [ -f "$emu/ended.txt" ] && wc -l < "$emu/ended.txt" || echo 0; }
"$prog/kalmora-launcher" >"$work/app.log" 2>&1 &
app_pid=$!
wait_for 20 find_window || fail "the next plain start opened no window"
listening() { [ -n "$(find "$XDG_RUNTIME_DIR" -type s -name '*.sock')" ]; }
wait_for 10 listening || fail "the next plain start does not listen"

# A stopped window does not answer: the second process gives up on it within a few seconds
# and starts the game itself; the window, resumed, does not start it again.
kill -STOP "$app_pid"
begun=$SECONDS
timeout 10 "$prog/kalmora-launcher" "$other/Wario Land.vb" >"$work/stopped.log" 2>&1 || fail "the start past a stopped window failed"
[ $((SECONDS - begun)) -le 6 ] || fail "the start past a stopped window took $((SECONDS - begun)) s"
expect_args "past a stopped window" "$other/Wario Land.vb" "${switches[@]}"
kill -CONT "$app_pid"
sleep 1.5
[ ! -f "$emu/args.txt" ] && [ "$(starts)" -eq 1 ] || fail "the resumed window started the game a second time"

# The window exits and shows that GUI.ini could not be saved: a file handed over meanwhile is
# started once, by the second process.
rm -f "$prog/Data/GUI.ini"; mkdir "$prog/Data/GUI.ini"
refocus
keys alt+x
wait_for 20 has_dialog Error || fail "no box for the failed save"
timeout 10 "$prog/kalmora-launcher" "$other/Wario Land.vb" >"$work/exiting.log" 2>&1 || fail "the start during the exit failed"
expect_args "during the exit" "$other/Wario Land.vb" "${switches[@]}"
box="$(dialog Error)"
xdotool windowfocus --sync "$box" 2>/dev/null || true
sleep 0.3; keys Return
wait_for 10 bash -c "! kill -0 $app_pid 2>/dev/null" || fail "the window did not end after the box"
app_pid=""
sleep 0.5
[ ! -f "$emu/args.txt" ] && [ "$(starts)" -eq 2 ] || fail "the exiting window started the game as well ($(starts) starts)"
rmdir "$prog/Data/GUI.ini"
echo "handover: 1 passed, 0 failed"
