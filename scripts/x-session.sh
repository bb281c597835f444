# Sourced by the screenshot scripts: a virtual X server with the openbox
# window manager (for title bars, when it is installed), the program on it,
# and a crop of the screen to one window.

# Starts Xvfb on $display at the given size, openbox, then the program;
# everything started is killed on exit.
tvx_x_session() {  # size, program
    Xvfb "$display" -screen 0 "$1x24" -nolisten tcp &
    pids=($!)
    trap 'kill "${pids[@]}" 2>/dev/null || true' EXIT
    export DISPLAY=$display
    sleep 1
    if command -v openbox >/dev/null; then
        openbox >/dev/null 2>&1 &
        pids+=($!)
        sleep 1
    fi
    "$2" 2>/dev/null &
    pids+=($!)
}

# The id of the first visible window whose title matches the pattern (the
# last argument; xdotool search options such as --pid may come before it),
# waiting for it up to $TVX_WAIT seconds (15 by default): a step the
# program missed ends the script with a message, not a wait for ever.
find_window() {
    local id tries=0 most=$((${TVX_WAIT:-15} * 5))
    while [ "$tries" -lt "$most" ]; do
        id=$(xdotool search --onlyvisible "${@:1:$#-1}" --name "${@: -1}" 2>/dev/null | head -n 1 || true)
        if [ -n "$id" ]; then
            echo "$id"
            return 0
        fi
        tries=$((tries + 1))
        sleep 0.2
    done
    echo "$(basename "$0"): no window titled '${*: -1}' after ${TVX_WAIT:-15} s" >&2
    return 1
}

# Crops the screen to a window with its frame (the title bar above it).
shoot() { shoot_around "$2" "$1"; }  # window id, file

# The screenshot scripts' start: the program (the first argument, by
# default the release build) on a virtual screen of the given size, its
# main window moved to (24, 40) and its id in $main, and the output folder
# (the second argument, by default docs) made and named in $out.
tvx_screenshot_session() {  # size, [program], [output folder]
    app=$(realpath "${2:-build/release/tarvenix}")
    out=${3:-docs}
    display=${TVX_DISPLAY:-:99}  # another free display when :99 is taken
    mkdir -p "$out"
    tvx_x_session "$1" "$app"
    main=$(find_window '^Tarvenix$')
    xdotool windowmove --sync "$main" 24 40
    sleep 1
}

# Crops the screen to the rectangle around the given windows, frames
# included.
shoot_around() {
    local file=$1 top=0 x0=100000 y0=100000 x1=0 y1=0 info x y w h
    shift
    command -v openbox >/dev/null && top=21
    for win in "$@"; do
        info=$(xwininfo -id "$win")
        x=$(awk '/Absolute upper-left X/ {print $4}' <<<"$info")
        y=$(awk '/Absolute upper-left Y/ {print $4}' <<<"$info")
        w=$(awk '/Width:/ {print $2}' <<<"$info")
        h=$(awk '/Height:/ {print $2}' <<<"$info")
        ((x - 1 < x0)) && x0=$((x - 1))
        ((y - top - 1 < y0)) && y0=$((y - top - 1))
        ((x + w + 1 > x1)) && x1=$((x + w + 1))
        ((y + h + 1 > y1)) && y1=$((y + h + 1))
    done
    import -window root -crop "$((x1 - x0))x$((y1 - y0))+${x0}+${y0}" +repage "$file"
}
