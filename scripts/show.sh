#!/usr/bin/env bash
# Sets up, builds and starts the show in a window. Escape ends it.
set -eu
cd "$(dirname "$0")/.."
bash scripts/build.sh
cd build/show
exec ./kessivar -window "$@"
