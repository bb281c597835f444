#!/usr/bin/env bash
# Screenshots of the main window and of the output window after Compute,
# taken from the built program on a virtual X server (with the openbox
# window manager for title bars, when it is installed) and driven with
# xdotool. Needs xvfb, xdotool, x11-utils and imagemagick.
# Usage: scripts/screenshots.sh [path/to/tarvenix] [output folder]
set -euo pipefail

app=$(realpath "${1:-build/release/tarvenix}")
out=${2:-docs}
display=:99
mkdir -p "$out"

Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp &
pids=($!)
trap 'kill "${pids[@]}" 2>/dev/null || true' EXIT
export DISPLAY=$display
sleep 1
if command -v openbox >/dev/null; then
    openbox >/dev/null 2>&1 &
    pids+=($!)
    sleep 1
fi

"$app" 2>/dev/null &
pids+=($!)

# Crops the screen to a window with its frame (the title bar above it).
shoot() {
    local id=$1 file=$2 info x y w h top=0
    info=$(xwininfo -id "$id")
    x=$(awk '/Absolute upper-left X/ {print $4}' <<<"$info")
    y=$(awk '/Absolute upper-left Y/ {print $4}' <<<"$info")
    w=$(awk '/Width:/ {print $2}' <<<"$info")
    h=$(awk '/Height:/ {print $2}' <<<"$info")
    command -v openbox >/dev/null && top=21
    import -window root -crop "$((w + 2))x$((h + top + 2))+$((x - 1))+$((y - top - 1))" +repage "$file"
}

main=$(xdotool search --sync --onlyvisible --name '^Tarvenix$' | head -n 1)
xdotool windowmove --sync "$main" 24 40
sleep 1
shoot "$main" "$out/main-window.png"

# Focus starts in the spot price, where Return runs Compute.
xdotool windowfocus --sync "$main"
xdotool key --clearmodifiers Return
output=$(xdotool search --sync --onlyvisible --name '^Computation Output$' | head -n 1)
sleep 1
shoot "$output" "$out/output-window.png"

ls -l "$out"/main-window.png "$out"/output-window.png
