#!/usr/bin/env bash
# Screenshots of the main window and of the output window after Compute,
# taken from the built program on a virtual X server and driven with
# xdotool. Usage: scripts/screenshots.sh [path/to/tarvenix] [output folder]
set -euo pipefail

app=$(realpath "${1:-build/h-qt/tarvenix}")
out=${2:-docs}
display=:99
mkdir -p "$out"

Xvfb "$display" -screen 0 1280x900x24 -nolisten tcp &
xvfb_pid=$!
trap 'kill "$app_pid" "$xvfb_pid" 2>/dev/null || true' EXIT
export DISPLAY=$display
sleep 1

"$app" &
app_pid=$!

main=$(xdotool search --sync --onlyvisible --name '^Tarvenix$' | head -n 1)
sleep 1
import -window "$main" "$out/main-window.png"

# Focus starts in the spot price; one step back from it is Compute.
xdotool windowfocus --sync "$main"
xdotool key --clearmodifiers shift+Tab space
output=$(xdotool search --sync --onlyvisible --name '^Computation Output$' | head -n 1)
sleep 1
import -window "$output" "$out/output-window.png"

ls -l "$out"/main-window.png "$out"/output-window.png
