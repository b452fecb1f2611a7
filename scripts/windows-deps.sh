#!/usr/bin/env bash
# The libraries the Windows build links, cross-built once with mingw-w64 and
# kept in BUILD_DIR/deps/, one folder per library named by its Debian version,
# so that a second `make windows` reuses them:
#
#   SDL2-VERSION/        SDL2 from Debian's own source (static and DLL)
#   googletest-VERSION/  GoogleTest and GoogleMock from /usr/src/googletest
#   CLI11-VERSION/       CLI11's headers and CMake package, copied
#
# The versions are those of the build machine's own packages (libsdl2-dev,
# googletest, libcli11-dev), so the Windows game is built against the same
# libraries as the Linux one. Writes BUILD_DIR/deps/windows-deps.cmake, a
# CMake cache script naming the folders (`cmake -C` it with the toolchain
# cmake/mingw-w64-x86_64.cmake).
#
#   scripts/windows-deps.sh [BUILD_DIR]     (default: build-win)
#
# SDL2's source comes through a private apt source list under the deps
# folder: the system's apt configuration is never touched.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build_dir=$(realpath -m "${1:-$root/build-win}")
deps="$build_dir/deps"
toolchain="$root/cmake/mingw-w64-x86_64.cmake"

die() {
  echo "error: windows-deps.sh: $*" >&2
  exit 1
}

for tool in x86_64-w64-mingw32-g++-posix x86_64-w64-mingw32-gcc-posix apt-get dpkg-source cmake; do
  command -v "$tool" >/dev/null || die "$tool is missing (scripts/install-deps.sh windows installs it)"
done
package_version() {
  dpkg-query -W -f='${db:Status-Status} ${Version}\n' "$1" 2>/dev/null |
    awk '$1 == "installed" { print $2 }'
}

generator=()
command -v ninja >/dev/null && generator=(-G Ninja)
# Two jobs at a lower priority: others may share the machine's cores.
build() { nice -n 10 cmake --build "$1" -j 2 >/dev/null; }
configure() {
  cmake "${generator[@]}" --toolchain "$toolchain" -DCMAKE_BUILD_TYPE=Release \
    -Wno-dev --log-level=WARNING "$@" >/dev/null
}

# A folder is in use only once it is complete: an interrupted build leaves no
# marker and is started again from scratch.
is_complete() { [[ -f "$1/.complete" ]]; }
fresh() {
  rm -rf "$1" "$deps/work/$(basename "$1")"
  mkdir -p "$deps/work/$(basename "$1")"
}

mkdir -p "$deps/work"

# ---- SDL2 ------------------------------------------------------------------
sdl_version=$(package_version libsdl2-dev)
[[ -n "$sdl_version" ]] || die "libsdl2-dev is not installed (scripts/install-deps.sh installs it)"
sdl_prefix="$deps/SDL2-$sdl_version"
if ! is_complete "$sdl_prefix"; then
  fresh "$sdl_prefix"
  work="$deps/work/SDL2-$sdl_version"
  echo "Fetching Debian's SDL2 $sdl_version source"
  # The archive that has the installed version, as apt knows it.
  archive=$(apt-cache madison libsdl2-dev |
    awk -F' [|] ' -v v="$sdl_version" '$2 == v { print $3; exit }')
  read -r uri suite_component _ <<<"$archive"
  [[ -n "$uri" && "$suite_component" == */* ]] ||
    die "no archive offers libsdl2-dev $sdl_version (apt-cache madison libsdl2-dev)"
  keyring=/usr/share/keyrings/debian-archive-keyring.gpg
  [[ -r "$keyring" ]] || die "$keyring is missing (package debian-archive-keyring)"
  mkdir -p "$work/lists/partial" "$work/cache/archives/partial"
  echo "deb-src [signed-by=$keyring] $uri ${suite_component%%/*} ${suite_component#*/}" \
    >"$work/sources.list"
  apt=(apt-get -q -o Dir::Etc::SourceList="$work/sources.list" -o Dir::Etc::SourceParts=/dev/null
    -o Dir::State::Lists="$work/lists" -o Dir::Cache="$work/cache"
    -o Dir::Cache::pkgcache= -o Dir::Cache::srcpkgcache=)
  # As root, apt would hand the download to its own user, who may not enter
  # the build folder.
  [[ $(id -u) -eq 0 ]] && apt+=(-o APT::Sandbox::User=root)
  "${apt[@]}" update >"$work/apt.log" 2>&1 || { cat "$work/apt.log" >&2; die "apt-get update failed"; }
  (cd "$work" && "${apt[@]}" source --download-only "libsdl2=$sdl_version") >>"$work/apt.log" 2>&1 ||
    { cat "$work/apt.log" >&2; die "cannot download the source of libsdl2 $sdl_version"; }
  dsc=$(ls "$work"/libsdl2_*.dsc)
  dpkg-source -x "$dsc" "$work/src" >>"$work/apt.log" 2>&1 ||
    { cat "$work/apt.log" >&2; die "cannot unpack $dsc"; }
  echo "Cross-building SDL2 $sdl_version (a few minutes, once)"
  configure -S "$work/src" -B "$work/build" -DCMAKE_INSTALL_PREFIX="$sdl_prefix" \
    -DSDL_SHARED=ON -DSDL_STATIC=ON -DSDL_TEST=OFF
  build "$work/build"
  cmake --install "$work/build" >/dev/null
  touch "$sdl_prefix/.complete"
fi

# ---- GoogleTest ------------------------------------------------------------
gtest_version=$(package_version googletest)
[[ -n "$gtest_version" && -f /usr/src/googletest/CMakeLists.txt ]] ||
  die "googletest is not installed (/usr/src/googletest; package googletest)"
gtest_prefix="$deps/googletest-$gtest_version"
if ! is_complete "$gtest_prefix"; then
  fresh "$gtest_prefix"
  echo "Cross-building GoogleTest $gtest_version"
  work="$deps/work/googletest-$gtest_version"
  configure -S /usr/src/googletest -B "$work/build" -DCMAKE_INSTALL_PREFIX="$gtest_prefix"
  build "$work/build"
  cmake --install "$work/build" >/dev/null
  touch "$gtest_prefix/.complete"
fi

# ---- CLI11 -----------------------------------------------------------------
# Copied rather than found in /usr: its CMake package, found there, would add
# the build machine's /usr/include to every Windows compile.
cli_version=$(package_version libcli11-dev)
[[ -n "$cli_version" && -d /usr/include/CLI ]] || die "libcli11-dev is not installed"
cli_prefix="$deps/CLI11-$cli_version"
if ! is_complete "$cli_prefix"; then
  fresh "$cli_prefix"
  mkdir -p "$cli_prefix/include" "$cli_prefix/share/cmake"
  cp -r /usr/include/CLI "$cli_prefix/include/"
  # The package's files find their headers relative to themselves.
  cp -r /usr/share/cmake/CLI11 "$cli_prefix/share/cmake/"
  touch "$cli_prefix/.complete"
fi

rm -rf "$deps/work"
cat >"$deps/windows-deps.cmake" <<EOF
# Written by scripts/windows-deps.sh: the cross-built libraries of the Windows build.
set(VOLTARO5_WINDOWS_DEPS "$sdl_prefix;$gtest_prefix;$cli_prefix" CACHE STRING
    "Folders holding the Windows builds of the libraries" FORCE)
EOF
