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
# Every run is bounded: a program that loops, say at the end of its input,
# fails its row after this long and ends the script, rather than stalling it.
# SIGKILL gives status 137 from coreutils' timeout and busybox's alike.
limit=10
run() { timeout -s KILL $limit "$prog"; }

# check NAME WANT_STATUS WANT_STDOUT, against the run just made: its status,
# its standard error, which must be empty, and file out, which must hold the
# bytes of WANT_STDOUT (printf %b escapes).
check() {
	if [ "$status" = 137 ]; then
		printf 'FAIL %s: still running after %s s; stopping here\n' "$1" $limit
		exit 1
	fi
	printf %b "$3" >want
	if [ "$status" != "$2" ] || [ -s err ] || ! cmp -s want out; then
		printf 'FAIL %s: status %s, stdout:\n' "$1" "$status"
		od -c out | head -8
		head -c 300 err
		fail=1
	fi
}

if [ "${2-}" != terminal ]; then
	# Standard input, the value the echo must show, and what a second reader
	# of the same file then gets (all three in printf %b escapes). Each byte
	# the program tests for is tried beside its neighbours on either side,
	# each width the value could wrongly have with the first magnitude past
	# it, and every byte above ASCII before a number and after one.
	zeros=$(printf '%0300d' 0)
	high=$(for byte in {128..255}; do
		printf -v b '\\x%x' "$byte"
		echo "${b}5|0|${b}5"
		echo "5$b|5|$b"
	done)
	next=' (left for the next reader:)'
	while IFS='|' read -r input value rest; do
		printf %b "$input" >in
		{ run >out 2>err; status=$?; echo "$next" >>out; cat >>out; } <in
		check "input '${input:0:40}'" 0 "${prompt}Valor lido: $value$next\n$rest"
	done <<EOF
42\n|42|\n
5\nrest\n|5|\nrest\n
 \t\v\f\r\n\n  -17 \t 6\n|-17| \t 6\n
|0|
 \n\t|0|
+5|5|
12abc|12|abc
3.9|3|.9
0x1A|0|x1A
abc|0|abc
- 5|0| 5
+-3|0|-3
--3|0|-3
-|0|
+\n|0|\n
\x005|0|\x005
\x01 5|0|\x01 5
\b5|0|\b5
\t5|5|
\r5|5|
\x0e5|0|\x0e5
\x1f5|0|\x1f5
!5|0|!5
\x7f5|0|\x7f5
*5|0|*5
,5|0|,5
.5|0|.5
/5|0|/5
:5|0|:5
-/5|0|/5
+:5|0|:5
09:|9|:
-90/|-90|/
7\x00|7|\x00
${zeros}7|7|
-${zeros}2147483648-|-2147483648|-
2147483646\n|2147483646|\n
2147483647\n|2147483647|\n
2147483648\n|2147483647|\n
2147483650\n|2147483647|\n
21474836470\n|2147483647|\n
4294967296\n|2147483647|\n
9223372036854775808\n|2147483647|\n
18446744073709551616\n|2147483647|\n
99999999999x|2147483647|x
-2147483647\n|-2147483647|\n
-2147483648\n|-2147483648|\n
-2147483649\n|-2147483648|\n
-2147483650\n|-2147483648|\n
-21474836480\n|-2147483648|\n
-4294967296\n|-2147483648|\n
-9223372036854775809\n|-2147483648|\n
-18446744073709551616\n|-2147483648|\n
-99999999999 x|-2147483648| x
$high
EOF

	run <&- >out 2>err
	status=$?
	check 'closed standard input' 0 "${prompt}Valor lido: 0"
	run <. >out 2>err
	status=$?
	check 'unreadable standard input' 0 "${prompt}Valor lido: 0"

	# A write that fails must not end in success.
	: >out
	echo 1 | run >/dev/full 2>err
	status=$?
	check 'standard output full' 1 ''
	echo 1 | run >&- 2>err
	status=$?
	check 'standard output closed' 1 ''
	# A pipe whose reader has gone ends the program with SIGPIPE (status 141),
	# unless whoever started this script ignores that signal: then so does the
	# program, and its write fails.
	mkfifo gone
	{ read -r _ <gone; run </dev/null 2>err; echo $? >status; } | { exec <&-; echo >gone; }
	status=$(cat status) want=141
	(("0x$(sed -n 's/^SigIgn:\t*//p' /proc/$$/status)" & 1 << 12)) && want=1
	check 'reader of standard output gone' $want ''

	# Far more digits than fit, from a pipe; memory must not grow with them,
	# so the run is held to a 32 MiB address space wherever the build can
	# start under one at all (sanitizers and emulators reserve more).
	vm=32768
	if ! (ulimit -v $vm && run </dev/null >/dev/null) 2>/dev/null; then
		echo 'SKIP memory cap: the program cannot start in a 32 MiB address space here'
		vm=unlimited
	fi
	for row in '|2147483647' '-|-2147483648'; do
		{ printf %s "${row%|*}"; head -c 50000000 /dev/zero | tr '\0' 9; } |
			(ulimit -v $vm && run) >out 2>err
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
# What reaches a terminal goes through script, and what reaches a pipe goes
# through cat, either of which may lag under load; a mark written to the same
# stream once the program waits arrives after all the program wrote before
# it, so what was written is read when the mark shows.
mark='<waiting>'
mkfifo keys piped pipe
# Each row: standard input (a terminal under script, or a fifo) and output (a
# terminal, a pipe or a file), what is written while the program waits, and
# what is written after it has read 42 and Enter (the terminal's own echo of
# them included).
while IFS='|' read -r stdin stdout before after; do
	redirect='' seen=screen
	[ "$stdin" = tty ] || redirect+=' <piped'
	[ "$stdout" = tty ] || redirect+=" >$stdout" seen=file
	: >file && rm -f pid
	[ "$stdout" = pipe ] && { timeout -s KILL $limit cat pipe >file & }
	exec 4<>piped
	timeout -s KILL $limit script -qfec "echo \$\$ >pid; exec '$prog'$redirect" /dev/null <keys >screen 2>err &
	shown=$!
	exec 3>keys
	until waiting || ! kill -0 $shown 2>/dev/null; do sleep 0.025; done
	if [ "$stdout" != file ]; then
		before+=$mark
		(printf %s "$mark" >"/proc/$(cat pid)/fd/1") 2>/dev/null
		until grep -qF "$mark" "$seen" || ! kill -0 $shown 2>/dev/null; do sleep 0.025; done
	fi
	cp "$seen" out && status=0
	check "$stdin in, $stdout out, waiting" 0 "$before"
	# In a subshell: a program that is already gone must fail the row, not
	# end this script with SIGPIPE.
	([ "$stdin" = tty ] && printf '42\n' >&3 || printf '42\n' >&4) 2>/dev/null
	wait $shown
	status=$?
	exec 3>&- 4>&-
	wait # for cat, where the program wrote to a pipe
	cp "$seen" out
	check "$stdin in, $stdout out, after 42" 0 "$before$after"
done <<EOF
tty|tty|$prompt|42\r\nValor lido: 42
tty|file||${prompt}Valor lido: 42
tty|pipe||${prompt}Valor lido: 42
fifo|tty||${prompt}Valor lido: 42
fifo|file||${prompt}Valor lido: 42
fifo|pipe||${prompt}Valor lido: 42
EOF

[ $fail = 0 ] && echo 'all terminal cases passed'
exit $fail
