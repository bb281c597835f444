#!/bin/sh
# Runs the accessibility probe ($1) on a virtual X server with a session
# bus and the accessibility bus of its own, and walks it with
# atspi_walk.py. Exits 77 (skipped) when Xvfb, the buses or pyatspi are
# missing.
here=$(dirname "$0")
for tool in Xvfb dbus-run-session /usr/libexec/at-spi-bus-launcher; do
    command -v "$tool" >/dev/null 2>&1 || [ -x "$tool" ] || { echo "$tool is not installed: skipped"; exit 77; }
done
/usr/bin/python3 -c "import pyatspi" 2>/dev/null || { echo "python3-pyatspi is not installed: skipped"; exit 77; }
exec "$here/run_with_openbox.sh" dbus-run-session -- sh -c '
    /usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 &
    bus=$!
    sleep 1
    QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_QPA_PLATFORM=xcb "$1" 60 &
    probe=$!
    /usr/bin/python3 "$2"
    status=$?
    kill $probe $bus 2>/dev/null
    exit $status
' walk "$1" "$here/atspi_walk.py"
