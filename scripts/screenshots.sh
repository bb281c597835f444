#!/usr/bin/env bash
# Screenshots of the main window and of the output window after Compute
# (and greyed after an implied volatility of other terms),
# taken from the built program on a virtual X server (with the openbox
# window manager for title bars, when it is installed) and driven with
# xdotool. Needs xvfb, xdotool, x11-utils and imagemagick.
# Usage: scripts/screenshots.sh [path/to/tarvenix] [output folder]
set -euo pipefail

source "$(dirname "$0")/x-session.sh"
tvx_screenshot_session 1600x900 "$@"
shoot "$main" "$out/main-window.png"

# Focus starts in the spot price, where Return runs Compute.
xdotool windowfocus --sync "$main"
xdotool key --clearmodifiers Return
output=$(find_window '^Computation Output$')
sleep 1
shoot "$output" "$out/output-window.png"

ls -l "$out"/main-window.png "$out"/output-window.png

# The four calculators, each opened from the Advanced menu where the program
# puts it (beside the main window), then closed with its Cancel button. The output window is
# closed first (its OK button has the focus), so it hides nothing.
output_ok=$(xdotool search --onlyvisible --name '^Computation Output$' | head -n 1 || true)
if [ -n "$output_ok" ]; then
    xdotool windowactivate --sync "$output_ok" key --clearmodifiers Return
    sleep 1
fi

# Arguments: the menu's access keys, the window's title, the picture's name.
calculator_shot() {
    local keys=$1 title=$2 file=$3 id
    xdotool windowactivate --sync "$main"
    # shellcheck disable=SC2086
    xdotool key --clearmodifiers $keys
    id=$(find_window "^${title}\$")
    sleep 1
    shoot_around "$out/$file" "$main" "$id"
    # The focus starts in the first field; one step back from it is Cancel.
    xdotool windowactivate --sync "$id" key --clearmodifiers shift+Tab space
    sleep 1
    ls -l "$out/$file"
}

calculator_shot "alt+a w" "Warrants" warrants-window.png
calculator_shot "alt+a f" "Futures Calculator" futures-window.png
calculator_shot "alt+a b s" "Straight Bonds" straight-bonds-window.png
calculator_shot "alt+a b o" "Convertible Bonds" convertible-bonds-window.png

# Three calculators (F1 in the last one), each where it first opens: beside
# the main window, none covering it or another; the help viewer, for which
# no room is left at its reading size, cascades from the main window's
# corner. Then Esc closes each of them.
for keys in "alt+a w" "alt+a f" "alt+a b s"; do
    xdotool windowactivate --sync "$main"
    # shellcheck disable=SC2086
    xdotool key --clearmodifiers $keys
    sleep 1
done
xdotool key --clearmodifiers F1
find_window ' - Tarvenix Help$' >/dev/null
sleep 1
import -window root "$out/windows-beside-main.png"
ls -l "$out/windows-beside-main.png"
for title in ' - Tarvenix Help$' '^Straight Bonds$' '^Futures Calculator$' '^Warrants$'; do
    id=$(xdotool search --onlyvisible --name "$title" | head -n 1)
    xdotool windowactivate --sync "$id" key --clearmodifiers Escape
    sleep 0.5
done

# --- Menus and help -------------------------------------------------------
# The Advanced menu with its Bonds submenu open, the Help menu open, and the
# help viewer at the first topic (Help > Options).
xdotool windowactivate --sync "$main"
xdotool key --clearmodifiers Escape alt+a
sleep 0.5
xdotool key --clearmodifiers b
sleep 1
shoot "$main" "$out/menu-advanced.png"
xdotool key --clearmodifiers Escape Escape Escape
sleep 0.5
xdotool key --clearmodifiers alt+h
sleep 1
shoot "$main" "$out/menu-help.png"
xdotool key --clearmodifiers o
help=$(find_window ' - Tarvenix Help$')
# The size it opens at (the one it had above: it keeps its size in a session).
xdotool windowmove --sync "$help" 24 40
sleep 1
shoot "$help" "$out/help-viewer.png"
ls -l "$out"/menu-advanced.png "$out"/menu-help.png "$out"/help-viewer.png
xdotool windowminimize --sync "$help"
sleep 1

# The two neural-net windows and the progress window during a training, in
# a second instance of the program started in a scratch folder that holds a
# training file for the creation window's defaults (three inputs, one
# output, three examples). The first instance is minimised out of the way.
neural_dir=$(mktemp -d)
cat >"$neural_dir/train.dat" <<'DATA'
10,0
10,0
10,0
1,0
2,4,6,0.5
3,5,7,0.4
1,1,1,0.1
DATA
xdotool windowminimize --sync "$main" || true
(cd "$neural_dir" && exec "$app" 2>/dev/null) &
neural_app=$!
pids+=("$neural_app")
main=$(find_window --pid "$neural_app" '^Tarvenix$')
xdotool windowmove --sync "$main" 24 40
sleep 1

