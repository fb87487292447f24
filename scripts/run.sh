#!/usr/bin/env bash
# Sets up a fresh machine, builds Veltrix and runs vtx: its help, then a short demonstration on a
# temporary vault and a browsing session in the headless browser; when a display is there, the
# browser window opens on the demonstration site with a demonstration vault.
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
  scripts/demo-browser.sh build/release/bin
else
  echo
  echo "No display: on a desktop, scripts/demo-browser.sh opens the browser on the demonstration"
  echo "site with a throw-away vault, and scripts/demo-edit.sh opens the editor on one."
fi
