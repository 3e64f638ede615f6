#!/usr/bin/env bash
# Cross-builds the Windows DLLs and their tests with Debian's mingw-w64 and runs the tests under
# Wine:  scripts/build-windows.sh [i686|x86_64|all] [--no-test]   (default: all, with tests)
# Dependencies come from Debian's own source packages, fetched through a private APT
# configuration under build-windows/apt (the machine's own configuration stays untouched),
# cross-built once per architecture and cached under build-windows/deps/ARCH.
# 32-bit Windows programs run under Wine through qemu user emulation where the processor runs
# no 32-bit x86 code itself; the script registers it (root) and says so.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$(pwd)"
out="$root/build-windows"
arches=(i686 x86_64)
run_tests=1
for arg in "$@"; do
  case "$arg" in
    i686 | x86_64) arches=("$arg") ;;
    all) arches=(i686 x86_64) ;;
    --no-test) run_tests=0 ;;
    *) echo "usage: $0 [i686|x86_64|all] [--no-test]" >&2; exit 2 ;;
  esac
done
jobs=$(nproc)
launcher=$(command -v ccache || true)
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO=sudo
say() { printf '== %s\n' "$*"; }

# ---- Packages of this machine ---------------------------------------------------------------
need=(mingw-w64 cmake dpkg-dev binutils-mingw-w64 xvfb xauth wine wine64 fonts-wine)
need32=(wine32:i386 libgl1:i386 libglx-mesa0:i386 libgl1-mesa-dri:i386 libxrender1:i386
        libxrandr2:i386 libxi6:i386 libxcursor1:i386 libxxf86vm1:i386 libxcomposite1:i386
        libxinerama1:i386)
# Wine's 32-bit half is needed only to run the i686 build's tests.
i686_tests=0
[[ " ${arches[*]} " == *" i686 "* ]] && [ "$run_tests" = 1 ] && i686_tests=1
installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }
missing=()
missing32=()
for p in "${need[@]}"; do installed "$p" || missing+=("$p"); done
if [ "$i686_tests" = 1 ]; then
  for p in "${need32[@]}"; do installed "$p" || missing32+=("$p"); done
