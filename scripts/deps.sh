# Installs the Debian packages a build needs, when any is missing, and
# configures a build folder from its preset.
# Sourced by the run and test scripts.

# Takes the package names as arguments.
tvx_install_missing() {
    local missing=()
    for pkg in "$@"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || missing+=("$pkg")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing missing packages: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# Configures build/<preset> with the options given, which override whatever
# the folder was configured with before. A folder that cannot be
# reconfigured (made by hand with another generator, say) is configured
# afresh.
tvx_configure() {
    local preset=$1
    shift
    cmake --preset "$preset" "$@" >/dev/null && return 0
    echo "Configuring build/$preset afresh"
    rm -rf "build/$preset/CMakeCache.txt" "build/$preset/CMakeFiles"
    cmake --preset "$preset" "$@" >/dev/null
}

# ccache is optional: the builds use it when it is there.
TVX_BUILD_PACKAGES=(g++ cmake ninja-build qt6-base-dev qt6-charts-dev libqt6opengl6-dev qt6-svg-dev libgl-dev libhwy-dev libqt6svg6 libcli11-dev nlohmann-json3-dev libboost-dev libeigen3-dev ccache)
# Making the Debian package (and installing): pandoc turns the manual pages'
# Markdown into roff; dpkg-shlibdeps computes the package's dependencies.
TVX_PACKAGE_PACKAGES=(pandoc dpkg-dev fakeroot)
# The fuzzing harnesses (the fuzz preset, scripts/fuzz) are built by clang
# with its libFuzzer, which libclang-rt-14-dev holds.
TVX_FUZZ_PACKAGES=(clang libclang-rt-14-dev)
# The package test also checks the package (lintian) and its AppStream
# metadata (appstreamcli). Xvfb, openbox and xprop (x11-utils) run the tests
# of what only a window manager shows, and with dbus, at-spi2-core and
# python3-pyatspi the walk over the accessibility bus; without them those
# tests are skipped.
TVX_TEST_PACKAGES=(libgtest-dev libgmock-dev libbenchmark-dev desktop-file-utils python3 clang-format "${TVX_PACKAGE_PACKAGES[@]}" lintian appstream xvfb openbox x11-utils dbus at-spi2-core python3-pyatspi "${TVX_FUZZ_PACKAGES[@]}")
# Only for the studies in bench/ (the neural-net trainings' comparison,
# bench/nn_compare.py); no test needs them.
TVX_STUDY_PACKAGES=(python3-numpy python3-sklearn)
# A virtual X server and a keyboard driver for running the program unseen.
TVX_HEADLESS_PACKAGES=(xvfb xdotool)
