#!/usr/bin/env bash
# Sets up a fresh machine, builds Veltrix and runs vtx: its help, then a short demonstration on a
# temporary vault, and a browsing session in the headless browser.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh release
build/release/bin/vtx --help
echo
scripts/demo.sh build/release/bin
echo
scripts/demo-browse.sh build/release/bin
