#!/bin/bash
# `cmake --install` puts the program, the plotting helper and the manual page in place, and the
# installed program runs. Usage: install_test.sh BUILD_DIR EXAMPLE_DIR
set -euo pipefail
build=$1
example=$2
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" > /dev/null
for file in bin/b_wavetrak bin/b_wavetrak-plot share/man/man1/b_wavetrak.1; do
    [ -e "$prefix/$file" ] || { echo "not installed: $file"; exit 1; }
done
[ -x "$prefix/bin/b_wavetrak-plot" ] || { echo "the plotting helper is not executable"; exit 1; }
grep -q '^\.TH B_WAVETRAK 1' "$prefix/share/man/man1/b_wavetrak.1" || { echo "bad manual page"; exit 1; }
mkdir "$prefix/run"
cp "$example"/*.in "$prefix/run/"
(cd "$prefix/run" && "$prefix/bin/b_wavetrak" > transcript)
[ -s "$prefix/run/synth.out" ] || { echo "the installed program wrote no synth.out"; exit 1; }
echo "install: program, plotting helper and manual page in place; the installed program runs"