fi
apt_install() {
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends \
    -o DPkg::Lock::Timeout=600 "$@"
}
if [ ${#missing[@]} -gt 0 ] || [ ${#missing32[@]} -gt 0 ]; then
  say "installing ${missing[*]} ${missing32[*]}"
  # Wine's 32-bit half comes from the i386 architecture; installing it moves a few amd64
  # packages to the versions of their i386 twins.
  if [ ${#missing32[@]} -gt 0 ]; then
    dpkg --print-foreign-architectures | grep -qx i386 || $SUDO dpkg --add-architecture i386
  fi
  $SUDO apt-get update -qq ||
    say "apt-get update reported errors (a mirror out of step?); going on with the indexes it has"
  [ ${#missing[@]} -eq 0 ] || apt_install "${missing[@]}"
  # A mirror whose i386 index is out of step with the installed amd64 packages cannot install
  # 32-bit Wine at all: an obstacle outside the build, reported loudly, not a test failure
  # (QUARN_REQUIRE_I686_TESTS=1 makes it one).
  if [ ${#missing32[@]} -gt 0 ] && ! apt_install "${missing32[@]}"; then
    [ "${QUARN_REQUIRE_I686_TESTS:-0}" = 1 ] && { echo "32-bit Wine cannot be installed" >&2; exit 1; }
    say "SKIPPED: the i686 tests: the package mirror could not install 32-bit Wine (${missing32[*]}); the i686 DLLs are still built"
    i686_tests=0
  fi
fi

# ---- Private APT configuration: Debian's source packages and backports ----------------------
apt_dir="$out/apt"
private_apt() { # name, sources-file-content -> prints the APT_CONFIG path
  local d="$apt_dir/$1"
  mkdir -p "$d/parts" "$d/lists/partial" "$d/cache/archives/partial"
  printf '%s\n' "$2" > "$d/parts/main.sources"
  printf 'Dir::Etc::SourceList "/dev/null";\nDir::Etc::SourceParts "%s";\nDir::State::Lists "%s";\nDir::Cache "%s";\n' \
    "$d/parts" "$d/lists" "$d/cache" > "$d/apt.conf"
  echo "$d/apt.conf"
}
keyring=/usr/share/keyrings/debian-archive-keyring.gpg
src_conf=$(private_apt sources "Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: $keyring

Types: deb-src
URIs: http://deb.debian.org/debian-security
Suites: bookworm-security
Components: main
Signed-By: $keyring")
src="$out/deps/src"
mkdir -p "$src"
fetch_source() { # package, folder glob -> prints the unpacked folder
  local dir
  dir=$(find "$src" -maxdepth 1 -type d -name "$2" | head -n 1)
  if [ -z "$dir" ]; then
    [ -f "$apt_dir/sources/updated" ] || { APT_CONFIG=$src_conf apt-get update -qq && touch "$apt_dir/sources/updated"; }
    (cd "$src" && APT_CONFIG=$src_conf apt-get source -qq --download-only "$1" >/dev/null &&
      dpkg-source -x --no-check "$(ls -t "$1"_*.dsc | head -n 1)" >/dev/null)
    dir=$(find "$src" -maxdepth 1 -type d -name "$2" | head -n 1)
  fi
  [ -n "$dir" ] || { echo "could not unpack the source of $1" >&2; exit 1; }
  echo "$dir"
}
bullet_src=$(fetch_source bullet 'bullet-3.24*')
gtest_src=$(fetch_source googletest 'googletest-1.*')
jpeg_src=$(fetch_source libjpeg-turbo 'libjpeg-turbo-2.*')
freetype_src=$(fetch_source freetype 'freetype-2.*')

# ---- 32-bit code through qemu ----------------------------------------------------------------
can_run_i386() { /usr/lib/wine/wine --version >/dev/null 2>&1; }
if [ "$i686_tests" = 1 ] && ! can_run_i386; then
  qemu="$out/qemu/usr/bin/qemu-i386"
  if [ ! -x "$qemu" ]; then
    # bookworm's own qemu 7.2 needs about 45 s a Wine process; backports' 10 (qemu-user, whose
    # programs are static there) about 0.3 s.
    bp_conf=$(private_apt backports "Types: deb
URIs: http://deb.debian.org/debian
Suites: bookworm-backports
Components: main
Signed-By: $keyring")
    APT_CONFIG=$bp_conf apt-get update -qq
    mkdir -p "$out/qemu"
    (cd "$out/qemu" && APT_CONFIG=$bp_conf apt-get download -qq qemu-user >/dev/null &&
      dpkg-deb -x qemu-user_*.deb . && rm -f qemu-user_*.deb)
  fi
  say "this processor runs no 32-bit x86 code: registering $qemu for i386 programs (binfmt_misc)"
  $SUDO mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc 2>/dev/null || true
  [ -e /proc/sys/fs/binfmt_misc/qemu-i386 ] && echo -1 | $SUDO tee /proc/sys/fs/binfmt_misc/qemu-i386 >/dev/null
  echo ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:'"$qemu"':F' |
    $SUDO tee /proc/sys/fs/binfmt_misc/register >/dev/null
  can_run_i386 || { echo "32-bit Wine still cannot run: the i686 tests cannot run here" >&2; exit 1; }
fi

# ---- One Wine prefix (64-bit with its 32-bit half) for the tests of both architectures ------
export QUARN_WINEPREFIX="$out/wineprefix"
if [ "$run_tests" = 1 ] && [ ! -f "$QUARN_WINEPREFIX/system.reg" ]; then
  say "creating the Wine prefix $QUARN_WINEPREFIX"
  WINEARCH=win64 WINEPREFIX="$QUARN_WINEPREFIX" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" \
    wineboot -i >/dev/null 2>&1
fi
# Windows always has TrueType faces in its font folder, which the engine's FreeType fallback
# reads when GDI cannot build the font (the test window backend); a fresh Wine prefix has none
# there (Wine reads its own from its data folder), so Wine's Tahoma is put in.
if [ "$run_tests" = 1 ]; then
  for face in tahoma.ttf tahomabd.ttf; do
    [ -f "$QUARN_WINEPREFIX/drive_c/windows/Fonts/$face" ] ||
      cp "/usr/share/wine/fonts/$face" "$QUARN_WINEPREFIX/drive_c/windows/Fonts/"
  done
fi

# ---- quarn-ksf for this machine: it writes the demo's level and crate at build time ---------
host="$out/host"
say "quarn-ksf for this machine (the demo's data)"
cmake -S "$root" -B "$host" -DCMAKE_BUILD_TYPE=Release -DQUARN_BUILD_TESTS=OFF \
  -DQUARN_BUILD_BENCH=OFF -DQUARN_BUILD_PHYSICS=OFF -DCMAKE_C_COMPILER_LAUNCHER="$launcher" \
  -DCMAKE_CXX_COMPILER_LAUNCHER="$launcher" >/dev/null
cmake --build "$host" -j"$jobs" --target quarn-ksf >/dev/null

# ---- Per architecture: dependencies, the project, its tests ----------------------------------
for arch in "${arches[@]}"; do
  tc="$root/cmake/toolchains/mingw-$arch.cmake"
  deps="$out/deps/$arch"
  cross=(-DCMAKE_TOOLCHAIN_FILE="$tc" -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=OFF
         -DCMAKE_INSTALL_PREFIX="$deps" -DCMAKE_POLICY_DEFAULT_CMP0091=NEW)
  if [ ! -f "$deps/.bullet-done" ]; then
    say "$arch: Bullet (static, single precision)"
    cmake -S "$bullet_src" -B "$deps/bullet-build" "${cross[@]}" -DUSE_DOUBLE_PRECISION=OFF \
      -DBUILD_BULLET3=OFF -DBUILD_EXTRAS=OFF -DBUILD_CPU_DEMOS=OFF -DBUILD_OPENGL3_DEMOS=OFF \
      -DBUILD_BULLET2_DEMOS=OFF -DBUILD_UNIT_TESTS=OFF -DBUILD_PYBULLET=OFF \
      -DUSE_GRAPHICAL_BENCHMARK=OFF -DINSTALL_LIBS=ON -DCMAKE_DISABLE_FIND_PACKAGE_OpenGL=ON >/dev/null
    cmake --build "$deps/bullet-build" -j"$jobs" --target LinearMath BulletCollision BulletDynamics >/dev/null
    mkdir -p "$deps/lib" "$deps/include/bullet"
    cp "$deps"/bullet-build/lib/lib*.a "$deps/lib/"
    (cd "$bullet_src/src" && find . -name '*.h' -exec cp --parents {} "$deps/include/bullet/" \;)
    touch "$deps/.bullet-done"
  fi
  if [ ! -f "$deps/.gtest-done" ]; then
    say "$arch: googletest"
    cmake -S "$gtest_src" -B "$deps/gtest-build" "${cross[@]}" -Dgtest_disable_pthreads=OFF >/dev/null
    cmake --build "$deps/gtest-build" -j"$jobs" >/dev/null
    cmake --install "$deps/gtest-build" >/dev/null
    touch "$deps/.gtest-done"
  fi
  if [ ! -f "$deps/.jpeg-done" ]; then
    # No SIMD: its assembly needs nasm, and the decoder is not on a per-frame path.
    say "$arch: libjpeg-turbo (static, no SIMD)"
    cmake -S "$jpeg_src" -B "$deps/jpeg-build" "${cross[@]}" -DENABLE_SHARED=OFF -DENABLE_STATIC=ON \
      -DWITH_SIMD=OFF -DWITH_TURBOJPEG=OFF -DWITH_JPEG8=OFF -DCMAKE_SYSTEM_PROCESSOR="$arch" >/dev/null
    cmake --build "$deps/jpeg-build" -j"$jobs" >/dev/null
    cmake --install "$deps/jpeg-build" >/dev/null
    touch "$deps/.jpeg-done"
  fi
  if [ ! -f "$deps/.freetype-done" ]; then
    say "$arch: FreeType (static, no optional libraries)"
    cmake -S "$freetype_src" -B "$deps/freetype-build" "${cross[@]}" -DFT_DISABLE_ZLIB=ON \
      -DFT_DISABLE_BZIP2=ON -DFT_DISABLE_PNG=ON -DFT_DISABLE_HARFBUZZ=ON -DFT_DISABLE_BROTLI=ON >/dev/null
    cmake --build "$deps/freetype-build" -j"$jobs" >/dev/null
    cmake --install "$deps/freetype-build" >/dev/null
    touch "$deps/.freetype-done"
  fi
  build="$out/$arch"
  say "$arch: the DLLs and their tests"
  cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$tc" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DQUARN_WINDOWS_DEPS="$deps" -DQUARN_HOST_KSF="$host/tools/quarn-ksf" \
    -DQUARN_BUILD_TESTS=ON -DQUARN_BUILD_BENCH=OFF \
    -DCMAKE_C_COMPILER_LAUNCHER="$launcher" -DCMAKE_CXX_COMPILER_LAUNCHER="$launcher" >/dev/null
  cmake --build "$build" -j"$jobs"
  if [ "$run_tests" = 1 ] && { [ "$arch" != i686 ] || [ "$i686_tests" = 1 ]; }; then
    say "$arch: tests under Wine"
    # A Wine process that fails to start under load is tried again; a failing test still fails.
    # Wine has no offscreen GL: the window tests run on one virtual X server. One wineserver
    # and Wine's desktop services stay up for the whole run, started by wineboot with their
    # output closed: each test is its own Wine process, and services started by a test would
    # hold its output open (ctest waits on it) until the server shuts down after it.
    (cd "$build" && WINEPREFIX="$QUARN_WINEPREFIX" WINEDEBUG=-all \
      xvfb-run -a -s "-screen 0 1024x768x24 -noreset" sh -c '
        wineserver -p && wine wineboot </dev/null >/dev/null 2>&1 &&
          ctest -j"$1" --output-on-failure --timeout 300 --repeat until-pass:3
        rc=$?; wineserver -k; exit $rc' run-tests "$jobs")
  fi
done
