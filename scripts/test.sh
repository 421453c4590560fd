#!/usr/bin/env bash
# Builds everything and runs every test (unit tests and the real binaries through the host tool).
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/configure.sh
build_dir="${QUORVELINE_BUILD_DIR:-build}"
cmake --build "$build_dir" -j "$(nproc)"
ctest --test-dir "$build_dir" --output-on-failure -j "$(nproc)"
