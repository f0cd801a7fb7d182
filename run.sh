#!/usr/bin/env bash
# Builds Tallivor II and starts it.
cd "$(dirname "$0")"
source scripts/common.sh
ensure_packages "${BUILD_PACKAGES[@]}"
configure_and_build release
exec build/release/src/Tallivor2 "$@"
