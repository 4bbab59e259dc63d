#!/usr/bin/env bash
# Configures and builds the show, its files and its tests into build/.
set -eu
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)"
