#!/bin/sh
# Installs every Debian 12 package the build, the program and the tests need.
# file: how xdg-open tells a help file from a page where no desktop
# environment runs. netsurf-gtk: a small browser that opens the printed
# lists, and the program handling text/html without which xchm shows the
# help's pages as their source.
set -e
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO=sudo
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update
$SUDO apt-get install -y --no-install-recommends \
    g++ make cmake pkg-config \
    qt6-base-dev qt6-base-dev-tools qt6-webengine-dev libgl1-mesa-dev \
    libsqlcipher-dev libssl-dev sqlcipher sqlite3 \
    libx11-dev libxkbcommon-dev \
    fp-utils xdg-utils file xchm netsurf-gtk \
    qt6-translations-l10n \
    xvfb xauth fonts-dejavu-core
