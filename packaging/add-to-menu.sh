#!/bin/sh
# Puts Tallivor II into this user's application menu, pointing at this folder.
# Run it again after moving the folder.
set -e
here=$(cd "$(dirname "$0")" && pwd)
apps="${XDG_DATA_HOME:-$HOME/.local/share}/applications"
mkdir -p "$apps"

# The folder's name goes in as data, never as sed or shell text, escaped as desktop entries
# want it: a string value doubles its backslashes; an Exec argument is first put in double
# quotes, with " ` $ and \ escaped inside them and % doubled.
string() { printf '%s' "$1" | sed -e 's/\\/\\\\/g'; }
argument() { printf '"%s"' "$(printf '%s' "$1" | sed -e 's/[\\"`$]/\\&/g' -e 's/%/%%/g')"; }

# GLib looks the program up before expanding %%, and hides an entry it can't find: a folder
# with % in its name is reached through env.
exec_line=$(argument "$here/Tallivor2")
case $here in *%*) exec_line="env $exec_line" ;; esac

while IFS= read -r line || [ -n "$line" ]; do
    case $line in
    Exec=*) printf 'Exec=%s\n' "$(string "$exec_line")" ;;
    Icon=*) printf 'Icon=%s\n' "$(string "$here/icons/tallivor2-64.png")" ;;
    *) printf '%s\n' "$line" ;;
    esac
done <"$here/tallivor2.desktop" >"$apps/tallivor2.desktop"
echo "Added $apps/tallivor2.desktop"
