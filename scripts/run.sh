#!/usr/bin/env bash
# Sets up a fresh machine, builds Veltrix and runs vtx: its help, then a short demonstration on a
# temporary vault.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh release
build/release/bin/vtx --help
echo
scripts/demo.sh build/release/bin
