#!/usr/bin/env bash
# Tries Vaddex without a calculator: installs what it needs, builds vaddex-cli and the
# simulated calculator zqsim, starts zqsim on a pseudo-terminal and runs a short session of
# vaddex-cli commands against it. Works from a fresh clone on Debian 12.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

./scripts/install-deps.sh

# The normal build of scripts/test.sh, unless VADDEX_DEMO_BUILD names another build folder.
build=${VADDEX_DEMO_BUILD:-build/release}
jobs=${JOBS:-$(nproc)}
if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
fi
cmake --build "$build" -j "$jobs" --target vaddex-cli zqsim

cli="$root/$build/src/cli/vaddex-cli"
zqsim="$root/$build/src/sim/server/zqsim"

# The demo's files and settings live in a folder of their own; the user's settings are
# neither read nor changed.
work=$(mktemp -d "${TMPDIR:-/tmp}/vaddex-demo-XXXXXX")
export XDG_CONFIG_HOME="$work/config"
zqsim_pid=""
cleanup() {
    if [ -n "$zqsim_pid" ]; then
        kill "$zqsim_pid" 2> /dev/null || true
        wait "$zqsim_pid" 2> /dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

# zqsim prints its port on its first line, then serves until it is ended.
"$zqsim" < /dev/null > "$work/zqsim.out" 2> "$work/zqsim.err" &
zqsim_pid=$!
for _ in $(seq 100); do
    [ -s "$work/zqsim.out" ] && break
    sleep 0.1
done
port=$(head -n 1 "$work/zqsim.out")
if [ -z "$port" ]; then
    echo "demo: zqsim did not start:" >&2
    cat "$work/zqsim.err" >&2
    exit 1
fi
echo "== zqsim serves a simulated ZQ K8 on $port"

run() {
    local shown=""
    for word in "$@"; do
        case "$word" in
            *" "*) shown="$shown \"$word\"" ;;
            *) shown="$shown $word" ;;
        esac
    done
    echo
    echo "\$ vaddex-cli$shown"
    (cd "$work" && "$cli" -p "$port" "$@")
}

run info
run ls -R
run get GREETING
cp "$work/GREETING.zq" "$work/HELLO.zq"
run put HELLO.zq
run eval "'HELLO' RCL 6 7 *"
run stack
run -t get LIST1
echo "--- LIST1.txt:"
cat "$work/LIST1.txt"
echo
run backup memory.zqbackup
echo
echo "== done; try it yourself with: $cli -p sim ls -R"
