#!/bin/sh
# Runs capture, backup, restore, XSEND and XRECV on the simulated K8 and the ROM download on
# the simulated K8G+ through the window's real dialogs on a virtual screen, and keeps pictures
# of the capture viewer, the backup save dialog and the refusal of a backup into a folder.
# Usage: scripts/whole-calculator-shots.sh [FOLDER] (default build/screenshots); expects a
# configured build tree in build/ (or $VADDEX_BUILD).
set -eu
cd "$(dirname "$0")/.."
folder=${1:-build/screenshots}
build=${VADDEX_BUILD:-build}
cmake --build "$build" -j2 --target whole_calculator_shots
xvfb-run -a -s "-screen 0 1280x800x24" "$build"/tools/screenshots/whole_calculator_shots "$folder/K8" K8
xvfb-run -a -s "-screen 0 1280x800x24" "$build"/tools/screenshots/whole_calculator_shots "$folder/K8G+" K8G+
