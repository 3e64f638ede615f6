#!/usr/bin/env bash
# usage: run_install_test.sh BUILD_DIR WORK_DIR C_COMPILER GENERATOR [PYTHON]
# Installs BUILD_DIR into WORK_DIR/prefix, then builds and runs the consumer through
# find_package and through pkg-config, runs the installed viewer and imports the installed
# Python package.
set -euo pipefail
build=$1 work=$2 cc=$3 generator=$4 python=${5:-}
here=$(cd "$(dirname "$0")" && pwd)
prefix=$work/prefix
rm -rf "$work"
mkdir -p "$work"
cmake --install "$build" --prefix "$prefix" >"$work/install.log"
[ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] || export SDL_VIDEODRIVER=offscreen

libdir=$(dirname "$(find "$prefix" -name libQuarnGL.so -print -quit)")
for lib in QuarnGL QuarnPhysics; do
  soname=$(objdump -p "$libdir/lib$lib.so" | awk '$1 == "SONAME" {print $2}')
  [[ $soname =~ ^lib$lib\.so\.[0-9]+$ ]] || { echo "lib$lib.so: soname '$soname'"; exit 1; }
  [ -e "$libdir/$soname" ] || { echo "$soname not installed"; exit 1; }
done
for header in QuarnExposedTypes.h QuarnGL.h QuarnPhysics.h QuarnLink.h; do
  [ -f "$prefix/include/quarn/$header" ] || { echo "include/quarn/$header missing"; exit 1; }
done

echo "== find_package(Quarn)"
cmake -S "$here/consumer" -B "$work/cmake-consumer" -G "$generator" \
  -DCMAKE_C_COMPILER="$cc" -DCMAKE_PREFIX_PATH="$prefix" >"$work/configure.log"
cmake --build "$work/cmake-consumer" >"$work/build.log"
"$work/cmake-consumer/consumer"

echo "== pkg-config quarn-gl quarn-physics"
flags=$(PKG_CONFIG_PATH="$libdir/pkgconfig" pkg-config --cflags --libs quarn-gl quarn-physics)
"$cc" -std=c99 -Wall -Wextra -Wpedantic -Werror -o "$work/pc-consumer" \
  "$here/consumer/consumer.c" $flags -lm -Wl,-rpath,"$libdir"
"$work/pc-consumer"

echo "== installed quarn-view finds the library through its run path"
"$prefix/bin/quarn-view" "$here/../data/view/hills.bmp" --frames 2 --output "$work/view.bmp"
[ -s "$work/view.bmp" ] || { echo "quarn-view wrote no image"; exit 1; }

if [ -n "$python" ] && [ -d "$prefix/lib/python3/dist-packages/quarn" ]; then
  echo "== installed Python package finds the libraries beside it"
  env -u QUARN_LIBRARY_PATH PYTHONPATH="$prefix/lib/python3/dist-packages" "$python" -c '
import quarn
world = quarn.physics.qpWorldCreate()
assert world, "no world"
quarn.physics.qpWorldDestroy(world)
print("python: loaded", quarn.gl_library_path(), "and", quarn.physics_library_path())'
fi
