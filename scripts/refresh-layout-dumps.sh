#!/usr/bin/env bash
# Writes the reference dumps of tests/ui/data/layout again from the current build.
# Run it only when a layout change is meant; review the diff before committing it.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${BUILD_DIR:-build}
cmake --build "$BUILD_DIR" --target qv_ui_tests
QT_QPA_PLATFORM=offscreen QV_REFRESH_LAYOUT_DUMPS=1 \
    "$BUILD_DIR/tests/ui/qv_ui_tests" --gtest_filter='Dumps/NestedLayout.*'
git status --short tests/ui/data/layout
