#!/usr/bin/env bash
# Sets up a fresh machine, builds Veltrix and runs vtx: its help, then a short demonstration on a
# temporary vault, a browsing session in the headless browser, and the editor when a display is there.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh release
build/release/bin/vtx --help
echo
scripts/demo.sh build/release/bin
echo
scripts/demo-browse.sh build/release/bin
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  echo
  scripts/demo-edit.sh build/release/bin
else
  echo
  echo "No display: to open the editor on a throw-away vault, run scripts/demo-edit.sh on a desktop."
fi
