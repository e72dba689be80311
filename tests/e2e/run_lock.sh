#!/usr/bin/env bash
# Another user on the machine cannot keep the window from opening: not by making and holding
# the lock file a user without a runtime folder would use, nor by making that user's folder
# below /tmp first. With nothing made by others a second start still hands over. Needs root
# (to be three users); skipped (77) otherwise.
set -euo pipefail
launcher="$1"
[ "$(id -u)" -eq 0 ] || { echo "lock: skipped, needs root"; exit 77; }
command -v setpriv >/dev/null || { echo "lock: skipped, no setpriv"; exit 77; }
. "$(dirname "$0")/lib.sh"

user=64101; other=64102  # ids no account on a test machine has
as() { local id=$1; shift; setpriv --reuid="$id" --regid="$id" --clear-groups "$@"; }
lockdir="/tmp/kalmora-launcher-$user"
cleanup_tmp() { rm -rf "$lockdir" "/tmp/kalmora-launcher-$user-"*; [ "$(stat -c %u /tmp/runtime- 2>/dev/null)" = "$user" ] && rm -rf /tmp/runtime-; true; }
trap 'cleanup_tmp; [ -n "${holder:-}" ] && kill "$holder" 2>/dev/null; cleanup' EXIT
cleanup_tmp

chmod 755 "$work"
prog="$work/prog"; emu="$work/emu"; roms="$work/roms"; home="$work/home"
mkdir -p "$prog/Data" "$emu" "$roms" "$home"
cp "$launcher" "$prog/kalmora-launcher"
: > "$roms/Alpha.vb"
stand_in_emulator "$emu"
settings_lines "$emu" "$roms" True False > "$prog/Data/Settings.ini"
chown -R "$user:$user" "$prog/Data" "$emu" "$home"

# The lock's name as the launcher used to make it: user id and FNV-1a of the program folder.
hash=1469598103934665603
for ((i = 0; i < ${#prog}; i++)); do
  printf -v byte '%d' "'${prog:i:1}"
  hash=$(( (hash ^ byte) * 1099511628211 ))
done
printf -v oldlock '/tmp/kalmora-launcher-%d-%016x.lock' "$user" "$hash"

run_as_user() {
  as "$user" env -u XDG_RUNTIME_DIR -u DISPLAY HOME="$home" QT_QPA_PLATFORM=offscreen "$prog/kalmora-launcher" "$@"
}
# The window opened: it is still running after a while instead of ending as a second start.
window_opens() {
  setpriv --reuid="$user" --regid="$user" --clear-groups env -u XDG_RUNTIME_DIR -u DISPLAY HOME="$home" \
    QT_QPA_PLATFORM=offscreen "$prog/kalmora-launcher" >"$work/app.log" 2>&1 &
  app_pid=$!
  sleep 2
  kill -0 "$app_pid" 2>/dev/null || fail "$1: no window (status $(wait "$app_pid"; echo $?))"
}
stop_window() { kill "$app_pid"; wait "$app_pid" 2>/dev/null || true; app_pid=""; }

# 1. The other user made the old lock file, open to all, and holds a lock on it.
as "$other" sh -c "umask 0; : > '$oldlock'"
setpriv --reuid="$other" --regid="$other" --clear-groups sh -c "exec 8<>'$oldlock'; flock -x 8; exec sleep 60" &
holder=$!
wait_for 10 as "$other" sh -c "! flock -n '$oldlock' true" || fail "the other user's lock was not taken"
window_opens "a lock file of another user's"
stop_window
kill "$holder"; wait "$holder" 2>/dev/null || true; holder=""
cleanup_tmp

# 2. The other user made the user's folder below /tmp first: the window opens all the same
# and says in one line that it runs alone.
as "$other" mkdir -m 777 "$lockdir"
window_opens "a folder of another user's"
grep -q "single-instance" "$work/app.log" || fail "no word that the window runs without single-instance"
stop_window
cleanup_tmp

# 3. Nothing made by others: a second start opens no window, and a file is handed over.
window_opens "nothing made by others"
[ "$(stat -c '%u %a' "$lockdir" 2>/dev/null)" = "$user 700" ] || fail "the private folder is not the user's alone"
timeout 10 bash -c "$(declare -f as run_as_user); user=$user home='$home' prog='$prog'; run_as_user" \
  || fail "a second start did not end at once"
kill -0 "$app_pid" || fail "the window ended"
( cd "$roms" && timeout 10 bash -c "$(declare -f as run_as_user); user=$user home='$home' prog='$prog'; run_as_user Alpha.vb" ) \
  || fail "the hand-over failed"
expect_args "handed over" "$roms/Alpha.vb" -display frame -dspmode normal -pallet normal -brite 1.0 -sclscr 1 -frmskp 0
stop_window
loose=$(find /tmp -maxdepth 1 -name "kalmora-launcher-$user-*" | head -n1)
[ -z "$loose" ] || fail "left loose in /tmp: $loose"
echo "lock: 1 passed, 0 failed"
