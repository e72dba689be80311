#!/usr/bin/env bash
# Games' pictures in the real window under Xvfb, driven by keyboard, downloaded from a server on
# the loopback address laid out as the thumbnail set's: a picture fetched lands in the cache and
# is shown in the pane; a missing one (404) is asked once a session; a body that is not a PNG is
# not kept; and a server that never answers leaves the window answering keys. With
# KL_SCREENSHOTS set to a folder, the window with a picture is saved there. Skipped (77)
# without Python.
set -euo pipefail
launcher="$1"
command -v python3 >/dev/null && command -v convert >/dev/null \
  || { echo "SKIP: python3 or imagemagick is not installed"; exit 77; }
. "$(dirname "$0")/lib.sh"
server_pids=()
stop_servers() { for p in "${server_pids[@]}"; do kill "$p" 2>/dev/null || true; done; }
trap 'stop_servers; cleanup' EXIT

portable_copy "$launcher"
stand_in_emulator "$emu"
for game in "Golf (USA)" "T&E Virtual Golf (Japan)" "Teleroboxer (Japan, USA)" "Wario Land (Japan, USA)"; do
  : > "$roms/$game.vb"
done
settings_lines "$emu" "$roms" True False > "$prog/Data/Settings.ini"
site="$work/site/Nintendo - Virtual Boy/Named_Boxarts"
mkdir -p "$site"
convert -size 300x400 xc:'#00ff00' "$site/T_E Virtual Golf (Japan).png"
printf '<html>not a picture</html>\n' > "$site/Teleroboxer (Japan, USA).png"

# The set's server: files as they lie, every request's path in a log. A second one accepts and
# never answers.
cat > "$work/server.py" <<'PY'
import functools, http.server, socket, sys, threading, time
log, root, portfile, mode = sys.argv[1:5]
if mode == "hole":
    s = socket.socket()
    s.bind(("127.0.0.1", 0)); s.listen(8)
    open(portfile, "w").write(str(s.getsockname()[1]))
    held = []
    end = time.time() + 240
    s.settimeout(1)
    while time.time() < end:
        try:
            held.append(s.accept()[0])
        except socket.timeout:
            pass
    sys.exit(0)
class Handler(http.server.SimpleHTTPRequestHandler):
    def log_request(self, code="-", size="-"):
        with open(log, "a") as f:
            f.write("%s %s\n" % (self.path, int(code)))
    def log_message(self, format, *args):
        pass
server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), functools.partial(Handler, directory=root))
open(portfile, "w").write(str(server.server_address[1]))
threading.Timer(240, server.shutdown).start()
server.serve_forever()
PY
python3 "$work/server.py" "$work/requests.log" "$work/site" "$work/port" serve &
server_pids+=($!)
python3 "$work/server.py" - - "$work/hole-port" hole &
server_pids+=($!)
wait_for 10 test -s "$work/port" || fail "the server did not start"
wait_for 10 test -s "$work/hole-port" || fail "the silent server did not start"
: > "$work/requests.log"

export HOME="$work/home" XDG_CACHE_HOME="$work/cache"
mkdir -p "$HOME"
cache="$XDG_CACHE_HOME/kalmora-launcher/thumbnails/Nintendo - Virtual Boy/Named_Boxarts"
pictures() { printf '[Pictures]\nShow=true\nKind=Named_Boxarts\nFolder=\nDownload=true\nBase=%s\n' "$1" > "$prog/Data/Pictures.ini"; }
pictures "http://127.0.0.1:$(cat "$work/port")"
start_xvfb
"$prog/kalmora-launcher" >"$work/app.log" 2>&1 &
app_pid=$!
wait_for 20 find_window || fail "no window"
# The pane's middle, as a colour: the window's own pixels, the pane beside the tabs.
pane_colour() {
  import -window "$window" "$work/shot.png" 2>/dev/null
  local width height
  read -r width height < <(identify -format '%w %h\n' "$work/shot.png")
  convert "$work/shot.png" -format "%[hex:p{$((width - 125)),$((height / 2))}]" info: 2>/dev/null
}
asked() { grep -c "^/Nintendo%20-%20Virtual%20Boy/Named_Boxarts/$1.png " "$work/requests.log" || true; }
refocus
keys Down
wait_for 10 bash -c "grep -q '^/Nintendo%20-%20Virtual%20Boy/Named_Boxarts/Golf.png 404' '$work/requests.log'" \
  || fail "the missing picture was not asked for under both names: $(cat "$work/requests.log")"
[ "$(asked 'Golf%20%28USA%29')" -eq 1 ] || fail "Golf (USA).png asked $(asked 'Golf%20%28USA%29') times: $(cat "$work/requests.log")"
keys Down
wait_for 10 test -f "$cache/T_E Virtual Golf (Japan).png" || fail "the fetched picture is not in the cache"
cmp -s "$cache/T_E Virtual Golf (Japan).png" "$site/T_E Virtual Golf (Japan).png" || fail "the cached picture differs"
wait_for 10 bash -c "$(declare -f pane_colour); window=$window work='$work'; [ \"\$(pane_colour)\" = 00FF00 ]" \
  || fail "the fetched picture is not shown: $(pane_colour)"
[ -n "${KL_SCREENSHOTS:-}" ] && import -window "$window" "$KL_SCREENSHOTS/pictures-window.png"
echo "fetched and shown: T_E Virtual Golf (Japan).png, pane colour $(pane_colour)"
keys Down
wait_for 10 bash -c "grep -q '^/Nintendo%20-%20Virtual%20Boy/Named_Boxarts/Teleroboxer%20%28Japan%2C%20USA%29.png 200' '$work/requests.log'" \
  || fail "Teleroboxer was not asked for"
sleep 1
[ ! -e "$cache/Teleroboxer (Japan, USA).png" ] || fail "a body that is not a PNG was kept"
keys Up Up
sleep 1
[ "$(asked 'Golf%20%28USA%29')" -eq 1 ] && [ "$(asked Golf)" -eq 1 ] || fail "a missing picture was asked again: $(cat "$work/requests.log")"
keys Down
sleep 0.5
[ "$(asked 'T_E%20Virtual%20Golf%20%28Japan%29')" -eq 1 ] || fail "a cached picture was fetched again"
echo "requests: $(wc -l < "$work/requests.log"), each once: $(cut -d' ' -f1,2 "$work/requests.log" | sed 's|.*/||' | tr '\n' ';')"
refocus
exit_launcher

# A server that takes the request and never answers: the window still answers every key.
pictures "http://127.0.0.1:$(cat "$work/hole-port")"
"$prog/kalmora-launcher" >"$work/app.log" 2>&1 &
app_pid=$!
wait_for 20 find_window || fail "no window"
refocus
started=$SECONDS
keys Down Down Down alt+f p
properties_shown 'Teleroboxer \(Japan, USA\)\.vb'  # xdotool reads the title as a pattern
[ $((SECONDS - started)) -lt 5 ] || fail "the window waited for the silent server"
refocus
exit_launcher
echo "a silent server: Properties opened by keyboard at once while the download waited"
echo "PASS: pictures fetched, cached, shown; a 404 asked once; a non-PNG not kept; a silent server never waited for"
