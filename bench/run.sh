#!/usr/bin/env bash
# Measures scanf_ex against a yardstick, the same dialogue written on the C
# library's printf and scanf("%d"): instructions, peak memory and size for
# one short run, of the glibc build and of the static x86_64 one, then
# instructions for three 1 MiB inputs, and wall time, throughput and peak
# memory on the same three inputs at 64 MiB, in paired runs. Needs valgrind
# (or a perf that counts instructions), GNU time and musl-tools. Exits 1 if
# a target is missed: the instruction and memory targets are tight, since
# those figures repeat on a shared machine; wall times only fail past a
# margin that noise does not cross (bench/README.md).
set -euo pipefail
export LC_ALL=C # EPOCHREALTIME must use a decimal point
cd "$(dirname "$0")/.."
pairs=${PAIRS:-11} # paired runs per input
size=$((64 * 1024 * 1024))

need() { command -v "$1" >/dev/null || { echo "bench/run.sh: $1 is missing" >&2; exit 2; }; }
need cmake && need cc && need /usr/bin/time && need musl-gcc
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-bench >/dev/null
# The static binary is the release's, built as its preset builds it.
cmake --preset x86_64-unknown-linux-musl -B build-bench-static >/dev/null
cmake --build build-bench-static >/dev/null
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
cat >"$tmp/yardstick.c" <<'C'
#include <stdio.h>
int main(void)
{
	int value = 0;
	printf("Digite um valor inteiro: ");
	scanf("%d", &value);
	printf("Valor lido: %d", value);
	return 0;
}
C
cc -O2 -o "$tmp/yardstick" "$tmp/yardstick.c"
programs=("$PWD/build-bench/scanf_ex" "$tmp/yardstick" "$PWD/build-bench-static/scanf_ex")

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

# instructions PROGRAM INPUT: of one whole run, loader included.
if perf stat -x, -e instructions:u true 2>&1 >/dev/null | grep -q '^[0-9]'; then
	counter='perf stat'
	instructions() {
		for _ in 1 2 3 4 5; do
			perf stat -x, -e instructions:u "$1" <"$2" 2>&1 >/dev/null | cut -d, -f1
		done | median
	}
else
	need valgrind
	counter=callgrind
	instructions() {
		valgrind --tool=callgrind --callgrind-out-file=/dev/null "$1" <"$2" 2>&1 >/dev/null |
			sed -n 's/.*Collected : //p'
	}
fi

# inputs SIZE SUFFIX: blanks before a number, a run of ones, zeros before a 7.
inputs() {
	yes $' \t' | head -c "$1" >"$tmp/blanks$2" && printf 42 >>"$tmp/blanks$2"
	head -c "$1" /dev/zero | tr '\0' 1 >"$tmp/ones$2"
	{ head -c $(($1 - 1)) /dev/zero | tr '\0' 0; printf 7; } >"$tmp/zeros$2"
}
inputs "$size" ''
inputs $((1024 * 1024)) -1m
echo 42 >"$tmp/short"

missed=0
# row NAME PROGRAM_FIGURE YARDSTICK_FIGURE [TARGET], where TARGET is
# "ratio R" (program/yardstick at most R) or "max M" (program at most M).
row() {
	local ratio verdict='' target=''
	ratio=$(awk -v a="$2" -v b="$3" 'BEGIN { printf "%.3f", a / b }')
	case ${4-} in
	ratio*)
		target="ratio <= ${4#ratio }"
		verdict=$(awk -v r="$ratio" -v l="${4#ratio }" 'BEGIN { print r <= l ? "met" : "MISSED" }') ;;
	max*)
		target="<= ${4#max }"
		verdict=$([ "$2" -le "${4#max }" ] && echo met || echo MISSED) ;;
	esac
	[ "$verdict" != MISSED ] || missed=1
	printf '%-34s %10s %10s %7s  %-14s %s\n' "$1" "$2" "$3" "$ratio" "$target" "$verdict"
}

echo "$(uname -srm), $(sed -n 's/^model name\t*: //p' /proc/cpuinfo | head -1)," \
	"$(nproc) cores, glibc $(ldd --version | head -1 | sed "s/.* //"), $("${CXX:-c++}" --version | head -1)"
printf '%-34s %10s %10s %7s  %s\n' measure scanf_ex yardstick ratio target
# peak PROGRAM: the most of five short runs' peak RSS in KiB.
peak() {
	for _ in 1 2 3 4 5; do
		/usr/bin/time -f %M -o "$tmp/rss" "$1" <"$tmp/short" >/dev/null && cat "$tmp/rss"
	done | sort -n | tail -1
}
# stripped PROGRAM: its size in bytes once stripped, as a package ships it.
stripped() { strip -o "$tmp/stripped" "$1" && stat -c %s "$tmp/stripped"; }
yardstick=$(instructions "${programs[1]}" "$tmp/short")
row "startup instructions ($counter)" "$(instructions "${programs[0]}" "$tmp/short")" "$yardstick" 'ratio 1.05'
row "static: startup instructions" "$(instructions "${programs[2]}" "$tmp/short")" "$yardstick" 'ratio 0.05'
yardstick=$(peak "${programs[1]}")
row 'startup peak RSS (KiB)' "$(peak "${programs[0]}")" "$yardstick" 'max 4096'
row 'static: startup peak RSS (KiB)' "$(peak "${programs[2]}")" "$yardstick" 'max 4096'
yardstick=$(stripped "${programs[1]}")
row 'size, stripped (bytes)' "$(stripped "${programs[0]}")" "$yardstick"
row 'static: size, stripped (bytes)' "$(stripped "${programs[2]}")" "$yardstick"
for input in blanks ones zeros; do
	# The same targets that wall time once had, now on a figure that repeats.
	row "$input: instructions for 1 MiB" "$(instructions "${programs[0]}" "$tmp/$input-1m")" \
		"$(instructions "${programs[1]}" "$tmp/$input-1m")" "ratio $([ $input = blanks ] && echo 1.05 || echo 0.6)"

	: >"$tmp/t0" && : >"$tmp/t1" && : >"$tmp/m0" && : >"$tmp/m1"
	for _ in $(seq "$pairs"); do
		for i in 0 1; do
			start=$EPOCHREALTIME
			/usr/bin/time -f %M -o "$tmp/rss" "${programs[i]}" <"$tmp/$input" >/dev/null
			end=$EPOCHREALTIME
			echo $((${end/./} - ${start/./})) >>"$tmp/t$i"
			cat "$tmp/rss" >>"$tmp/m$i"
		done
	done
	t0=$(median <"$tmp/t0") t1=$(median <"$tmp/t1")
	row "$input: median wall time (us)" "$t0" "$t1" "ratio $([ $input = blanks ] && echo 1.5 || echo 0.9)"
	row "$input: throughput (MB/s)" $((size / t0)) $((size / t1))
	row "$input: peak RSS (KiB)" "$(sort -n "$tmp/m0" | tail -1)" "$(sort -n "$tmp/m1" | tail -1)" 'max 4096'
done
[ $missed = 0 ] && echo 'all targets met' || echo 'a target was missed'
exit $missed
