#!/usr/bin/env bash
# Takes docs/screenshot.png: the main dialog with its output list open and the
# result log after converting the sample log to the list's first entry, the
# readable mbox, in a real X server with a window manager; then checks that
# mailbox against mixconv-cli --utf8's.
# Needs (as root): apt-get install xvfb openbox xdotool imagemagick fonts-noto-cjk
set -euo pipefail
cd "$(dirname "$0")/.."

display=:97
work=$(mktemp -d)
cp samples/SAMPLE.MIX samples/SAMPLE.TXT "$work/"

Xvfb "$display" -screen 0 1000x380x24 >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; rm -rf "$work"' EXIT
export DISPLAY=$display
sleep 1
openbox >/dev/null 2>&1 &
sleep 1

TZ=JST-9 LC_ALL=C.UTF-8 build/dev/ui/mixconv &
app=$!
main=$(xdotool search --sync --onlyvisible --name '^mixconv$' | head -n 1)
sleep 0.5
xdotool windowmove --sync "$main" 20 40
xdotool windowactivate --sync "$main"
# Tab order: OK, Cancel, path, Browse, name, address, output list (left as it starts).
xdotool key Tab Tab && xdotool type --delay 5 "$work/SAMPLE.MIX"
xdotool key Tab Tab && xdotool type --delay 5 "Morvath"
xdotool key Tab && xdotool type --delay 5 "morvath@example.jp"
xdotool key Return
log=$(xdotool search --sync --onlyvisible --name '変換結果' | head -n 1)
sleep 0.5
xdotool windowmove --sync "$log" 560 40
sleep 0.5
# From the address field, where the run left the focus, to the output list, opened.
xdotool windowactivate --sync "$main"
xdotool key Tab F4
sleep 1
import -window root docs/screenshot.png
kill $app

mkdir "$work/cli"
cp samples/SAMPLE.MIX samples/SAMPLE.TXT "$work/cli/"
TZ=JST-9 LC_ALL=C.UTF-8 build/dev/cli/mixconv-cli --quiet --utf8 --name Morvath \
  --email morvath@example.jp "$work/cli/SAMPLE.MIX"
cmp "$work/SAMPLE.mbx" "$work/cli/SAMPLE.mbx" && echo "the desktop program's mailbox equals mixconv-cli --utf8's"