# Opens a neural-net window from Advanced > Neural Nets beside the main window.
open_neural() {
    local key=$1 title=$2 id=""
    # Once more when the menu missed the keys (they can come while the
    # window before is still closing).
    for _ in 1 2; do
        xdotool windowactivate --sync "$main"
        xdotool key --clearmodifiers alt+a n "$key"
        id=$(TVX_WAIT=5 find_window "^${title}\$") && break
    done
    [ -n "$id" ] || return 1
    sleep 1
    echo "$id"
}

# Dismisses the message box that is showing (its OK button has the focus).
# Waits for it (up to ten seconds): a search can come before the box is
# mapped, and an empty id would make xdotool wait for ever.
dismiss_box() {
    local box="" tries=0
    while [ -z "$box" ] && [ "$tries" -lt 50 ]; do
        box=$(xdotool search --onlyvisible --pid "$neural_app" --name '^Tarvenix$' 2>/dev/null |
            grep -v "^$main\$" | head -n 1 || true)
        tries=$((tries + 1))
        [ -n "$box" ] || sleep 0.2
    done
    [ -n "$box" ] || { echo "screenshots.sh: no message box to dismiss" >&2; exit 1; }
    xdotool windowactivate --sync "$box" key --clearmodifiers Return
    sleep 1
}

create=$(open_neural c "Neural Net - Create")
shoot_around "$out/neural-create-window.png" "$main" "$create"
ls -l "$out/neural-create-window.png"

# Train with the defaults: writes neural.net for the prediction below. While
# the completion box is up, the creation window shows the errors per output.
xdotool windowactivate --sync "$create" key --clearmodifiers Return
sleep 3
xdotool windowraise "$create"
sleep 1
shoot_around "$out/neural-create-trained.png" "$main" "$create"
ls -l "$out/neural-create-trained.png"
dismiss_box

# A long training (population 600, 20000 generations: about half a minute,
# so that it is still running when the picture is taken) for the progress
# window; its Cancel button ends it without writing a file. Tab order:
# inputbox, outputbox, hidden, gen, ifile1, examples, ofile1, pop.
create=$(open_neural c "Neural Net - Create")
xdotool windowactivate --sync "$create"
xdotool key --clearmodifiers Tab Tab Tab ctrl+a
xdotool type "20000"
xdotool key --clearmodifiers Tab Tab Tab Tab ctrl+a
xdotool type "600"
xdotool key --clearmodifiers Return
pmeter=$(find_window '^Calculation Progress$')
sleep 3
shoot "$pmeter" "$out/neural-progress-window.png"
ls -l "$out/neural-progress-window.png"
xdotool windowactivate --sync "$pmeter" key --clearmodifiers space
sleep 2

predict=$(open_neural p "Neural Net Input")
xdotool windowactivate --sync "$predict"
for value in 3 5 7; do
    xdotool key --clearmodifiers ctrl+a
    xdotool type "$value"
    xdotool key --clearmodifiers Tab
done
sleep 1
shoot_around "$out/neural-predict-window.png" "$main" "$predict"
ls -l "$out/neural-predict-window.png"
rm -rf "$neural_dir"

# Last, as it leaves the main window with other terms: terms the grid
# cannot value (a put over 19.1 years on a yield of 19.4 %), which the
# exercise-boundary method values, and the output window says so.
# Spot, strike, dividend, time and rate in tab order (past the expiry
# date's four controls under the time), then the type (Put), the style
# (American), the calculation type and the volatility.
xdotool windowactivate --sync "$main"
for value in 4.366 5.877 19.4 19.1 0.28; do
    xdotool key --clearmodifiers ctrl+a
    xdotool type "$value"
    xdotool key --clearmodifiers Tab
    if [ "$value" = 19.1 ]; then xdotool key --clearmodifiers Tab Tab Tab Tab; fi
done
xdotool key --clearmodifiers Right Tab Right Tab Tab ctrl+a
xdotool type 0.097
xdotool key --clearmodifiers Return
sleep 1
output=$(find_window '^Computation Output$')
shoot "$output" "$out/output-window-boundary.png"
ls -l "$out/output-window-boundary.png"


# Then the implied volatility of other terms (a strike of 6): its result is
# a box, and the output window keeps the lines above, greyed under the line
# that says which terms they are from. Back from the volatility to the
# calculation type (Implied Volatility), then to the strike; Return runs
# Compute.
xdotool windowactivate --sync "$main"
xdotool key --clearmodifiers shift+Tab Down
for step in 1 2 3 4 5 6; do xdotool key --clearmodifiers shift+Tab; done
xdotool key --clearmodifiers ctrl+a
xdotool type 6
xdotool key --clearmodifiers Return
sleep 2
xdotool windowraise "$output"
sleep 1
shoot "$output" "$out/output-window-earlier.png"
ls -l "$out/output-window-earlier.png"
