#!/bin/sh
# Puts Tallivor II into this user's application menu, pointing at this folder.
# Run it again after moving the folder.
set -e
here=$(cd "$(dirname "$0")" && pwd)
apps="${XDG_DATA_HOME:-$HOME/.local/share}/applications"
mkdir -p "$apps"
sed -e "s|^Exec=.*|Exec=\"$here/Tallivor2\"|" \
    -e "s|^Icon=.*|Icon=$here/icons/tallivor2-64.png|" \
    "$here/tallivor2.desktop" > "$apps/tallivor2.desktop"
echo "Added $apps/tallivor2.desktop"
