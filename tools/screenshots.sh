#!/usr/bin/env bash
# Builds the screenshot tool and writes a PNG of every family page tab and of the Configuration,
# About and Global MSR windows into docs/screenshots/, without a display: each page from the
# simulated profile that has its registers (kPages in tools/screenshots/Screenshots.cpp), after its
# 1.5 s watches fired. The README and the guides in docs/pages show every one of them.
#   tools/screenshots.sh [BUILD_FOLDER]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
[ -f "$build/CMakeCache.txt" ] || cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target zandro_screenshots -j 2
rm -f docs/screenshots/*.png
QT_QPA_PLATFORM=offscreen "$build/tools/screenshots/zandro_screenshots" docs/screenshots
