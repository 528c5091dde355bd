# Debian packages the build, the program and the tests need; sourced by the
# run and test scripts. Installs whatever is missing, once.

BUILD_PACKAGES="cmake g++ make qt6-base-dev qt6-multimedia-dev libgl-dev"
RUN_PACKAGES="qt6-qpa-plugins libqt6multimedia6 fonts-liberation fonts-texgyre fonts-urw-base35 fonts-lato"
TEST_PACKAGES="libgtest-dev googletest xvfb x11-apps x11-utils xdotool imagemagick pulseaudio pulseaudio-utils sox dbus libfaketime faketime llvm-14 at-spi2-core python3-pyatspi desktop-file-utils appstream dpkg-dev"

ensure_packages() {
    local missing=()
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q '^install ok installed$' || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}
