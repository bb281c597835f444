# Installs the Debian packages a build needs, when any is missing.
# Sourced by the run and test scripts; takes the package names as arguments.
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

TVX_BUILD_PACKAGES=(g++ cmake ninja-build qt6-base-dev libgl-dev libhwy-dev libqt6svg6)
TVX_TEST_PACKAGES=(libgtest-dev libgmock-dev libbenchmark-dev desktop-file-utils)
