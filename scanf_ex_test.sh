#!/usr/bin/env bash
# End to end: exact bytes on standard output, nothing on standard error, the
# exit status, and what is left for the next reader, for each way of running
# the program. With "terminal" after the program, runs only the cases that
# need a pseudo-terminal, and exits 77 (skipped) where none can be had.
prog=$(realpath "${1:?usage: scanf_ex_test.sh PROGRAM [terminal]}") || exit 1
tmp=$(mktemp -d) || exit 1
trap 'rm -rf "$tmp"' EXIT
cd "$tmp" || exit 1
prompt='Digite um valor inteiro: '
fail=0

# check NAME WANT_STATUS WANT_STDOUT [WANT_REST], against the run just made;
# WANT_REST (printf %b escapes) is what the next reader got, in file rest.
check() {
	if [ "$status" != "$2" ] || [ -s err ] || ! printf %s "$3" | cmp -s - out ||
		{ [ $# = 4 ] && ! printf %b "$4" | cmp -s - rest; }; then
		printf 'FAIL %s: status %s, stdout:\n' "$1" "$status"
		od -c out | head -5
		[ $# = 4 ] && echo 'left for the next reader:' && od -c rest | head -3
		head -c 300 err
		fail=1
	fi
}

if [ "${2-}" != terminal ]; then
	# Standard input, the value the echo must show, and what a second reader
	# of the same file then gets (all three in printf %b escapes).
	zeros=$(printf '%0300d' 0)
	while IFS='|' read -r input value rest; do
		printf %b "$input" >in
		{ "$prog" >out 2>err; status=$?; cat >rest; } <in
		check "input '${input:0:40}'" 0 "${prompt}Valor lido: $value" "$rest"
	done <<EOF
42\n|42|\n
5\nrest\n|5|\nrest\n
 \t\v\f\r\n\n  -17 \t 6\n|-17| \t 6\n
+5|5|
12abc|12|abc
3.9|3|.9
0x1A|0|x1A
abc|0|abc
- 5|0| 5
+-3|0|-3
\x01 5|0|\x01 5
\x1f5|0|\x1f5
\x005|0|\x005
\x7f5|0|\x7f5
\xa05|0|\xa05
${zeros}7|7|
-${zeros}2147483648-|-2147483648|-
2147483647\n|2147483647|\n
2147483646\n|2147483646|\n
2147483648\n|2147483647|\n
99999999999x|2147483647|x
-2147483647\n|-2147483647|\n
-2147483648\n|-2147483648|\n
-2147483649\n|-2147483648|\n
-99999999999 x|-2147483648| x
EOF

	"$prog" <&- >out 2>err
	status=$?
	check 'closed standard input' 0 "${prompt}Valor lido: 0"
	"$prog" <. >out 2>err
	status=$?
	check 'unreadable standard input' 0 "${prompt}Valor lido: 0"

	# A write that fails must not end in success.
	: >out
	echo 1 | "$prog" >/dev/full 2>err
	status=$?
	check 'standard output full' 1 ''
	echo 1 | "$prog" >&- 2>err
	status=$?
	check 'standard output closed' 1 ''
	# A pipe whose reader has gone ends the program with SIGPIPE (status 141),
	# unless whoever started this script ignores that signal: then so does the
	# program, and its write fails.
	mkfifo gone
	{ read -r _ <gone; "$prog" </dev/null 2>err; echo $? >status; } | { exec <&-; echo >gone; }
	status=$(cat status) want=141
	(("0x$(sed -n 's/^SigIgn:\t*//p' /proc/$$/status)" & 1 << 12)) && want=1
	check 'reader of standard output gone' $want ''

	# Far more digits than fit, from a pipe; memory must not grow with them,
	# so the run is held to a 32 MiB address space wherever the build can
	# start under one at all (sanitizers and emulators reserve more).
	vm=32768
	if ! (ulimit -v $vm && "$prog" </dev/null >/dev/null) 2>/dev/null; then
		echo 'SKIP memory cap: the program cannot start in a 32 MiB address space here'
		vm=unlimited
	fi
	for row in '|2147483647' '-|-2147483648'; do
		{ printf %s "${row%|*}"; head -c 50000000 /dev/zero | tr '\0' 9; } |
			(ulimit -v $vm && exec "$prog") >out 2>err
		status=$?
		check "50 MB of digits after '${row%|*}'" 0 "${prompt}Valor lido: ${row#*|}"
	done
	[ $fail = 0 ] && echo 'all cases passed'
	exit $fail
fi

# While the program waits for its number, a terminal must already show the
# prompt; with either stream elsewhere nothing is written yet, so both texts
# leave together at the end.
skip() { echo "SKIP: $*"; exit 77; }
command -v script >/dev/null || skip 'no script(1) to give the program a terminal'
why=$(script -qfec true /dev/null 2>&1 </dev/null) ||
	skip "script(1) cannot run a command on a pseudo-terminal: ${why:-exit status $?}"

# waiting: true once the program under script sleeps reading standard input.
# Its name, not /proc/PID/exe, tells it from the shell before it: under an
# emulator exe names the emulator.
name=$(basename "$prog")
waiting() {
	local pid call fd
	pid=$(cat pid 2>/dev/null) &&
		[[ $(cat "/proc/$pid/stat" 2>/dev/null) == "$pid (${name:0:15}) S "* ]] || return
	call=$(cat "/proc/$pid/syscall" 2>/dev/null) || return 0
	read -r _ fd _ <<<"$call" && [ "$fd" = 0x0 ]
}
# What reaches a terminal goes through script, which may lag under load; a
# mark written to the same terminal once the program waits arrives after all
# the program wrote before it, so the screen is read when the mark shows.
mark='<waiting>'
mkfifo keys piped
# Each row: standard input and output (a terminal under script, or a fifo and
# a file), what is written while the program waits, and what is written after
# it has read 42 and Enter (the terminal's own echo of them included).
while IFS='|' read -r stdin stdout before after; do
	redirect= seen=screen
	[ "$stdin" = tty ] || redirect+=' <piped'
	[ "$stdout" = tty ] || redirect+=' >file' seen=file
	: >file && rm -f pid
	exec 4<>piped
	timeout 20 script -qfec "echo \$\$ >pid; exec '$prog'$redirect" /dev/null <keys >screen 2>err &
	exec 3>keys
	until waiting || ! kill -0 $! 2>/dev/null; do sleep 0.025; done
	if [ "$stdout" = tty ]; then
		before+=$mark
		(printf %s "$mark" >"/proc/$(cat pid)/fd/1") 2>/dev/null
		until grep -qF "$mark" screen || ! kill -0 $! 2>/dev/null; do sleep 0.025; done
	fi
	cp "$seen" out && status=0
	check "$stdin in, $stdout out, waiting" 0 "$(printf %b "$before")"
	# In a subshell: a program that is already gone must fail the row, not
	# end this script with SIGPIPE.
	([ "$stdin" = tty ] && printf '42\n' >&3 || printf '42\n' >&4) 2>/dev/null
	wait $!
	status=$?
	exec 3>&- 4>&-
	cp "$seen" out
	check "$stdin in, $stdout out, after 42" 0 "$(printf %b "$before$after")"
done <<EOF
tty|tty|$prompt|42\r\nValor lido: 42
tty|file||${prompt}Valor lido: 42
fifo|tty||${prompt}Valor lido: 42
EOF

[ $fail = 0 ] && echo 'all terminal cases passed'
exit $fail
