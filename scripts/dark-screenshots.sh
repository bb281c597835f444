#!/usr/bin/env bash
# Pictures of every window and chart in a dark palette, as a dark desktop
# gives it, into the user guide's folder (docs/guide/dark/ by default),
# drawn on the offscreen platform (no X server needed) by the test build's
# dark_screenshots tool.
# Usage: scripts/dark-screenshots.sh [output folder]
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-docs/guide/dark}
mkdir -p "$out"
cmake --preset ci >/dev/null
cmake --build --preset ci --target dark_screenshots
QT_QPA_PLATFORM=offscreen build/ci/tests/dark_screenshots "$out"
