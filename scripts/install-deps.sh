#!/usr/bin/env bash
# The Debian packages that building, running, testing and packaging the game
# need: a base list for every target, plus named groups that only the targets
# that use them ask for (the Makefile passes them), so that `make run` installs
# what the game needs and nothing of the tests, the browser or Windows.
# Installs only those that are missing, so it is cheap to run before every
# build.
#
#   scripts/install-deps.sh               the base list
#   scripts/install-deps.sh unit test ... the base list and the named groups
set -euo pipefail

# The major version of the clang this release installs (14 on Debian 12, 19 on
# Debian 13, 18 on Ubuntu 24.04), which names its runtimes' package: the
# package "clang" depends on "clang-N".
clang_version() {
  { apt-cache depends clang 2>/dev/null || dpkg-query -W -f='${Depends}' clang 2>/dev/null; } |
    grep -o 'clang-[0-9][0-9]*' | head -n 1 | cut -d- -f2
}

# Building and running the game: what `make run`, `make install` and `make
# package` need, and no more.
base=(
  cmake make g++ pkg-config libsdl2-dev libx11-dev libcli11-dev libpng-dev
  # SDL's message box on X11 draws with the core X fonts; without them it fails
  # without a word and the input-method box never appears.
  xfonts-base
)

# shellcheck disable=SC2034  # the groups are read below as "group_$name"
{
  # The Debian package: its dependencies come from dpkg-shlibdeps.
  group_package=(dpkg-dev file)
  # The unit tests' library (the sanitizer and fuzz builds compile them too).
  group_unit=(libgtest-dev libgmock-dev)
  # The benchmarks.
  group_bench=(libbenchmark-dev)
  # The rest of `make test`: the real window under Xvfb (fullscreen under a
  # window manager), the checks of the installed menu entry, metadata and
  # manual pages, and the package's lint.
  group_test=(
    xvfb xdotool x11-utils x11-apps imagemagick python3 openbox
    desktop-file-utils appstream man-db lintian
  )
  # The browser build.
  group_web=(emscripten)
  # The browser tests: Node and npm for the test driver (playwright-core), and
  # Chromium to run the page headless.
  group_browser=(nodejs npm chromium)
  # The fuzz targets: clang and the libFuzzer and sanitizer runtimes of the
  # clang version this release installs (its package name carries it).
  group_fuzz=(clang libclang-rt-CLANG-dev)
  # The Windows build: the mingw-w64 cross compiler, wine to run its programs,
  # NSIS for the installer, Python to pack the exe's icon; dpkg-source and
  # Debian's archive key fetch and unpack Debian's own SDL2 source, which is
  # cross-built once (scripts/windows-deps.sh).
  group_windows=(g++-mingw-w64-x86-64-posix wine64 nsis python3 dpkg-dev debian-archive-keyring)
}

packages=("${base[@]}")
for group in "$@"; do
  if [[ ! "$group" =~ ^[a-z0-9_]+$ ]] || ! declare -p "group_${group}" >/dev/null 2>&1; then
    known=$(compgen -A variable group_ | sed 's/^group_//' | tr '\n' ' ')
    echo "error: install-deps.sh: unknown package group '${group}' (known: ${known% })" >&2
    exit 2
  fi
  list="group_${group}[@]"
  for p in "${!list}"; do
    if [[ "$p" == *-CLANG-* ]]; then
      version=${version:-$(clang_version)}
      if [[ -z "$version" ]]; then
        echo "error: install-deps.sh: apt knows no clang package (run apt-get update?)" >&2
        exit 1
      fi
      p=${p/CLANG/$version}
    fi
    packages+=("$p")
  done
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
