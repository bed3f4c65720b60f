#!/usr/bin/env bash
# Runs a command on the current X display under openbox, started first and waited for until
# it manages windows, so that title bars and the stacking of windows are real; stops it after.
#   xvfb-run -a bash scripts/with-openbox.sh COMMAND [ARGS]
set -u
openbox > /dev/null 2>&1 &
wm=$!
for _ in $(seq 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2> /dev/null | grep -q 'window id' && break
    sleep 0.1
done
"$@"
status=$?
kill "$wm" 2> /dev/null
wait "$wm" 2> /dev/null
exit $status
