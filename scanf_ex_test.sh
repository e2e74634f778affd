#!/usr/bin/env bash
# End to end: exact bytes on standard output, nothing on standard error, the
# exit status, and what is left for the next reader. A mode runs only its own
# cases: "terminal" on a pseudo-terminal, "memory" in a small address space,
# "locale" under one that groups digits; each exits 77 (skipped) where that
# cannot be had here.
prog=$(realpath "${1:?usage: scanf_ex_test.sh PROGRAM [terminal|memory|locale]}") || exit 1
mode=${2-}
tmp=$(mktemp -d) || exit 1
trap 'rm -rf "$tmp"' EXIT
cd "$tmp" || exit 1
prompt='Digite um valor inteiro: '
fail=0
# Every run is bounded: a program that loops, say at the end of its input,
# fails its row after this long and ends the script, rather than stalling it.
# SIGKILL gives status 137.
limit=10
# run [COMMAND...]: the program, started through COMMAND if one is given.
run() { "$@" timeout -s KILL $limit "$prog"; }
skip() { echo "SKIP: $*"; exit 77; }
# emulated: true if the program's ELF machine (byte 18) is not this shell's.
emulated() { [ "$(od -An -j18 -N2 -tu2 "$prog")" != "$(od -An -j18 -N2 -tu2 /proc/self/exe)" ]; }

# shown FILE: its first bytes on one line, quoted, each as od -c shows it.
shown() {
	local c text=''
	while read -r c; do
		[[ $c == [0-7][0-7][0-7] ]] && c=\\$c
		text+=${c:- }
	done < <(LC_ALL=C od -An -v -c -w1 -N 300 "$1")
	echo "'$text'"
}
# check STATUS NAME WANT_STATUS WANT_OUT: the run just made must have left
# file err empty and in file out the bytes of WANT_OUT (printf %b escapes).
check() {
	[ "$1" != 137 ] || { echo "FAIL $2: still running after $limit s; stopping here"; exit 1; }
	printf %b "$4" >want
	if [ "$1" != "$3" ] || [ -s err ] || ! cmp -s want out; then
		printf 'FAIL %s\n  wanted: status %s, output %s\n  got:    status %s, output %s\n' \
			"$2" "$3" "$(shown want)" "$1" "$(shown out)"
		[ -s err ] && echo "  and on standard error, where nothing was wanted: $(shown err)"
		fail=1
	fi
}
# A program that cannot run here at all is reported once, not once a row.
echo 42 | run >out 2>err
status=$?
[ $status -lt 126 ] || [ -s out ] ||
	{ echo "FAIL: $prog does not run here (status $status): $(head -c 300 err)"; exit 1; }

case $mode in
'')
	# Standard input, the value the echo must show, and what a second reader of
	# the same file then gets (printf %b escapes). Each byte the program tests
	# for beside its neighbours; each width the value could wrongly have with
	# the first magnitude past it, and ones whose product wraps above the value
	# before it; bytes above ASCII whose low seven bits are NUL, a blank, a sign
	# or a digit, or all set, before a number and after one.
	zeros=$(printf '%0300d' 0)
	high=$(for b in 80 85 89 8d a0 ab ad b0 b9 ff; do printf '\\x%s5|0|\\x%s5\n5\\x%s|5|\\x%s\n' $b $b $b $b; done)
	next=' (left for the next reader:)'
	while IFS='|' read -r input value rest; do
		printf %b "$input" >in
		{ run >out 2>err; status=$?; echo "$next" >>out; cat >>out; } <in
		check $status "input '${input:0:40}'" 0 "${prompt}Valor lido: $value$next\n$rest"
	done <<EOF
