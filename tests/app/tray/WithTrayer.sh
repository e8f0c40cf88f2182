#!/bin/sh
# Runs a program on the current X display with trayer as the notification area, and stops
# trayer afterwards. Used under xvfb-run by the end-to-end tray test.
trayer --edge bottom --align right --widthtype pixel --width 120 --height 24 >/dev/null 2>&1 &
tray=$!
"$@"
rc=$?
kill "$tray" 2>/dev/null
wait "$tray" 2>/dev/null
exit $rc
