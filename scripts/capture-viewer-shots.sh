#!/bin/sh
# Pictures of the screen capture viewer at zoom 2 and 4, with and without the border, taken on
# a virtual screen. Usage: scripts/capture-viewer-shots.sh [FOLDER] (default build/screenshots);
# expects a configured build tree in build/ (or $VADDEX_BUILD).
set -eu
cd "$(dirname "$0")/.."
folder=${1:-build/screenshots}
build=${VADDEX_BUILD:-build}
cmake --build "$build" -j2 --target capture_viewer_shots
xvfb-run -a -s "-screen 0 1280x800x24" "$build"/tools/screenshots/capture_viewer_shots "$folder"
