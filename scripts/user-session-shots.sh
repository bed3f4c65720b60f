#!/usr/bin/env bash
# A new user's session with the real window on the simulated calculator, driven by keys and
# clicks (xdotool) on a virtual display under openbox, with a private HOME so that it starts
# from no settings: first start, F5 and Delete on the chosen row, New Folder and Rename, the
# command window and F5 in it, the log and its Save As, the options, About, help closed by
# Escape, a quick drag into a file manager (pcmanfm, when installed), Exit and a second start
# with the same settings, the window narrow and wide. One picture per step is
# saved into the folder given; where each window opened is printed beside it.
#   scripts/user-session-shots.sh FOLDER
# Builds vaddex in build/ (or $VADDEX_BUILD) when needed.
set -euo pipefail
if [ $# -ne 1 ]; then
    echo "usage: $0 FOLDER" >&2
    exit 2
fi
cd "$(dirname "$0")/.."
out=$(mkdir -p "$1" && cd "$1" && pwd)
build=${VADDEX_BUILD:-build}
if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
fi
cmake --build "$build" -j "${JOBS:-2}" --target vaddex

home=$(mktemp -d "${TMPDIR:-/tmp}/vaddex-user-XXXXXX")
trap 'rm -rf "$home"' EXIT
cat > "$home/session.sh" <<'SESSION'
set -u
vaddex=$1
out=$2
title="ZQ K7, K8 Calculator Vaddex"
about_title="About Vaddex"
# A loaded machine can hold a key down long enough for the server to repeat it.
xset r off
shot() {
    sleep 0.3 # let the last paint reach the screen
    import -window root "$out/$1.png"
    echo "picture $1.png"
}
# Waits up to SECONDS (default ten) until exactly COUNT windows named NAME are shown.
windows_named() {
    local name=$1 count=$2 seconds=${3:-10}
    for _ in $(seq $((seconds * 10))); do
        [ "$(xdotool search --onlyvisible --name "^$name\$" 2> /dev/null | wc -l)" -eq "$count" ] &&
            return 0
        sleep 0.1
    done
    echo "no $count window(s) named '$name'" >&2
    return 1
}
# Darkest grey (0 black .. 255 white) in a W x H box at X,Y of the main window's inside.
darkest() {
    darkest_in "$main" "$@"
}
darkest_in() {
    import -window "$1" -crop "$4x$5+$2+$3" png:- |
        convert png:- -colorspace gray -format '%[fx:round(minima*255)]' info:
}
# The window is ready for the next key when its menu bar and the list's header are no longer
# greyed (both are while the calculator works, the header also while the list is read).
ready() {
    for _ in $(seq 600); do
        [ "$(darkest 8 4 24 12)" -lt 100 ] && [ "$(darkest 161 60 28 12)" -lt 100 ] && return 0
        sleep 0.1
    done
    echo "the window stayed busy" >&2
    return 1
}
# The main window's title ends with its caption; while connected the connection may stand in
# front of it.
main_window() {
    xdotool search --sync --onlyvisible --name "$title\$" | head -1
}
# Presses keys in the window of that name, made active first: a key sent to a window that is
# not active can miss a dialog's own shortcuts.
press_in() {
    local id
    id=$(xdotool search --onlyvisible --name "^$1\$" | head -1)
    if [ "$(xdotool getactivewindow 2> /dev/null)" != "$id" ]; then
        xdotool windowactivate --sync "$id" 2> /dev/null || true
        sleep 0.3
    fi
    xdotool key --delay 80 "$2"
    sleep 0.5
}
# Closes the window of that name with Escape. A dialog that has just opened may not take the
# key yet (a file dialog still reads its folder): the key is sent again until it is gone.
close_by_escape() {
    for _ in 1 2 3 4 5; do
        xdotool search --onlyvisible --name "^$1\$" > /dev/null 2>&1 || return 0
        press_in "$1" Escape
        windows_named "$1" 0 2 2> /dev/null && return 0
    done
    windows_named "$1" 0
}
# Prints where a window opened and whether that is over the main window (its centre inside
# the main window's frame), as a user would judge it.
where() {
    local name=$1 id
    id=$(xdotool search --onlyvisible --name "^$name\$" | head -1)
    eval "$(xdotool getwindowgeometry --shell "$id")"
    local x=$X y=$Y w=$WIDTH h=$HEIGHT
    eval "$(xdotool getwindowgeometry --shell "$main")"
    local cx=$((x + w / 2)) cy=$((y + h / 2)) over="NOT over the main window"
    if [ "$cx" -ge "$X" ] && [ "$cx" -le $((X + WIDTH)) ] && [ "$cy" -ge "$Y" ] &&
        [ "$cy" -le $((Y + HEIGHT)) ]; then
        over="over the main window"
    fi
    echo "$name: at $x,$y ${w}x$h, $over (main window at $X,$Y ${WIDTH}x$HEIGHT)"
}
# The splash (the About window) comes and goes; the connect runs after it, behind "Looking
# for Calculator", which the simulator can keep up for seconds.
start() {
    "$vaddex" --sim > "$out/vaddex-$1.log" 2>&1 &
    pid=$!
    main=$(main_window)
    windows_named "$about_title" 1 || true
    windows_named "$about_title" 0
    windows_named "Looking for Calculator" 1 || true
    windows_named "Looking for Calculator" 0 60
    ready
    xdotool windowactivate --sync "$main"
}
# Clicks at X,Y inside the main window.
click() {
    xdotool mousemove --window "$main" "$1" "$2" click 1
    sleep 0.3
}
key() {
    xdotool key --window "$main" --delay 80 "$@"
    sleep 0.5
    ready
}

start first
shot 01-first-start

# The list's rows are found by typing their first letters, as a user does in a file manager.
click 400 200
xdotool type --delay 60 GREETING
sleep 0.5
ready
shot 02-greeting-selected
key F5
shot 03-after-refresh
key Delete
shot 04-after-delete

key alt+f w
shot 05-new-folder
key F2
xdotool type --delay 60 NOTES
xdotool key --window "$main" Return
sleep 1.5 # the rename starts a moment after the editor closes
ready
shot 06-renamed

key alt+v c
windows_named "Calculator Commands" 1
cmd=$(xdotool search --onlyvisible --name "^Calculator Commands\$" | head -1)
xdotool windowactivate --sync "$cmd"
xdotool type --delay 60 "2 3 +"
xdotool key Return
# The line runs and the stack is read back into the history pane in its place: "1: 5." at its
# top left, where the warning has no text.
for _ in $(seq 900); do
    [ "$(darkest_in "$cmd" 2 4 40 16)" -lt 100 ] && break
    sleep 0.1
done
sleep 0.5
shot 07-command-window
where "Calculator Commands"
# F5 here refreshes the main window; the keyboard stays in the command box, so what is typed
# next lands there.
xdotool key F5
sleep 0.5
ready
xdotool type --delay 60 "3 *"
shot 07-command-window-after-F5
xdotool key --window "$cmd" Escape
sleep 0.5
xdotool windowactivate --sync "$main"

# The log: one line per operation (the delete, the new folder, the rename), over the main
# window; Ctrl+S asks where to save it. "&Log" shares its access key with "&List", so the menu
# is walked: up from the top is the last item, the command window, then the log.
key alt+v Up Up Return
windows_named "Log" 1
shot 07a-log
where "Log"
press_in "Log" ctrl+s
windows_named "Save Log" 1
shot 07b-log-save-as
where "Save Log"
close_by_escape "Save Log"
close_by_escape "Log"
xdotool windowactivate --sync "$main"

key alt+v o
windows_named "File Options" 1
shot 07c-options
where "File Options"
close_by_escape "File Options"
xdotool windowactivate --sync "$main"

key alt+h a
windows_named "$about_title" 1
shot 08-about
where "$about_title"
about=$(xdotool search --onlyvisible --name "^$about_title\$" | head -1)
# Escape closes it once it holds the keyboard; on a loaded machine that can take a try or two.
for _ in 1 2 3 4 5; do
    # Gone already: a key sent to it now would only raise an X error.
    xdotool search --onlyvisible --name "^$about_title\$" | grep -qx "$about" || break
    xdotool windowactivate --sync "$about" 2> /dev/null || true
    xdotool key --window "$about" Escape 2> /dev/null || true
    windows_named "$about_title" 0 2 2> /dev/null && break
done
windows_named "$about_title" 0

# Help on the list (F1), closed again by Escape.
click 400 200
xdotool key --window "$main" F1
if windows_named "Vaddex Help" 1; then
    shot 08a-help
    close_by_escape "Vaddex Help" && echo "help window closed by Escape"
fi
xdotool windowactivate --sync "$main"

# A quick drag of LIST1's row into a file manager's folder (when pcmanfm is installed):
# pressed, moved in five steps and let go within half a second, as a quick hand does. The
# file that arrives must be what vaddex-cli gets from a simulated calculator of the same memory.
if command -v pcmanfm > /dev/null; then
    folder=$HOME/dropped
    mkdir -p "$folder"
    pcmanfm "$folder" > "$out/pcmanfm.log" 2>&1 &
    manager=$!
    windows_named dropped 1
    files=$(xdotool search --onlyvisible --name "^dropped\$" | head -1)
    xdotool windowmove "$main" 560 40
    xdotool windowmove "$files" 0 40
    xdotool windowsize "$files" 560 600
    sleep 1
    click 400 450 # below the rows: a click on the chosen row would start renaming it
    xdotool type --delay 60 LIST1
    sleep 0.5
    ready
    eval "$(xdotool getwindowgeometry --shell "$main")"
    # The chosen row is the one painted in the selection's blue, in the list's column 200.
    row_y=$(import -window "$main" -crop 1x500+200+0 txt:- |
        awk -F'[(),]' 'NR > 1 && $6 > $4 + 60 { print $3; exit }' | tr -d ' :')
    row_y=$((Y + ${row_y:-150} + 8))
    xdotool mousemove $((X + 200)) $row_y
    sleep 0.5
    begun=$(date +%s%N)
    xdotool mousedown 1
    for step in 1 2 3 4 5; do
        xdotool mousemove $((X + 200 - step * 60)) $((row_y + step * 10))
        sleep 0.07
    done
    xdotool mouseup 1
    echo "drag: let go after $((($(date +%s%N) - begun) / 1000000)) ms"
    for _ in $(seq 100); do
        [ -s "$folder/LIST1.zq" ] && break
        sleep 0.1
    done
    shot 08b-dragged-into-file-manager
    (cd "$HOME" && "$(dirname "$vaddex")/../cli/vaddex-cli" -p sim get LIST1 > /dev/null)
    if cmp -s "$folder/LIST1.zq" "$HOME/LIST1.zq"; then
        echo "drag: LIST1.zq arrived, as vaddex-cli gets it"
    else
        echo "drag: LIST1.zq did not arrive whole" >&2
    fi
    kill "$manager"
    xdotool windowactivate --sync "$main"
fi

xdotool key --window "$main" alt+f x
wait "$pid"
echo "first start ended with $?"

start second
shot 09-second-start

xdotool windowsize --sync "$main" 400 600
sleep 1
shot 10-narrow
xdotool windowsize --sync "$main" 1270 700
sleep 1
shot 11-wide
xdotool windowactivate --sync "$main"
xdotool key --window "$main" alt+f x
wait "$pid"
echo "second start ended with $?"
SESSION
env -u XDG_CONFIG_HOME HOME="$home" xvfb-run -a -s "-screen 0 1280x800x24" \
    bash scripts/with-openbox.sh bash "$home/session.sh" "$(cd "$build" && pwd)/src/app/vaddex" \
    "$out"
cp -r "$home/.config" "$out/settings" 2> /dev/null || true
