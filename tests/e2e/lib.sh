# Shared by the end-to-end scripts: a display of their own, waiting, keys, and focus.
work="$(mktemp -d)"
xvfb_pid=""
app_pid=""
cleanup() {
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null || true
  # Waited for, so no server of this script is still shutting down when the next one starts.
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*" >&2
  if [ -s "$work/app.log" ]; then sed 's/^/launcher: /' "$work/app.log" >&2; fi
  if [ -s "$work/xvfb.log" ]; then sed 's/^/xvfb: /' "$work/xvfb.log" >&2; fi
  exit 1
}

# Polls until the command succeeds, for at most $1 seconds.
wait_for() {
  local limit=$1; shift
  local end=$((SECONDS + limit))
  until "$@"; do
    [ $SECONDS -lt $end ] || return 1
    sleep 0.1
  done
}

# A display of our own, whatever else runs on the machine.
start_xvfb() {
  exec 3<> "$work/displayfd"
  # -noreset: the server would otherwise reset whenever its last client leaves (xwininfo,
  # xdotool), and a launcher connecting during that reset is refused.
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset >"$work/xvfb.log" 2>&1 &
  xvfb_pid=$!
  wait_for 10 test -s "$work/displayfd" || fail "Xvfb did not start"
  export DISPLAY=":$(head -n1 "$work/displayfd")"
  export XDG_RUNTIME_DIR="$work/run"
  mkdir -m 700 "$XDG_RUNTIME_DIR"
  unset QT_QPA_PLATFORM
  root_window="$(xwininfo -root | awk '/Window id:/ {print $4}')"
}

window=""
find_window() {
  window=$(xdotool search --name '^Kalmora Launcher - GUI for Kalmora Boy$' 2>/dev/null | head -n1)
  [ -n "$window" ]
}
keys() { for k in "$@"; do xdotool key --clearmodifiers "$k"; sleep 0.15; done; }
dialog() { xdotool search --name "^$1\$" 2>/dev/null | head -n1; }
# For wait_for, which runs its command again each time: "$(dialog …)" as an argument would be
# looked up once, before the wait.
has_dialog() { [ -n "$(dialog "$1")" ]; }

# Without a window manager nobody activates the window, nor gives it back its activation when
# a dialog closes; shortcuts only work in the active window. Moving the focus away first makes
# sure the window gets a focus-in event, which is what activates it.
refocus() {
  sleep 0.3
  xdotool windowfocus "$root_window" 2>/dev/null || true
  xdotool windowfocus --sync "$window" 2>/dev/null || true
  sleep 0.2
}

# The Properties window of file $1, opened by the keys before: waited for, saved as $2 in
# KL_SCREENSHOTS when that names a folder, closed, and the focus back on the main window.
properties_shown() {
  wait_for 10 has_dialog "Properties of \"$1\"" || fail "Properties did not open"
  if [ -n "${2:-}" ] && [ -n "${KL_SCREENSHOTS:-}" ] && command -v import >/dev/null; then
    sleep 0.5
    import -window "$(dialog "Properties of \"$1\"")" "$KL_SCREENSHOTS/$2"
  fi
  xdotool windowclose "$(dialog "Properties of \"$1\"")" 2>/dev/null || true
  refocus
}

# The keys sent before have been handled, file $1 being the one selected: the window takes keys
# in order, so once the Properties window that the next ones open shows, so has every key before
# it. A hand-over through the socket or a signal could otherwise overtake them.
keys_handled() {
  keys alt+f p
  properties_shown "$1"
}

# Alt+X, then the program must end by itself and cleanly.
exit_launcher() {
  keys alt+x
  wait_for 10 bash -c "! kill -0 $app_pid 2>/dev/null" || fail "Alt+X did not end the program"
  wait "$app_pid" || fail "the launcher exited with an error"
  app_pid=""
}

# A portable copy of the launcher $1 and its session watcher in $prog (with an empty Data folder), and the folders
# $emu and $roms beside it.
portable_copy() {
  prog="$work/prog"; emu="$work/emu"; roms="$work/roms"
  mkdir -p "$prog/Data" "$emu" "$roms"
  cp "$1" "$prog/kalmora-launcher"
  cp "$(dirname "$1")/kalmora-watch" "$prog/"
}

# A stand-in emulator in folder $1 that records its arguments, one a line, in args.txt there
# (written whole, so a waiting test never reads half of it).
stand_in_emulator() {
  cat > "$1/kalmora_boy.exe" <<'SCRIPT'
#!/bin/sh
here="$(dirname "$0")"
printf '%s\n' "$@" > "$here/args.tmp"
mv "$here/args.tmp" "$here/args.txt"
SCRIPT
  chmod +x "$1/kalmora_boy.exe"
}

# Waits for the stand-in's arguments and compares them with the rest of the arguments; $1 says
# which start it was.
expect_args() {
  wait_for 10 test -f "$emu/args.txt" || fail "the emulator was not started ($1)"
  [ "$(cat "$emu/args.txt")" = "$(printf '%s\n' "${@:2}")" ] || { cat "$emu/args.txt" >&2; fail "wrong arguments ($1)"; }
  rm "$emu/args.txt"
}

# The 30 lines of Settings.ini with the default options, given the two paths and the
# keyboard-layout pair.
settings_lines() {
  printf '%s\r\n' "$1" "$2" True False False False False " 0 " False True False False False False \
    Normal 1.0 " 0 " 1x "0 f./sec." " 0 " "$3" "$4" " 0 " "None connected to PC" " 0 " " 0 " " 0 " " 0 " " 0 " " 0 "
}
