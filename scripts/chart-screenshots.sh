#!/usr/bin/env bash
# Screenshots of the chart window: an American put's value and its Gamma
# against the spot, the scenario table, the straight bond's price-yield
# curve, the convertible against the share price and the put's exercise
# boundary. Taken from the built
# program on a virtual X server with openbox, driven with xdotool; needs
# xvfb, xdotool, x11-utils, imagemagick and openbox.
# Usage: scripts/chart-screenshots.sh [path/to/tarvenix] [output folder]
set -euo pipefail

source "$(dirname "$0")/x-session.sh"
tvx_screenshot_session 1600x1000 "$@"
# An American put: from the spot field, five steps to the option type
# (arrow to Put), one more to the style (arrow to American).
xdotool windowfocus --sync "$main"
xdotool key --clearmodifiers Tab Tab Tab Tab Tab Right Tab Right
sleep 0.5

# Charts > Option.
xdotool key --clearmodifiers alt+c o
chart=$(find_window '^Chart$')
xdotool windowmove --sync "$chart" 620 40
sleep 2
# The pointer over the curve, for the coordinates under the chart.
info=$(xwininfo -id "$chart")
cx=$(awk '/Absolute upper-left X/ {print $4}' <<<"$info")
cy=$(awk '/Absolute upper-left Y/ {print $4}' <<<"$info")
# The pointer on the current terms' marker (the one red point of the
# picture), so that its coordinates show under the chart.
shoot "$chart" "$out/chart-option-value.png"
marker=$(convert "$out/chart-option-value.png" txt:- | awk -F: 'tolower($0) ~ /#c01010/ && !found {print $1; found = 1}')
xdotool mousemove --sync $((cx + ${marker%,*} - 1)) $((cy + ${marker#*,} - 22 + 4))
sleep 1
shoot "$chart" "$out/chart-option-value.png"
xdotool mousemove --sync 10 990

# Gamma: the second choice of what is plotted (the choices take the
# keyboard in order: source, plotted, against).
xdotool windowactivate --sync "$chart"
xdotool key --clearmodifiers Tab Down Down
sleep 2
shoot "$chart" "$out/chart-option-gamma.png"

# The scenario table, the two bond charts and the exercise boundary, from
# the Charts menu.
for entry in "s chart-scenario.png" "t chart-bond.png" "c chart-convertible.png" "b chart-boundary.png"; do
    set -- $entry
    xdotool windowactivate --sync "$main"
    xdotool key --clearmodifiers alt+c "$1"
    sleep 2
    shoot "$chart" "$out/$2"
done
