#!/usr/bin/env bash
# End-to-end run of the real desktop program: Xvfb as the display, trayer as the notification
# area, tfquoted as the quote service. Starts tallyfern in a scratch folder with a two-trade
# portfolio, waits for its window and its first refresh, checks the tray icon, takes a
# screenshot, ends the program with SIGTERM and checks the file it saved.
#
# usage: tallyfern_e2e.sh TALLYFERN TFQUOTED TFPORT OUTPUT-FOLDER
set -euo pipefail

tallyfern=$1 tfquoted=$2 tfport=$3 out=$4
# Every wait is bounded by this many tenths of a second.
wait_limit=${TF_E2E_WAIT_TENTHS:-150}

work=$(mktemp -d /tmp/tallyfern-e2e.XXXXXX)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

fail() { echo "FAIL: $*" >&2; [ -f "$work/app.log" ] && sed 's/^/  app: /' "$work/app.log" >&2; exit 1; }

# Polls a command until it succeeds or the limit passes.
wait_for() {
  local i
  for ((i = 0; i < wait_limit; i++)); do
    if "$@" >/dev/null 2>&1; then return 0; fi
    sleep 0.1
  done
  return 1
}

for tool in Xvfb trayer xdotool xwininfo xdpyinfo import; do
  command -v "$tool" >/dev/null || fail "$tool is not installed (scripts/setup installs it)"
done

# Xvfb picks a display number nobody uses and writes it to fd 3, so that two test runs on
# one machine never share a display.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
pids+=($!)
wait_for grep -q '[0-9]' "$work/display" || fail "Xvfb did not start"
export DISPLAY=":$(head -n 1 "$work/display")"
wait_for xdpyinfo || fail "Xvfb does not answer on $DISPLAY"

trayer --edge top --align right --widthtype request --height 24 --SetDockType true \
  >"$work/trayer.log" 2>&1 &
pids+=($!)
wait_for sh -c "xwininfo -root -tree | grep -q '\"panel\"'" || fail "trayer did not start"

cat >"$work/quotes.txt" <<'QUOTES'
# symbol price change
IBM 123.5 -0.25
XYZ 41.2 0.8
AAPL 142.3 -3.1
MSFT 245.75 1.25
QUOTES
"$tfquoted" --port 0 --quotes "$work/quotes.txt" --quiet >"$work/tfquoted.out" 2>&1 &
pids+=($!)
wait_for grep -q "listening on" "$work/tfquoted.out" || fail "tfquoted did not start"
port=$(sed -n 's/.*listening on .*:\([0-9][0-9]*\)$/\1/p' "$work/tfquoted.out" | head -n 1)
for role in US REGIONAL AUNZ SWISS OPTIONS; do
  export "TALLYFERN_${role}_QUOTE_SERVER=127.0.0.1:$port"
done
export TALLYFERN_MAKER_SERVER=127.0.0.1:$port

data=$work/data
mkdir -p "$data"
"$tfport" --file "$data/info.kgw" init >/dev/null
"$tfport" --file "$data/info.kgw" buy IBM 100 100 --category Business >/dev/null
"$tfport" --file "$data/info.kgw" buy XYZ 50 40 --fee 9.95 >/dev/null
"$tfport" --file "$data/info.kgw" buy AAPL 20 150 --category Personal >/dev/null
"$tfport" --file "$data/info.kgw" buy MSFT 30 210 --category "Stock Plan" >/dev/null

(cd "$data" && exec "$tallyfern") >"$work/app.log" 2>&1 &
app=$!
pids+=("$app")

wait_for xdotool search --name "^Tallyfern Desktop" || fail "no window \"Tallyfern Desktop\""
window=$(xdotool search --name "^Tallyfern Desktop" | head -n 1)
wait_for sh -c "xdotool getwindowname $window | grep -q 'Last refresh on'" ||
  fail "the first refresh did not stamp the caption: $(xdotool getwindowname "$window")"
caption=$(xdotool getwindowname "$window")
echo "caption: $caption"
[[ "$caption" =~ ^Tallyfern\ Desktop:\ \ Last\ refresh\ on\ [0-9]{2}/[0-9]{2}/[0-9]{2}\ at\ [0-9]{2}:[0-9]{2}:[0-9]{2}$ ]] ||
  fail "caption \"$caption\""

# The tray icon is a window of the program docked inside trayer's panel.
wait_for sh -c "xwininfo -root -tree | sed -n '/\"panel\"/,/\"trayer\": (\"trayer\"/p' | grep -q '(\"tallyfern\"'" ||
  fail "no tray icon in the notification area"
echo "tray icon: docked in trayer"

mkdir -p "$out"
sleep 0.5
import -window "$window" "$out/tallyfern.png" || fail "screenshot failed"
import -window root "$out/tallyfern-desktop.png" || fail "screenshot failed"
echo "screenshots: $out/tallyfern.png $out/tallyfern-desktop.png"

# The first refresh saved; a SIGTERM must save once more (a new file replaces the old one).
before=$(stat -c %i "$data/info.kgw")
kill -TERM "$app"
for ((i = 0; i < wait_limit; i++)); do kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
kill -0 "$app" 2>/dev/null && fail "tallyfern did not end on SIGTERM"
status=0
wait "$app" || status=$?
[ "$status" -eq 0 ] || fail "tallyfern ended with status $status"
after=$(stat -c %i "$data/info.kgw")
[ "$before" != "$after" ] || fail "SIGTERM did not save info.kgw"

export_csv=$("$tfport" --file "$data/info.kgw" export --format csv)
echo "$export_csv"
echo "$export_csv" | grep -q '^1,.*,IBM,100,100,123.5,-0.25,' || fail "IBM not saved at 123.5"
echo "$export_csv" | grep -q '^2,.*,XYZ,50,40,41.2,0.8,' || fail "XYZ not saved at 41.2"
"$tfport" --file "$data/info.kgw" show | grep -q "File version: *1.85" || fail "no version stamp"
totals=$("$tfport" --file "$data/info.kgw" totals)
echo "$totals"
echo "$totals" | grep -q "Total Value: *24,628.50" || fail "totals"
echo "$totals" | grep -q "Total P/L Today: *-9.50" || fail "totals"
echo "1 passed, 0 failed"
