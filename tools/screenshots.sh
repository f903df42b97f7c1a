#!/usr/bin/env bash
# Builds the screenshot tool and writes a PNG of every family page tab and of the Configuration,
# About and Global MSR windows into docs/screenshots/, from the simulated profiles, without a
# display.   tools/screenshots.sh [BUILD_FOLDER]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
[ -f "$build/CMakeCache.txt" ] || cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target zandro_screenshots -j 2
rm -f docs/screenshots/*.png
QT_QPA_PLATFORM=offscreen "$build/tools/screenshots/zandro_screenshots" docs/screenshots
