#!/usr/bin/env bash
# Installs what is missing and configures the Release build in ./build (or $QUORVELINE_BUILD_DIR).
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
build_dir="${QUORVELINE_BUILD_DIR:-build}"
if [ ! -f "$build_dir/build.ninja" ]; then
  cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release "$@"
fi
