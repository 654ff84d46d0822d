#!/bin/sh
# Starts the show from its data folder, since every asset path it opens is relative to the
# working directory. Everything is found from where this script is installed, so any
# prefix (or an unpacked archive) works.
set -e
here=$(dirname "$(readlink -f "$0")")
program=$(cd "$here/../lib/glimmerhop" && pwd)/glimmerhop
cd "$here/../share/games/glimmerhop"
exec "$program" "$@"
