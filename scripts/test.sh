#!/usr/bin/env bash
# Sets up a fresh machine, builds Veltrix with its tests and runs them all.
# PRESET=asan runs them under AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
preset=${PRESET:-debug}
scripts/install-deps.sh
scripts/check-format.sh
scripts/build.sh "$preset"
ctest --preset "$preset" -j"$(nproc)"
