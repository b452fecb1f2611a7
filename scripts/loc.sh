#!/usr/bin/env bash
# The share of test code in the repository, counted as a reader would: every
# C++, Python, JavaScript, shell, HTML and CMake file git tracks is code; the
# files under tests/ and the test, fuzz, soak, mutation and package-check
# scripts are test code. Prints the lines per layer and the share.
#
#   scripts/loc.sh            the table and the share
#   scripts/loc.sh --max 35   the same, and fails when the share is above 35 %
set -euo pipefail
cd "$(dirname "$0")/.."

max=""
[[ "${1:-}" == --max ]] && max=${2:?--max takes a percentage}

code_files() {
  git ls-files -- '*.cpp' '*.h' '*.py' '*.mjs' '*.js' '*.sh' '*.html' '*.cmake' \
    '*CMakeLists.txt' '.ci/run' Makefile
}
is_test() {
  case "$1" in
    tests/* | scripts/fuzz.sh | scripts/soak.sh | scripts/mutants.sh | \
      scripts/check-package.py) return 0 ;;
    *) return 1 ;;
  esac
}

declare -A per_folder=()
total=0
tests=0
while read -r file; do
  [[ -f "$file" ]] || continue
  lines=$(wc -l <"$file")
  total=$((total + lines))
  if is_test "$file"; then
    tests=$((tests + lines))
    folder=tests
  else
    folder=${file%%/*}
    [[ "$folder" == "$file" ]] && folder=.
  fi
  per_folder[$folder]=$((${per_folder[$folder]:-0} + lines))
done < <(code_files)

for folder in "${!per_folder[@]}"; do printf '%7d  %s\n' "${per_folder[$folder]}" "$folder"; done |
  sort -rn
share=$((tests * 1000 / total))
printf 'tests: %d of %d lines, %d.%d %%\n' "$tests" "$total" $((share / 10)) $((share % 10))
if [[ -n "$max" ]] && ((share > max * 10)); then
  echo "loc: the tests are more than $max % of the code" >&2
  exit 1
fi
