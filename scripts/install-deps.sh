#!/usr/bin/env bash
# Installs every Debian package needed to build, test and try Vaddex.
# Safe to run again: apt-get skips what is already installed.
set -euo pipefail

packages=(
    # build
    cmake make ninja-build g++ pkg-config ccache
    qt6-base-dev libqt6svg6 libserialport-dev libusb-1.0-0-dev libjpeg62-turbo-dev libpng-dev libgtest-dev
    # the calculator as a folder
    libfuse3-dev fuse3
    # tests, screenshots, fuzzers, the layout check
    clang-format lrzsz socat rsync procps xvfb xauth x11-apps x11-xserver-utils openbox xdotool imagemagick clang libclang-rt-14-dev
    # installing and packaging: icon pictures, checks of the installed files, the .deb
    librsvg2-bin gzip file desktop-file-utils appstream man-db bash-completion dpkg-dev lintian
    # the MIME types' check: outside a desktop xdg-mime asks libfile-mimeinfo-perl, else `file`,
    # which knows no added types
    shared-mime-info libxml2-utils xdg-utils libfile-mimeinfo-perl
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    echo "install-deps: all packages present"
    exit 0
fi

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
    sudo_cmd=(sudo)
fi

export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -q
"${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
