#!/usr/bin/env bash
# Screenshots of the Volatility Smile window: the published index grid of
# Andreasen and Huge (tests/smile/data) opened through Open..., with the
# quotes and the smile of its second expiry; then total variance against
# log-moneyness and the surface as a heat map. Taken from the built program
# on a virtual X server with openbox, driven with xdotool; needs xvfb,
# xdotool, x11-utils, imagemagick and openbox.
# Usage: scripts/smile-screenshots.sh [path/to/tarvenix] [output folder]
set -euo pipefail

chain=$(realpath tests/smile/data/andreasen-huge-2010.csv)
source "$(dirname "$0")/x-session.sh"
tvx_screenshot_session 1600x1000 "$@"

# Advanced > Volatility Smile; the Open button has the focus first.
xdotool windowactivate --sync "$main"
xdotool key --clearmodifiers alt+a v
smile=$(find_window '^Volatility Smile$')
sleep 1
xdotool windowactivate --sync "$smile"
xdotool windowmove --sync "$smile" 24 40
sleep 0.5
xdotool key --clearmodifiers space
dialog=$(find_window '^Open an option chain$')
sleep 0.5
xdotool windowactivate --sync "$dialog"
xdotool type --delay 20 "$chain"
xdotool key --clearmodifiers Return
sleep 3

# The second expiry's smile: Alt+E reaches the expiry box.
xdotool windowactivate --sync "$smile"
xdotool key --clearmodifiers alt+e Down
sleep 2
shoot "$smile" "$out/smile-window.png"
ls -l "$out/smile-window.png"

# Alt+H reaches the chart box: Total variance is the fourth choice, the
# surface the sixth.
xdotool key --clearmodifiers alt+h Down Down Down
sleep 2
shoot "$smile" "$out/smile-variance.png"
ls -l "$out/smile-variance.png"
xdotool key --clearmodifiers alt+h Down Down
sleep 2
shoot "$smile" "$out/smile-surface.png"
ls -l "$out/smile-surface.png"
