#!/usr/bin/env bash
# Renders every Qt dialog to docs/screenshots (offscreen), after building the debug preset.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh debug >/dev/null
mkdir -p docs/screenshots
QT_QPA_PLATFORM=offscreen build/debug/bin/render_dialogs docs/screenshots
QT_QPA_PLATFORM=offscreen build/debug/bin/render_identity_sheet docs/screenshots
QT_QPA_PLATFORM=offscreen build/debug/bin/vtxedit --screenshots docs/screenshots
QT_QPA_PLATFORM=offscreen build/debug/bin/launcher_pictures screenshots docs/screenshots
# The browser window on the demonstration site (the page renderer's sandbox cannot start as root).
QT_QPA_PLATFORM=offscreen QTWEBENGINE_DISABLE_SANDBOX=1 build/debug/bin/render_browser docs/screenshots
