#!/usr/bin/env bash
# Formats the project's C++ sources in place (--check: only report, non-zero exit when something
# would change). The interface declarations and generated tables keep their own layout.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.cpp' '*.h' | grep -v '^platform/' | grep -v '^engine/OscTables.cpp$')
if [ "${1:-}" = "--check" ]; then
  clang-format --dry-run -Werror "${files[@]}"
else
  clang-format -i "${files[@]}"
fi
