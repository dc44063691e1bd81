#!/bin/bash
# The plotting helper on the bundled example, on 199,999-point files, and on missing or empty
# files. Usage: plot_test.sh PROGRAM PLOT_SCRIPT EXAMPLE_DIR
set -euo pipefail
program=$1
plot=$2
example=$3
command -v gnuplot > /dev/null || { echo "gnuplot is not installed: skipped"; exit 77; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
check() {  # description, command...
    local what=$1
    shift
    if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; failures=$((failures + 1)); fi
}

quietly() { "$@" > /dev/null 2>&1; }

png_is_valid() {  # file, width, height
    [ "$(head -c 8 "$1" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] &&
        [ "$(head -c 16 "$1" | tail -c 4)" = IHDR ] &&
        [ "$(head -c 24 "$1" | tail -c 8 | od -An -tu1 | tr -s ' ' | sed 's/^ //')" = \
          "0 0 $(($2 >> 8)) $(($2 & 255)) 0 0 $(($3 >> 8)) $(($3 & 255))" ]
}

svg_holds_every_series() {
    head -c 200 "$1" | grep -q '<?xml' && tail -c 20 "$1" | grep -q '</svg>' &&
        grep -q 'input (b.in)' "$1" && grep -q 'synthesized (synth.out)' "$1" &&
        grep -q 'error (error.out)' "$1" && grep -q 'components (b.out)' "$1" &&
        [ "$(grep -c '<path' "$1")" -ge 10 ]
}

# The bundled example, run and drawn.
mkdir "$work/example"
cp "$example"/*.in "$work/example/"
(cd "$work/example" && "$program" > /dev/null)
check "the example is drawn" quietly "$plot" "$work/example"
check "the PNG is valid and 1200 x 1000" png_is_valid "$work/example/wavetrak.png" 1200 1000
check "the SVG is complete and holds every series" svg_holds_every_series "$work/example/wavetrak.svg"

# A record of 199,999 points.
mkdir "$work/large"
awk 'BEGIN { for (i = 0; i < 199999; i++) { t = i / 48000; printf "%.7e %.7e\n", t, sin(6.2832 * 440 * t) } }' > "$work/large/b.in"
awk '{ printf "\n %14.7e \t %14.7e", $1, $2 }' "$work/large/b.in" > "$work/large/synth.out"
awk '{ printf "\n %14.7e \t %14.7e", $1, 0 }' "$work/large/b.in" > "$work/large/error.out"
printf '0\n              1       2764.602              0' > "$work/large/b.out"
check "199,999 points are drawn" quietly "$plot" "$work/large" "$work/large/plot"
check "the large PNG is valid" png_is_valid "$work/large/plot.png" 1200 1000
check "the large SVG is complete" svg_holds_every_series "$work/large/plot.svg"

# Missing and empty files give a message naming them, and no picture.
expect_message() {  # directory, expected text
    local out status=0
    out=$("$plot" "$1" 2>&1) || status=$?
    [ "$status" -eq 1 ] && [[ "$out" == *"$2"* ]] || { echo "  got status $status: $out"; return 1; }
}
mkdir "$work/missing" "$work/empty"
cp "$work/example"/{b.in,b.out,error.out} "$work/missing/"
check "a missing synth.out is named" expect_message "$work/missing" "synth.out is missing"
cp "$work/example"/{b.in,b.out,synth.out} "$work/empty/"
: > "$work/empty/error.out"
check "an empty error.out is named" expect_message "$work/empty" "error.out is empty"
printf '0' > "$work/empty/b.out"
cp "$work/example/error.out" "$work/empty/"
check "a b.out without components is named" expect_message "$work/empty" "holds no component"
check "no picture is left behind a failure" test ! -e "$work/empty/wavetrak.png"

[ "$failures" -eq 0 ] && echo "plot tests: all passed" || { echo "plot tests: $failures failed"; exit 1; }
