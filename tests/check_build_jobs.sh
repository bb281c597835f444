#!/bin/sh
# The README's two commands limit their compile jobs (and the test command
# its tests run at once) to CMAKE_BUILD_PARALLEL_LEVEL when it is set, and
# use every processor when it is not. Runs copies of the scripts with cmake,
# ctest, nproc and dpkg-query standing in, recording how they were called.
set -u
src=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/repo/scripts" "$work/bin"
cp "$src/scripts/run-app" "$src/scripts/run-tests" "$src/scripts/deps.sh" "$work/repo/scripts/"
for tool in cmake ctest; do
    printf '#!/bin/sh\necho "%s $* [level=${CMAKE_BUILD_PARALLEL_LEVEL:-}]" >>"%s/calls"\n' "$tool" "$work" >"$work/bin/$tool"
done
printf '#!/bin/sh\necho 8\n' >"$work/bin/nproc"
printf '#!/bin/sh\nprintf "install ok installed"\n' >"$work/bin/dpkg-query"
chmod +x "$work/bin/"*

run() {  # level (empty: unset), then the script
    : >"$work/calls"
    if [ -n "$1" ]; then
        env PATH="$work/bin:$PATH" CMAKE_BUILD_PARALLEL_LEVEL="$1" DISPLAY= WAYLAND_DISPLAY= QT_QPA_PLATFORM= \
            "$work/repo/scripts/$2" >/dev/null 2>&1
    else
        env -u CMAKE_BUILD_PARALLEL_LEVEL PATH="$work/bin:$PATH" DISPLAY= WAYLAND_DISPLAY= QT_QPA_PLATFORM= \
            "$work/repo/scripts/$2" >/dev/null 2>&1
    fi
}
fail=0
expect() {  # description, then a grep pattern every build or test call must match
    if ! grep -q -e '--build\|^ctest' "$work/calls"; then
        echo "FAIL: $1: no build or test call"
        fail=1
    elif grep -e '--build\|^ctest' "$work/calls" | grep -v -q -e "$2"; then
        echo "FAIL: $1:"
        cat "$work/calls"
        fail=1
    fi
}

run 1 run-tests
expect "run-tests with the level 1" '\(-j 1 \|level=1\]$\)'
grep -q -e '-j 8' "$work/calls" && { echo "FAIL: run-tests used 8 jobs at level 1"; fail=1; }
run 1 run-app
expect "run-app with the level 1" 'level=1\]$'
grep -q -e '-j 8' "$work/calls" && { echo "FAIL: run-app used 8 jobs at level 1"; fail=1; }
run "" run-tests
expect "run-tests without a level" '-j 8'
exit $fail
