#!/usr/bin/env bash
# Screenshots of the Strategy Builder: the iron condor preset with its
# results and the chart of profit and loss (the pointer over the curve at
# the horizon), then the spot x volatility grid. Taken from the built
# program on a virtual X server with openbox, driven with xdotool; needs
# xvfb, xdotool, x11-utils, imagemagick and openbox.
# Usage: scripts/strategy-screenshots.sh [path/to/tarvenix] [output folder]
set -euo pipefail

source "$(dirname "$0")/x-session.sh"
tvx_screenshot_session 1600x1000 "$@"

# Advanced > Strategy Builder, then the preset box (Alt+P), its list
# opened and "Iron condor" chosen by its first letter.
xdotool windowactivate --sync "$main"
xdotool key --clearmodifiers alt+a s
strategy=$(find_window '^Strategy Builder$')
sleep 1
xdotool windowactivate --sync "$strategy"
xdotool key --clearmodifiers alt+p F4
sleep 0.5
xdotool key --clearmodifiers I Return
sleep 2
# The pointer over the top of the curve at expiry, for the coordinates
# under the chart (the window's own layout at its first size).
info=$(xwininfo -id "$strategy")
sx=$(awk '/Absolute upper-left X/ {print $4}' <<<"$info")
sy=$(awk '/Absolute upper-left Y/ {print $4}' <<<"$info")
xdotool mousemove --sync $((sx + 640)) $((sy + 469))
sleep 1
shoot "$strategy" "$out/strategy-window.png"
ls -l "$out/strategy-window.png"

# The grid: a click on the second tab.
xdotool mousemove --sync $((sx + 554)) $((sy + 423)) click 1
sleep 2
shoot "$strategy" "$out/strategy-grid.png"
ls -l "$out/strategy-grid.png"
