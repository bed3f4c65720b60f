#!/usr/bin/env bash
# Opens the Vaddex window on the built-in simulated calculator: installs what it needs,
# builds vaddex and runs "vaddex --sim". Works from a fresh clone on Debian 12.
#   scripts/run.sh [--sim=K7|K8|K7GII|K8G+]
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/install-deps.sh

# The normal build of scripts/test.sh, unless VADDEX_RUN_BUILD names another build folder.
build=${VADDEX_RUN_BUILD:-build/release}
jobs=${JOBS:-$(nproc)}
if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
fi
cmake --build "$build" -j "$jobs" --target vaddex

sim=--sim
if [ $# -gt 0 ]; then
    sim=$1
fi
exec "$build/src/app/vaddex" "$sim"
