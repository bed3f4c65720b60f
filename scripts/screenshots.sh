#!/usr/bin/env bash
# Pictures of the window on the simulated calculator, taken on a virtual X display with a
# window manager (openbox), so that title bars and the stacking of windows are real: the
# connected window, an operator prompt, the log, a help page, the pop-up menu, the command
# window with a stack and in front of the main window after a Send, the capture viewer in
# front of it, the window wide and at its smallest width, and the options, replace and
# properties dialogs, saved into the folder given.
#   scripts/screenshots.sh FOLDER
# Builds vaddex-screenshots in build/ (or $VADDEX_BUILD) when needed. The user's own
# settings are neither read nor changed.
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
cmake --build "$build" -j "${JOBS:-2}" --target vaddex-screenshots

config=$(mktemp -d "${TMPDIR:-/tmp}/vaddex-shots-XXXXXX")
trap 'rm -rf "$config"' EXIT
XDG_CONFIG_HOME="$config" xvfb-run -a -s "-screen 0 1280x800x24" \
    bash scripts/with-openbox.sh "$build/tools/screenshots/vaddex-screenshots" "$out"
