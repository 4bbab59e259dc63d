#!/usr/bin/env bash
# Sets up, builds and runs the whole test suite headless (offscreen Mesa, Xvfb).
set -eu
cd "$(dirname "$0")/.."
bash scripts/build.sh
cd build
ctest --output-on-failure -j"$(nproc)"
