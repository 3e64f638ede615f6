#!/bin/sh
# Runs a Windows test program under Wine in the build's own prefix (QUARN_WINEPREFIX, else a
# prefix beside the build folders), quietly.
here=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX="${QUARN_WINEPREFIX:-$here/build-windows/wineprefix}"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
exec wine "$@"
