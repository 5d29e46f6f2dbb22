#!/usr/bin/env bash
# The real hearthview on a desktop with a tray: Xvfb on a display of its own, Debian's
# trayer as the tray host, housesim as the server. Checks that the icon appears in the
# tray, flashes when housesim sends log items and settles on its quiet picture, that its
# menu hides the main window and a double click brings it back, that a restarted tray gets
# the icon again, and that the menu's Exit ends the program. Screenshots are kept in
# $HV_BIN_DIR/../tray-session. Exit 77 (skipped) when the desktop tools are missing.
set -uo pipefail
bin=${HV_BIN_DIR:?HV_BIN_DIR names the folder of the programs}
shots="$bin/../tray-session"
for tool in Xvfb trayer xdotool xwininfo import compare; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIP: $tool is not installed (scripts/install-deps installs it)"
    exit 77
  fi
done

. "$(dirname "${BASH_SOURCE[0]}")/session_lib.sh"
begin_session hv-tray
show_on_failure() {
  echo "--- windows"
  xwininfo -root -tree 2>/dev/null | grep -v '^$' | head -40
}
use_own_user_folders
mkdir -p "$shots"
unset DBUS_SESSION_BUS_ADDRESS

start_xvfb 800x600x24 || fail "Xvfb did not start"

# The tray is restarted on the way; each one is taken down at the end with the rest.
start_trayer() {
  trayer --edge top --align right --widthtype request --height 32 --SetDockType true \
    --transparent false --tint 0x404040 >>"$work/trayer.log" 2>&1 &
  trayer_pid=$!
  pids+=($trayer_pid)
}
start_trayer

# housesim reads console commands ("log TEXT") from a pipe the test keeps open.
start_housesim --console --quiet || fail "housesim did not start"

auto_login_registry "$port" "demo" $'number\tTray Icon Type\t2' || fail "the registry could not be set up"

panel_up() { xwininfo -root -tree 2>/dev/null | grep -q '("panel" "trayer")'; }
wait_for 100 panel_up || fail "trayer did not start"

QT_QPA_PLATFORM=xcb "$bin/hearthview" >"$work/hearthview.log" 2>&1 &
client=$!
pids+=($client)

# The icon: hearthview's window inside trayer's panel. Prints its id.
icon_window() {
  xwininfo -root -tree 2>/dev/null |
    awk '/\("panel" "trayer"\)/ {inpanel=1; next}
         inpanel && /^     0x/ {inpanel=0}
         inpanel && /\("hearthview" "hearthview"\)/ {print $1; exit}'
}
main_window() {
  xwininfo -root -tree 2>/dev/null | awk '/"Varnholt \(TM\) Client/ {print $1; exit}'
}
has_icon() { [[ -n "$(icon_window)" ]]; }
# hearthview's top-level windows that are shown now. A tray that dies hands its icons back to
# the desktop as top-level windows, so the menu is told by being new.
shown_toplevels() {
  local id
  for id in $(xwininfo -root -tree 2>/dev/null |
              awk '/^     0x/ && /"hearthview": \("hearthview" "hearthview"\)/ {print $1}'); do
    [[ -n "$id" ]] && xwininfo -id "$id" 2>/dev/null | grep -q 'IsViewable' && echo "$id"
  done
}
# Right-clicks the icon and waits for its menu: a shown top-level window that was not there.
open_menu() {
  local before
  before=$(shown_toplevels)
  new_toplevel() { [[ -n "$(comm -13 <(sort <<<"$before") <(shown_toplevels | sort))" ]]; }
  # An icon that the tray has just docked again may miss the first click: try a few times.
  local tries
  for tries in 1 2 3; do
    xdotool mousemove "$cx" "$cy" click 3
    wait_for 30 new_toplevel && break
  done
  new_toplevel || fail "a right click on the icon opened no menu"
  sleep 0.3
}
# xwininfo without a window id would wait for the user to pick one with the mouse.
map_state_is() {
  local id
  id=$(main_window)
  [[ -n "$id" ]] && xwininfo -id "$id" 2>/dev/null | grep -q "$1"
}
main_viewable() { map_state_is IsViewable; }
main_hidden() { map_state_is IsUnMapped; }

wait_for 150 has_icon || fail "no icon appeared in the tray"
wait_for 150 main_viewable || fail "the main window did not appear"
icon=$(icon_window)
geometry() {
  [[ -n "$1" ]] || fail "no icon window to measure"
  xwininfo -id "$1" | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF}
                           /Width:/ {w=$NF} /Height:/ {h=$NF} END {print w "x" h "+" x "+" y " " x+w/2 " " y+h/2}'
}
read -r crop cx cy < <(geometry "$icon")
[[ -n "$crop" ]] || fail "the icon could not be measured"
echo "icon $icon at $crop"
import -window root "$shots/connected.png"
sleep 1
import -window root -crop "$crop" "$work/quiet.png"

# Log items from the server make the icon flash, and it ends on the quiet picture.
differs() { [[ "$(compare -metric AE "$work/quiet.png" "$1" null: 2>&1 | cut -d' ' -f1)" != "0" ]]; }
for n in 1 2 3; do echo "log Porch motion $n" >&7; done
flashed=""
for i in $(seq 30); do
  import -window root -crop "$crop" "$work/now.png"
  if differs "$work/now.png"; then
    flashed=yes
    cp "$work/now.png" "$shots/icon-noticed.png"
    import -window root "$shots/flashing.png"
    break
  fi
  sleep 0.2
done
[[ -n "$flashed" ]] || fail "the icon did not flash when log items arrived"
settled() {
  import -window root -crop "$crop" "$work/now.png" && ! differs "$work/now.png"
}
sleep 5
wait_for 50 settled || fail "the icon did not end on its quiet picture"
cp "$work/quiet.png" "$shots/icon-quiet.png"

# The menu: a right click opens it; its second entry hides the main window.
open_menu
import -window root "$shots/menu.png"
xdotool key Down Down Return
wait_for 50 main_hidden || fail "the menu's Hide Main Control Window did not hide the window"
# A double click opens it again.
xdotool mousemove "$cx" "$cy" click --repeat 2 --delay 80 1
wait_for 50 main_viewable || fail "a double click on the icon did not open the main window"

# The tray restarts: the icon comes back in the new one.
kill "$trayer_pid"
wait "$trayer_pid" 2>/dev/null
sleep 0.5
start_trayer
wait_for 100 panel_up || fail "trayer did not start again"
wait_for 100 has_icon || fail "the icon did not come back after the tray restarted"
# The toolkit may dock its old icon before the program adds its own again; let that settle.
sleep 1.5
has_icon || fail "the icon did not stay in the restarted tray"
import -window root "$shots/after-tray-restart.png"
read -r crop cx cy < <(geometry "$(icon_window)")
[[ -n "$crop" ]] || fail "the icon could not be measured"

# The menu's Exit ends the program.
open_menu
xdotool key Up Up Return  # Exit stands above History...
for _ in $(seq 50); do kill -0 "$client" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$client" 2>/dev/null; then fail "the menu's Exit did not end the program"; fi
wait "$client"
status=$?
[[ $status -eq 0 ]] || fail "hearthview ended with status $status"
echo "1 passed, 0 failed"
