#!/usr/bin/env bash
# The main job: build the plug-in and the host tool, then render the demo phrase through the real
# ZEM-Quorveline.so with its built-in default program into demo.wav.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/configure.sh
build_dir="${QUORVELINE_BUILD_DIR:-build}"
cmake --build "$build_dir" --target QuorvelinePlugin_VST quorveline-host -j "$(nproc)"
plugin=$(find "$build_dir/plugin" -name 'ZEM-Quorveline.so' -path '*VST*' | head -n 1)
"$build_dir/tools/host/quorveline-host" render "$plugin" --out demo.wav "$@"
