#!/usr/bin/env bash
# Screenshots of the bond windows' added boxes (Yield, Risk and the
# convertible's Analytics, each over its window) and of the History window
# holding the session's results. Taken from the built program on a virtual
# X server with openbox, driven with xdotool; needs xvfb, xdotool,
# x11-utils, imagemagick and openbox.
# Usage: scripts/history-screenshots.sh [path/to/tarvenix] [output folder]
set -euo pipefail

source "$(dirname "$0")/x-session.sh"
tvx_screenshot_session 1600x900 "$@"

# The message box in front of a window: the one "Tarvenix" window that is
# not the main window.
box() {
    xdotool search --sync --onlyvisible --name '^Tarvenix$' | grep -v "^$main\$" | head -n 1
}

# Shoots the box that is up over its window (or nothing) and closes it.
shoot_box() {
    local window=$1 file=$2 id
    sleep 1
    id=$(box)
    [ -n "$file" ] && shoot_around "$file" "$window" "$id" && ls -l "$file"
    xdotool windowactivate --sync "$id" key --clearmodifiers Return
    sleep 0.5
}

# A Compute of the main window (Return in the spot price), its output
# window closed again.
xdotool windowfocus --sync "$main" key --clearmodifiers Return
output=$(find_window '^Computation Output$')
sleep 1
xdotool windowactivate --sync "$output" key --clearmodifiers Return
sleep 0.5

# Straight bonds: Compute (Return in the par value), Yield at a market price
# of 105 (Return in the price, the sixth field), then Risk (the third
# button after the price, where the focus comes back to).
xdotool windowactivate --sync "$main" key --clearmodifiers alt+a b s
bonds=$(find_window '^Straight Bonds$')
sleep 1
xdotool windowactivate --sync "$bonds" key --clearmodifiers Return
shoot_box "$bonds" ""
xdotool windowactivate --sync "$bonds" key --clearmodifiers Tab Tab Tab Tab Tab ctrl+a
xdotool type 105
xdotool key --clearmodifiers Return
shoot_box "$bonds" "$out/straight-bonds-yield.png"
xdotool windowactivate --sync "$bonds" key --clearmodifiers Tab Tab Tab space
shoot_box "$bonds" "$out/straight-bonds-risk.png"

# The convertible's Analytics (two steps back from its first field).
xdotool windowactivate --sync "$main" key --clearmodifiers alt+a b o
convertible=$(find_window '^Convertible Bonds$')
sleep 1
xdotool windowactivate --sync "$convertible" key --clearmodifiers shift+Tab shift+Tab space
shoot_box "$convertible" "$out/convertible-analytics.png"

# View > History with the five results, the newest at the top.
xdotool windowactivate --sync "$main" key --clearmodifiers alt+v h
history=$(find_window '^History$')
# Wide enough for the Results column: it took less room to fit beside the
# two calculators.
xdotool windowmove --sync "$history" 24 480 windowsize --sync "$history" 1550 300
sleep 1
shoot "$history" "$out/history-window.png"
ls -l "$out/history-window.png"
