#!/usr/bin/env bash
# Builds Tallivor II and runs every test, the real-window run (tests/e2e/e2e.sh) included.
cd "$(dirname "$0")"
source scripts/common.sh
source scripts/xsession.sh
ensure_packages "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}" "${X_PACKAGES[@]}" "${BUS_PACKAGES[@]}"
configure_and_build release
ctest --preset release
