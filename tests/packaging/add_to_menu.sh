#!/usr/bin/env bash
# add-to-menu.sh in folders named with the characters a shell, sed or a desktop entry treat
# specially: the entry it writes must be valid, and starting it must start the program in that
# folder (a stand-in that records where it was started from).
#   tests/packaging/add_to_menu.sh PACKAGING_DIR
set -euo pipefail
packaging=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
for name in 'a b' 'a&b' 'a|b' 'a%b' 'a"b' "a'b" 'a$b' 'a`b' 'a\b' 'a\\"$`%&|b'; do
    folder="$work/$name/Tallivor II"
    mkdir -p "$folder/icons"
    cp "$packaging/add-to-menu.sh" "$packaging/tallivor2.desktop" "$folder/"
    printf '#!/bin/sh\nprintf %%s "$0" > "%s/started"\n' "$work" >"$folder/Tallivor2"
    chmod +x "$folder/Tallivor2"
    rm -f "$work/started"
    entry="$work/home/.local/share/applications/tallivor2.desktop"
    HOME="$work/home" XDG_DATA_HOME= "$folder/add-to-menu.sh" >/dev/null
    if ! problems=$(desktop-file-validate "$entry" 2>&1) || [ -n "$problems" ]; then
        echo "folder '$name': $problems"
        failed=1
        continue
    fi
    gio launch "$entry" >/dev/null 2>&1 || true
    for _ in $(seq 50); do [ -s "$work/started" ] && break; sleep 0.05; done
    started=$(cat "$work/started" 2>/dev/null || true)
    icon=$(sed -n 's/^Icon=//p' "$entry" | sed 's/\\\\/\\/g')
    if [ "$started" != "$folder/Tallivor2" ] || [ "$icon" != "$folder/icons/tallivor2-64.png" ]; then
        echo "folder '$name': started [$started], icon [$icon]"
        failed=1
    fi
done
exit $failed
