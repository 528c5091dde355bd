# Debian packages the build, the program and the tests need on a minimal
# Debian 12 or 13, named without versions so that both releases have them;
# sourced by the run, test and install scripts. Installs whatever is missing,
# once, as root or through sudo.

# file and dpkg-dev: CPack reads the libraries the package links against.
# qt6-wayland: Debian 12's qt6-wayland-dev has CMake check for plugin files
# that only qt6-wayland installs, and stop the configure without them.
BUILD_PACKAGES="cmake g++ make pkgconf qt6-base-dev libgl-dev libpulse-dev libasound2-dev file dpkg-dev libxss-dev qt6-base-private-dev qt6-wayland-dev qt6-wayland wayland-protocols"
RUN_PACKAGES="qt6-qpa-plugins qt6-wayland libpulse0 fonts-liberation fonts-texgyre fonts-urw-base35 fonts-lato"
TEST_PACKAGES="libgtest-dev googletest xvfb x11-apps x11-utils xdotool imagemagick pulseaudio pulseaudio-utils pipewire pipewire-pulse wireplumber libasound2-plugins sox dbus libfaketime faketime llvm at-spi2-core python3-pyatspi desktop-file-utils appstream lintian weston qt6-gtk-platformtheme libbenchmark-dev python3-xlib sway swayidle"

missing_packages() {
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q '^install ok installed$' || echo "$p"
    done
}

# The packages apt knows no installable version of, after an update.
unavailable_packages() {
    for p in "$@"; do
        case "$(apt-cache policy "$p" 2>/dev/null)" in
            *"Candidate: ("* | "") echo "$p" ;;
        esac
    done
}

# One clear sentence instead of a bare "command not found" or a sudo refusal.
explain_packages() {
    echo "bellwarden: these Debian packages are missing: $*." \
        "Install them as root with: su -c 'apt-get update && apt-get install $*'" >&2
}

# Runs a command as root, through sudo when needed; fails when neither is possible.
as_root() {
    if [ "$(id -u)" -eq 0 ]; then
        "$@"
    elif command -v sudo >/dev/null; then
        sudo "$@"
    else
        return 127
    fi
}

ensure_packages() {
    local missing
    missing=$(missing_packages "$@" | tr '\n' ' ')
    missing=${missing% }
    [ -n "$missing" ] || return 0
    [ "$(id -u)" -eq 0 ] || command -v sudo >/dev/null || { explain_packages "$missing"; exit 1; }
    echo "Installing: $missing"
    if ! as_root apt-get update -qq; then
        explain_packages "$missing"
        exit 1
    fi
    local unknown
    unknown=$(unavailable_packages $missing | tr '\n' ' ')
    if [ -n "$unknown" ]; then
        echo "bellwarden: this Debian release has no package named: ${unknown% }." >&2
        exit 1
    fi
    # shellcheck disable=SC2086 # one word a package
    if ! as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $missing; then
        explain_packages "$missing"
        exit 1
    fi
}