42\n|42|\n
5\nrest\n|5|\nrest\n
5\r\n|5|\r\n
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
5000000000\n|2147483647|\n
10000000000\n|2147483647|\n
21474836470\n|2147483647|\n
4294967296\n|2147483647|\n
9223372036854775808\n|2147483647|\n
18446744073709551616\n|2147483647|\n
99999999999x|2147483647|x
-2147483647\n|-2147483647|\n
-2147483648\n|-2147483648|\n
-2147483649\n|-2147483648|\n
-2147483650\n|-2147483648|\n
-5000000000\n|-2147483648|\n
-10000000000\n|-2147483648|\n
-21474836480\n|-2147483648|\n
-4294967296\n|-2147483648|\n
-9223372036854775809\n|-2147483648|\n
-18446744073709551616\n|-2147483648|\n
-99999999999 x|-2147483648| x
\xef\xbb\xbf7|0|\xef\xbb\xbf7
\xc2\xa07|0|\xc2\xa07
\xe2\x88\x927|0|\xe2\x88\x927
$high
EOF

	# Arguments, an empty environment and one naming another language change
	# nothing. Each row: env's arguments, then the program's.
	for row in '|--version' '|--help' '|-' '|5' '|--version -h 5 -' '-i|' \
		'LANG=en_US.UTF-8 LC_ALL=en_US.UTF-8 LC_MESSAGES=en_US.UTF-8 LANGUAGE=en_US:en|'; do
		# shellcheck disable=SC2086 # a row is split into arguments
		echo 7 | timeout -s KILL $limit env ${row%|*} "$prog" ${row#*|} >out 2>err
		check $? "env '${row%|*}', arguments '${row#*|}'" 0 "${prompt}Valor lido: 7"
	done
	# A file under /proc has content though it reports a size of 0: here, the
	# pid of this shell first.
	run <"/proc/$$/stat" >out 2>err
	check $? 'a file under /proc as standard input' 0 "${prompt}Valor lido: $$"

	run <&- >out 2>err
	check $? 'closed standard input' 0 "${prompt}Valor lido: 0"
	run <. >out 2>err
	check $? 'unreadable standard input' 0 "${prompt}Valor lido: 0"
	# The answer goes where the shared offset is: after what was read, not over
	# it, with both streams one read-write file; at the start of the caller's
	# own file, not at its end, and the caller's next write follows it.
	printf '5 rest\n' >out; run <>out >&0 2>err
	check $? 'standard input and output one read-write file' 0 "5 rest\n${prompt}Valor lido: 5"
	printf %60s '' >out; { echo 5 | run 2>err; status=$?; printf ' end'; } 1<>out
	check $status "standard output the caller's file, over its spaces" 0 "$(printf %-60s "${prompt}Valor lido: 5 end")"

	# A write that fails must not end in success.
	: >out
	echo 1 | run >/dev/full 2>err
	check $? 'standard output full' 1 ''
	echo 1 | run >&- 2>err
	check $? 'standard output closed' 1 ''
	# A write cut short, here by a file-size limit inside the prompt or inside
	# the echo, fails too, and what fitted stays written; at its default action
	# SIGXFSZ ends the program instead (status 153), with no core to report.
	# The shell that waits reports that signal, on its own standard error.
	for row in 10:ignore:1 30:ignore:1 30:default:153; do
		IFS=: read -r fits action want <<<"$row"
		head -c $((1024 - fits)) /dev/zero >limited
		(set +o posix && ulimit -c 0 -f 1 && echo 1 | env --"$action"-signal=XFSZ timeout -s KILL $limit "$prog" >>limited 2>err) 2>/dev/null # KiB; POSIX mode counts 512 bytes
		status=$?
		tail -c +$((1025 - fits)) limited >out
		check $status "standard output cut short after $fits bytes, SIGXFSZ's action $action" "$want" "$(printf %.*s "$fits" "${prompt}Valor lido: 1")"
	done
	# A pipe whose reader has gone ends the program with SIGPIPE (status 141)
	# where that signal has its default action, and makes its write fail where
	# it is ignored: each way it can be handed down.
	mkfifo gone empty
	: >out
	for row in default:141 ignore:1; do
		{ read -r _ <gone; run env --"${row%:*}"-signal=PIPE </dev/null 2>err; echo $? >status; } | { exec <&-; echo >gone; }
		check "$(cat status)" "reader of standard output gone, SIGPIPE's action ${row%:*}" "${row#*:}" ''
	done
	# Descriptors left non-blocking are not waited on: with no input yet, the
	# read fails and gives 0; a full pipe as standard output is a failed write.
	exec 4<>empty
	{ dd iflag=nonblock count=0 2>/dev/null; run >out 2>err; } <empty
	check $? 'non-blocking standard input, nothing to read yet' 0 "${prompt}Valor lido: 0"
	exec 4>&-
	{ dd if=/dev/zero bs=4096 count=1024 oflag=nonblock 2>/dev/null; run </dev/null 2>err; echo $? >status; echo >gone; } |
		{ read -r _ <gone; tr -d '\0' >out; }
	check "$(cat status)" 'a full non-blocking pipe as standard output' 1 ''
	;;
memory)
	# Memory must not grow with the input, nor the stack hold a large buffer: far
	# more digits, zeros or blanks than fit are read in 32 MiB with a 64 KiB
	# stack, too little only for an emulator or ASan.
	if ! (ulimit -v 32768 -s 64 && run </dev/null >/dev/null) 2>/dev/null; then
		! emulated ||
			skip 'an emulator cannot start the program in a 32 MiB address space'
		! grep -q __asan_init "$prog" || skip 'AddressSanitizer cannot start in a 32 MiB address space'
	fi
	# Each row: what comes before the 50 MB, the byte they repeat, what comes
	# after, and the value read.
	for row in '|9||2147483647' '-|9||-2147483648' '-|0|7|-7' '| |42|42' '|\n|42|42'; do
		IFS='|' read -r lead fill tail value <<<"$row"
		{ printf %s "$lead"; head -c 50000000 /dev/zero | tr '\0' "$fill"; printf %s "$tail"; } |
			(ulimit -v 32768 -s 64 && run) >out 2>err
		check $? "'$lead', 50 MB of '$fill', '$tail'" 0 "${prompt}Valor lido: $value"
	done
	;;
