#!/bin/sh
# Runs a test program on a virtual X server of its own with the openbox
# window manager, for what only a window manager shows (stacking, title
# bars), on a screen of 1600 x 1000 (or of TVX_SCREEN, such as
# "1280x800x24"). Exits 77, which the test suite counts as skipped, when
# Xvfb or openbox is not installed.
if ! command -v Xvfb >/dev/null 2>&1 || ! command -v openbox >/dev/null 2>&1; then
    echo "Xvfb or openbox is not installed: skipped"
    exit 77
fi
work=$(mktemp -d)
xvfb=""
wm=""
cleanup() {
    [ -n "$wm" ] && kill "$wm" 2>/dev/null
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

# Starts the X server and the window manager; fails when either does not
# come up (another server took the display, openbox could not connect).
start_session() {
    : >"$work/display"
    Xvfb -displayfd 5 -screen 0 "${TVX_SCREEN:-1600x1000x24}" -nolisten tcp 5>"$work/display" 2>/dev/null &
    xvfb=$!
    for _ in $(seq 100); do grep -q '^[0-9][0-9]*$' "$work/display" && break; sleep 0.1; done
    grep -q '^[0-9][0-9]*$' "$work/display" || return 1
    DISPLAY=:$(cat "$work/display")
    export DISPLAY
    # The installed configuration, not one a user of this machine may have made.
    config=/etc/xdg/openbox/rc.xml
    if [ -f "$config" ]; then openbox --config-file "$config" 2>/dev/null & else openbox 2>/dev/null & fi
    wm=$!
    # Ready once it names itself on the root window.
    for _ in $(seq 100); do
        kill -0 "$wm" 2>/dev/null || return 1
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && return 0
        sleep 0.1
    done
    return 1
}

# On a loaded machine a session may fail to come up: the tests never run
# without a window manager, whose absence they would take for faults.
for attempt in 1 2 3; do
    start_session && break
    echo "attempt $attempt: Xvfb or openbox did not come up"
    [ -n "$wm" ] && kill "$wm" 2>/dev/null
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
    wm="" xvfb=""
    [ "$attempt" = 3 ] && exit 1
    sleep 1
done
sleep 0.3

QT_QPA_PLATFORM=xcb "$@"
