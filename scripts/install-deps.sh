#!/usr/bin/env bash
# The Debian packages that building, running, testing and packaging the game
# need: a base list for every target, plus named groups that only some targets
# ask for (the Makefile passes them). Installs only those that are missing, so
# it is cheap to run before every build.
#
#   scripts/install-deps.sh               the base list
#   scripts/install-deps.sh windows ...   the base list and the named groups
set -euo pipefail

base=(
  cmake make g++ pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  libsdl2-dev libx11-dev libcli11-dev libpng-dev
  xvfb xdotool x11-utils x11-apps imagemagick python3
  # SDL's message box on X11 draws with the core X fonts; without them it fails
  # without a word and the input-method box never appears.
  xfonts-base
  # Installing and packaging: checks of the menu entry, the metadata and the
  # manual pages, and the Debian package's dependencies and lint.
  desktop-file-utils appstream man-db dpkg-dev file lintian
  # The fuzz targets: clang and its libFuzzer and sanitizer runtimes.
  clang libclang-rt-14-dev
  # The window's fullscreen is tested under a window manager.
  openbox
  # The browser build and its tests: emscripten, Node and npm for the test
  # driver (playwright-core), and Chromium to run the page headless.
  emscripten nodejs npm chromium
)

# The Windows build: the mingw-w64 cross compiler, wine to run its programs,
# NSIS for the installer; dpkg-source and Debian's archive key fetch and unpack
# Debian's own SDL2 source, which is cross-built once (scripts/windows-deps.sh).
# shellcheck disable=SC2034  # read below as "group_$name"
group_windows=(
  g++-mingw-w64-x86-64-posix wine64 nsis dpkg-dev debian-archive-keyring
)

packages=("${base[@]}")
for group in "$@"; do
  if [[ ! "$group" =~ ^[a-z0-9_]+$ ]] || ! declare -p "group_${group}" >/dev/null 2>&1; then
    known=$(compgen -A variable group_ | sed 's/^group_//' | tr '\n' ' ')
    echo "error: install-deps.sh: unknown package group '${group}' (known: ${known% })" >&2
    exit 2
  fi
  list="group_${group}[@]"
  packages+=("${!list}")
done

# One dpkg-query for the whole list (one per package costs seconds on every
# make); it fails for packages it has never heard of, which are missing too.
declare -A installed=()
while read -r name want ok state; do
  if [[ "$want $ok $state" == "install ok installed" ]]; then installed[$name]=1; fi
done < <(dpkg-query -W -f='${Package} ${Status}\n' "${packages[@]}" 2>/dev/null || true)
missing=()
for p in "${packages[@]}"; do
  # Node's own builds bundle npm and conflict with Debian's npm package: a
  # working npm command is enough.
  [[ "$p" == npm ]] && command -v npm >/dev/null && continue
  [[ -n "${installed[$p]:-}" ]] || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing missing packages: ${missing[*]}"
sudo=()
if [[ $(id -u) -ne 0 ]]; then
  command -v sudo >/dev/null || { echo "error: need root or sudo to install ${missing[*]}" >&2; exit 1; }
  sudo=(sudo)
fi
# No questions asked while installing. Passed through env because sudo drops
# the caller's environment. Others may be running apt at the same moment: wait
# for the lock, not fail.
apt=("${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=900)
"${apt[@]}" update -qq
"${apt[@]}" install -y -qq --no-install-recommends "${missing[@]}"