locale)
	# The locale is made here, so none need be installed: one that groups
	# digits, and has white space, a minus and digits above ASCII; the program
	# must take none of them, nor pass over a byte-order mark.
	why=$(localedef -i pt_BR -f UTF-8 "$tmp/pt_BR.UTF-8" 2>&1) || skip "cannot make a locale pt_BR.UTF-8: $why"
	locale=(env LOCPATH="$tmp" LC_ALL=pt_BR.UTF-8)
	[ "$("${locale[@]}" printf "%'d" 1234567)" = 1.234.567 ] || skip 'the locale made here does not group digits'
	for row in '1234567|1234567' '-1234567|-1234567' '1.234|1' '\xe3\x80\x805|0' '\xef\xbb\xbf7|0' '\xe2\x88\x927|0' '\xef\xbc\x94\xef\xbc\x92|0'; do
		printf %b "${row%|*}" | run "${locale[@]}" >out 2>err
		check $? "'${row%|*}' under LC_ALL=pt_BR.UTF-8" 0 "${prompt}Valor lido: ${row#*|}"
	done
	;;
terminal)
	# While the program waits for its number, a terminal must already show the
	# prompt; with either stream elsewhere nothing is written before the end.
	command -v script >/dev/null || skip 'no script(1) to give the program a terminal'
	why=$(script -qfec true /dev/null 2>&1 </dev/null) ||
		skip "script(1) cannot run a command on a pseudo-terminal: ${why:-exit status $?}"
	# waiting: true once the program under script sleeps reading standard input;
	# its name tells it from the shell before it (under an emulator, exe won't).
	name=$(basename "$prog")
	# shellcheck disable=SC2317 # called through await
	waiting() {
		local pid call fd
		pid=$(cat pid 2>/dev/null) &&
			[[ $(cat "/proc/$pid/stat" 2>/dev/null) == "$pid (${name:0:15}) S "* ]] || return
		call=$(cat "/proc/$pid/syscall" 2>/dev/null) || return 0
		read -r _ fd _ <<<"$call" && [ "$fd" = 0x0 ]
	}
	# await COMMAND...: polls until COMMAND succeeds or the session has ended.
	await() { until "$@" || ! kill -0 "$session" 2>/dev/null; do sleep 0.025; done; }
	# What reaches a terminal or a pipe is passed on by script or cat, and may
	# lag; this mark, written to the same stream once the program waits, comes
	# after all the program wrote before it.
	mark='<the program waits for input>'
	mkfifo keys piped pipe resume
	# Each row: standard input (a terminal under script, or a fifo), standard
	# output (a terminal, a pipe or a file), what shows while the program waits,
	# and what more shows after 42 and Enter: in the file, if there is one, then
	# on the screen, which has nothing but the terminal's echo of the keys.
	while IFS='|' read -r stdin stdout before after; do
		redirect='' seen=(screen)
		[ "$stdin" = terminal ] || redirect+=' <piped'
		[ "$stdout" = terminal ] || redirect+=" >$stdout" seen=(file screen)
		: >file && rm -f pid
		[ "$stdout" = pipe ] && { timeout -s KILL $limit cat pipe >file & }
		exec 4<>piped
		prog=$prog timeout -s KILL $limit script -qfec "echo \$\$ >pid; exec \"\$prog\"$redirect" /dev/null <keys >screen 2>err &
		session=$!
		exec 3>keys
		await waiting
		if [ "$stdout" != file ]; then
			before+=$mark
			(printf %s "$mark" >"/proc/$(cat pid)/fd/1") 2>/dev/null
			await grep -qF "$mark" "${seen[@]}"
		fi
		cat "${seen[@]}" >out
		check 0 "$stdin in, $stdout out, while it waits" 0 "$before"
		# In a subshell, so a program already gone fails the row, not the script.
		([ "$stdin" = terminal ] && printf '42\n' >&3 || printf '42\n' >&4) 2>/dev/null
		wait $session
		status=$?
		exec 3>&- 4>&-
		wait # for cat, where the program wrote to a pipe
		cat "${seen[@]}" >out
		check $status "$stdin in, $stdout out, after 42" 0 "$before$after"
	done <<EOF
