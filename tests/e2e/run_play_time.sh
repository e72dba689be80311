#!/usr/bin/env bash
# Play time with real processes: a stand-in emulator that plays for a given time, started by
# --run (twice at once), by a FILE with no window, by --run again once the ROM was moved and
# renamed, by the window's launch (the window closed by Alt+X while the game runs) and by a
# hand-over; a session of one second and starts that fail add nothing. Each figure is read back
# from the play-times file under the image's SHA-1. With KL_SCREENSHOTS set to a folder, the
# Properties window with its Play section is saved there.
set -euo pipefail
launcher="$1"
stand_in="$2"
. "$(dirname "$0")/lib.sh"

portable_copy "$launcher"
cp "$stand_in" "$emu/kalmora_boy.exe"
settings_lines "$emu" "$roms" True False > "$prog/Data/Settings.ini"
times="$prog/Data/play-times"
for name in Alpha Beta Delta Gamma; do head -c 16384 /dev/urandom > "$roms/$name.vb"; done
key() { sha1sum < "$1" | cut -c1-40; }
alpha="$(key "$roms/Alpha.vb")"; beta="$(key "$roms/Beta.vb")"; gamma="$(key "$roms/Gamma.vb")"
delta="$(key "$roms/Delta.vb")"
# The record of a key as "<sessions> <seconds> <last path>"; empty when there is none.
record() { [ -f "$times" ] && tr '\0' '\n' < "$times" | grep "^$1 " | cut -d' ' -f2,3,5- || true; }
has_record() { [ -n "$(record "$1")" ]; }
# The record holds this many sessions and this path, with seconds in [least, least + 2].
expect_record() {
  local r; r="$(record "$1")"
  read -r sessions seconds path <<<"$r"
  [ "$sessions" = "$2" ] && [ "$seconds" -ge "$3" ] && [ "$seconds" -le $(($3 + 2)) ] && [ "$path" = "$4" ] \
    || fail "$5: record '$r', expected $2 sessions, $3 s, $4"
  echo "$5: $sessions sessions, $seconds s, last from $path"
}
only_standard_fds() { [ "$(cat "$emu/fds.txt")" = "$(printf '0\n1\n2')" ] || fail "descriptors reached the emulator ($1): $(tr '\n' ' ' < "$emu/fds.txt")"; }
watcher_running() {
  local f
  for f in /proc/[0-9]*/cmdline; do
    [ "$(tr '\0' '\n' < "$f" 2>/dev/null | head -n1)" = "$prog/kalmora-watch" ] && return 0
  done
  return 1
}
watchers_gone() { ! watcher_running; }

# Two --run of one game at once, a FILE with no window, and a game that ends after a second.
export KL_STAND_IN_SECONDS=6
"$prog/kalmora-launcher" --run "$roms/Alpha.vb" & run1=$!
"$prog/kalmora-launcher" --run "$roms/Alpha.vb" & run2=$!
"$prog/kalmora-launcher" "$roms/Delta.vb" >"$work/file.log" 2>&1 || fail "the start without a window failed"
KL_STAND_IN_SECONDS=1 "$prog/kalmora-launcher" --run "$roms/Beta.vb" || fail "--run of one second failed"
wait "$run1" && wait "$run2" || fail "--run failed"
expect_record "$alpha" 2 12 "$roms/Alpha.vb" "--run twice at once"
wait_for 10 has_record "$delta" || fail "no session of the start without a window"
expect_record "$delta" 1 6 "$roms/Delta.vb" "a FILE with no window"
! has_record "$beta" || fail "a session of one second was recorded: $(record "$beta")"

# Moved to another folder and renamed, it is still the same game.
mkdir "$work/other disk"
mv "$roms/Alpha.vb" "$work/other disk/Alpha (moved).vb"
"$prog/kalmora-launcher" --run "$work/other disk/Alpha (moved).vb" || fail "--run after the move failed"
expect_record "$alpha" 3 18 "$work/other disk/Alpha (moved).vb" "moved and renamed"
[ "$(tr '\0' '\n' < "$times" | grep -c "^$alpha ")" = 1 ] || fail "the moved game has two records"

# A start that fails is no session, with --run and from the window.
chmod -x "$emu/kalmora_boy.exe"
status=0; "$prog/kalmora-launcher" --run "$roms/Beta.vb" 2>"$work/failed.log" || status=$?
[ "$status" = 127 ] || fail "a failed --run ended with $status"

start_xvfb
export KL_STAND_IN_SECONDS=8
"$prog/kalmora-launcher" >"$work/app.log" 2>&1 &
app_pid=$!
wait_for 20 find_window || fail "no window"
refocus
# The list holds Beta.vb, Delta.vb and Gamma.vb; Down selects Beta.vb.
keys Down alt+l
wait_for 10 has_dialog Error || fail "no error box for an emulator that cannot start"
xdotool windowfocus --sync "$(dialog Error)" 2>/dev/null || true
sleep 0.3; keys Return
chmod +x "$emu/kalmora_boy.exe"
wait_for 10 watchers_gone || fail "a watcher of the failed start is still there"
! has_record "$beta" || fail "a failed start was recorded: $(record "$beta")"

# The window's launch, then Alt+X while the game runs: the session ends with the game.
refocus
keys alt+l
wait_for 10 test -f "$emu/args.txt" || fail "the window's launch started nothing"
only_standard_fds "the window's launch"
rm "$emu/args.txt"
exit_launcher
watcher_running || fail "no watcher once the window closed"
! has_record "$beta" || fail "the session was recorded before the game ended"
wait_for 15 has_record "$beta" || fail "the session of the window's launch was not recorded"
expect_record "$beta" 1 8 "$roms/Beta.vb" "the window's launch, window closed first"

# A hand-over to the running window.
export KL_STAND_IN_SECONDS=6
"$prog/kalmora-launcher" >"$work/app.log" 2>&1 &
app_pid=$!
wait_for 20 find_window || fail "no window the second time"
timeout 10 "$prog/kalmora-launcher" "$roms/Gamma.vb" >"$work/second.log" 2>&1 || fail "the hand-over failed"
wait_for 10 test -f "$emu/args.txt" || fail "the handed file was not started"
only_standard_fds "the hand-over"
wait_for 15 has_record "$gamma" || fail "the session of the hand-over was not recorded"
expect_record "$gamma" 1 6 "$roms/Gamma.vb" "a hand-over"

# Properties of Gamma.vb, the third in the list, with its Play section.
refocus
keys Down Down Down alt+f p
properties_shown Gamma.vb properties-play.png
exit_launcher
[ "$(tr '\0' '\n' < "$times" | grep -c '^[0-9a-f]\{40\} ')" = 4 ] || fail "other records: $(tr '\0' '\n' < "$times")"
echo "play time with real processes: 7 passed, 0 failed"
