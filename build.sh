#!/usr/bin/env bash
# Vantora: install what the build needs, build, then run the program or the tests.
#   ./build.sh run    build and start the program from build/disc on the sample archive
#   ./build.sh test   build and run every test (headless)
#   ./build.sh package  build the Debian package and install it (menu entry "Vantora")
set -euo pipefail
cd "$(dirname "$0")"

# qt6-translations-l10n: the toolkit's own texts in German; fonts-liberation: a sans-serif
# with Arial's widths, so texts are laid out as designed; libxcb1-dev: frame hints on X11.
PACKAGES=(build-essential cmake pkg-config ccache qt6-base-dev libgl-dev libsqlite3-dev sqlite3
          pxlib-dev libxxhash-dev qt6-translations-l10n fonts-liberation libxcb1-dev)
# Packaging, and the screen-reader test over the accessibility bus.
PACKAGES+=(dpkg-dev file at-spi2-core python3-pyatspi dbus-daemon xvfb xauth qt6-qpa-plugins)
# The key latency measured through an X server (bench/keylatency).
PACKAGES+=(libx11-dev libxtst-dev)
# The archive on a PostgreSQL server: the client library, and the server the checks start a
# throw-away cluster of (tests/server/cluster.sh).
PACKAGES+=(libpq-dev postgresql)

install_packages() {
    local missing=()
    for p in "${PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    echo "Installing: ${missing[*]}"
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq "${missing[@]}"
}

build() {
    local dir=$1; shift
    cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
    cmake --build "$dir" -j"$(nproc)"
}

case "${1:-run}" in
run)
    install_packages
    build build
    cd build/disc
    # The first start records nothing but asks for the engine installer; once the installer
    # has run, start again.
    status=0
    ./vantora || status=$?
    if [ "$status" -eq 2 ]; then
        sleep 2
        ./vantora
    fi
    ;;
test)
    install_packages
    build build
    export QT_QPA_PLATFORM=offscreen
    # The server tests fail, rather than skip, when no cluster can be started.
    export VANTORA_REQUIRE_SERVER=1
    ctest --test-dir build --output-on-failure -j2
    ;;
package)
    install_packages
    # The menu entry names the installed data folder, so the build is set up for /usr.
    build build -DCMAKE_INSTALL_PREFIX=/usr
    (cd build && cpack -G DEB)
    sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    # apt-get installs what the package depends on as well.
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq "$PWD/build/vantora_3.5c_amd64.deb"
    ;;
*)
    echo "usage: $0 run|test|package" >&2
    exit 64
    ;;
esac
