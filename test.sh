#!/usr/bin/env bash
# Builds Tallivor II and runs every test.
cd "$(dirname "$0")"
source scripts/common.sh
ensure_packages "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}"
configure_and_build release
ctest --preset release