terminal|terminal|$prompt|42\r\nValor lido: 42
terminal|file||${prompt}Valor lido: 4242\r\n
terminal|pipe||${prompt}Valor lido: 4242\r\n
fifo|terminal||${prompt}Valor lido: 42
fifo|file||${prompt}Valor lido: 42
fifo|pipe||${prompt}Valor lido: 42
EOF
	# Both streams on the terminal. Each row: stty's settings, whether the
	# program starts as a background job, env's arguments, keys typed before the
	# program starts (the shell before it waits for word on a fifo), signals
	# once it waits, then keys, and the status and screen wanted. A shell around
	# the program, which waits out Ctrl-C and dumps no core, adds to the screen
	# only [fg] each time it brings the stopped job to the foreground, a line the
	# program left in the terminal's queue, and a note if the terminal's modes
	# differ once the program is done. Without job control the program's process
	# group is orphaned, so SIGTSTP does not stop it. Job control hands the
	# terminal over through standard error, so only a shell without it can send
	# its own reports elsewhere; in POSIX mode bash, like dash, makes none of a
	# job that stops.
	while IFS='|' read -r modes job environment ahead signal keys want_status screen; do
		[[ $signal != *QUIT* ]] || ! emulated ||
			{ echo "SKIP signals $signal: an emulator reports a quit, and lets an ignored signal break a read"; continue; }
		rm -f pid
		around='exec 9>&2 2>/dev/null;'
		start="sh -c 'exec 2>&9 9>&-; echo \$\$ >pid; read -r _ <resume; exec env --default-signal=INT $environment \"\$prog\"'"
		[ -z "$job" ] || around='POSIXLY_CORRECT=1; set -m; exec 9>&2;' \
			start+=' & wait 2>/dev/null; printf [fg]; fg >/dev/null || { printf [fg]; fg >/dev/null; }'
		prog=$prog timeout -s KILL $limit script -qfec "trap '' INT; ulimit -c 0; $around ${modes:+stty $modes;} m=\$(stty -g); $start
			s=\$?; dd iflag=nonblock count=1 2>/dev/null; [ \"\$(stty -g)\" = \"\$m\" ] || printf ' [modes changed]'; exit \$s" /dev/null <keys >screen 2>err &
		session=$!
		exec 3>keys
		await test -s pid
		printf %b "$ahead" >&3
		[ -z "$ahead" ] || await grep -qF "$(printf %b "${ahead//\\n/\\r\\n}")" screen
		timeout -s KILL $limit sh -c 'echo >resume'
		await waiting
		for sig in $signal; do
			kill -"$sig" "$(cat pid)"
			[ "$sig" != STOP ] || await grep -q '^State:.T' "/proc/$(cat pid)/status"
		done
		# Keys only once a signal the program can take is handled, if it has a
		# handler; in one write, as a paste comes, where printf writes each line.
		while read -r pending blocked < <(awk '/^(Sig|Shd)Pnd/ { p = p $2 } /^SigBlk/ { print p, $2 }' "/proc/$(cat pid)/status" 2>/dev/null) &&
			(( (0x${pending:0:16} | 0x${pending:16}) & ~0x$blocked )); do sleep 0.025; done
		printf %b "$keys" | dd iflag=fullblock 2>/dev/null >&3
		wait $session
		status=$?
		exec 3>&-
		cp screen out
		check $status "terminal: stty $modes, job $job, env $environment, typed ahead '$ahead', signals ${signal:-none}, keys '$keys'" \
			"$want_status" "$screen"
	done <<EOF
||-u TERM|||42\n|0|${prompt}42\r\nValor lido: 42
||TERM=no-such-terminal|||42\n|0|${prompt}42\r\nValor lido: 42
||-i|||42\n|0|${prompt}42\r\nValor lido: 42
|||42\n|||0|42\r\n${prompt}Valor lido: 42
||||WINCH TSTP|42\n|0|${prompt}42\r\nValor lido: 42
||||HUP|\x04|129|${prompt}
||||QUIT|\x04|131|${prompt}
||--ignore-signal=HUP,QUIT --block-signal=TERM||HUP QUIT TERM|42\n|0|${prompt}42\r\nValor lido: 42
|||||\x04|0|${prompt}Valor lido: 0
|||||12\x7f3\n|0|${prompt}12\b \b3\r\nValor lido: 13
|||||\x03|130|${prompt}^C
||||TERM||143|${prompt}
-echo|||||42\n 7\n|0|${prompt}Valor lido: 42 7\r\n
|background||||42\n|0|${prompt}[fg]42\r\nValor lido: 42
tostop|background||||42\n|0|[fg]${prompt}42\r\nValor lido: 42
-echo|background|||TSTP|42\n|0|${prompt}[fg][fg]Valor lido: 42
||||STOP CONT|42\n|0|${prompt}42\r\nValor lido: 42
EOF
	;;
*) echo "scanf_ex_test.sh: no mode '$mode'"; exit 1 ;;
esac
[ $fail = 0 ] && echo "all ${mode:-input} cases passed"
exit $fail
