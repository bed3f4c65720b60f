#!/bin/sh
# Pictures of the operator prompt, the progress window mid-transfer and the log, taken on a
# virtual screen against the simulated calculator. Usage: scripts/status-window-shots.sh [FOLDER]
# (default build/screenshots); expects a configured build tree in build/ (or $VADDEX_BUILD).
set -eu
cd "$(dirname "$0")/.."
folder=${1:-build/screenshots}
build=${VADDEX_BUILD:-build}
cmake --build "$build" -j2 --target status_window_shots
xvfb-run -a -s "-screen 0 1280x800x24" "$build"/tools/screenshots/status_window_shots "$folder"
