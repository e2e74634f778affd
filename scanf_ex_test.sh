#!/usr/bin/env bash
# End to end: exact bytes on standard output, nothing on standard error, and
# the exit status, for each way of running the program.
prog=$(realpath "${1:?usage: scanf_ex_test.sh PROGRAM}") || exit 1
tmp=$(mktemp -d) || exit 1
trap 'rm -rf "$tmp"' EXIT
cd "$tmp" || exit 1
prompt='Digite um valor inteiro: '
fail=0
# A faulty program may stop reading early; that must fail a case, not kill us.
trap '' PIPE

# check NAME WANT_STATUS WANT_STDOUT, against the run just made.
check() {
	if [ "$status" != "$2" ] || [ -s err ] || ! printf %s "$3" | cmp -s - out; then
		printf 'FAIL %s: status %s, stdout:\n' "$1" "$status"
		od -c out | head -5
		head -c 300 err
		fail=1
	fi
}

# Standard input (printf %b escapes) and the value the echo must show.
while IFS='|' read -r input value; do
	printf %b "$input" | "$prog" >out 2>err
	status=$?
	check "input '$input'" 0 "${prompt}Valor lido: $value"
done <<'EOF'
42\n|42
 \t\v\f\r\n\n  -17\n|-17
+5|5
0x1A\n|0
- 5\n|0
+-3\n|0
\xa05\n|0
2147483647\n|2147483647
2147483646\n|2147483646
2147483648\n|2147483647
-2147483648\n|-2147483648
-2147483647\n|-2147483647
-2147483649\n|-2147483648
-00000000002147483648\n|-2147483648
EOF

"$prog" <&- >out 2>err
status=$?
check 'closed standard input' 0 "${prompt}Valor lido: 0"

# A write that fails must not end in success.
: >out
echo 1 | "$prog" >/dev/full 2>err
status=$?
check 'standard output full' 1 ''
echo 1 | "$prog" >&- 2>err
status=$?
check 'standard output closed' 1 ''

# A seekable input is handed back just past what the number used.
printf '5 6abc\n' >in
{ "$prog" && "$prog" && cat; } <in >out 2>err
status=$?
check 'seekable input handed back' 0 "${prompt}Valor lido: 5${prompt}Valor lido: 6abc
"

# Far more digits than fit; memory must not grow with them, so the run is
# held to a 32 MiB address space wherever the build can start under one.
vm=32768
(ulimit -v $vm && "$prog" </dev/null >/dev/null 2>&1) || vm=unlimited
for row in '|2147483647' '-|-2147483648'; do
	{ printf %s "${row%|*}"; head -c 50000000 /dev/zero | tr '\0' 9; } |
		(ulimit -v $vm && exec "$prog") >out 2>err
	status=$?
	check "50 MB of digits after '${row%|*}'" 0 "${prompt}Valor lido: ${row#*|}"
done

# While the program waits for its number, a terminal must already show the
# prompt; with either stream elsewhere nothing is written yet, so both texts
# leave together at the end. Each row: standard input and output (a terminal
# under script, or a fifo and a file), what is written while the program
# waits, and all that is written once it has read 42 and Enter.
mkfifo keys piped
# waiting: true once the program under script is asleep in its read.
waiting() {
	local pid state
	pid=$(cat pid 2>/dev/null) && [ "$(readlink "/proc/$pid/exe")" = "$prog" ] &&
		read -r _ _ state _ <"/proc/$pid/stat" && [ "$state" = S ]
}
while IFS='|' read -r stdin stdout before after; do
	redirect= seen=screen
	[ "$stdin" = tty ] || redirect+=' <piped'
	[ "$stdout" = tty ] || redirect+=' >file' seen=file
	: >file && rm -f pid
	exec 4<>piped
	timeout 10 script -qfec "echo \$\$ >pid; exec '$prog'$redirect" /dev/null <keys >screen 2>err &
	exec 3>keys
	for _ in $(seq 100); do waiting && break; sleep 0.05; done
	sleep 0.2 # time for script to pass on what the program wrote
	cp "$seen" out && status=0
	check "$stdin in, $stdout out, waiting" 0 "$(printf %b "$before")"
	[ "$stdin" = tty ] && printf '42\n' >&3 || printf '42\n' >&4
	wait $!
	status=$?
	exec 3>&- 4>&-
	cp "$seen" out
	check "$stdin in, $stdout out, after 42" 0 "$(printf %b "$after")"
done <<EOF
tty|tty|$prompt|${prompt}42\r\nValor lido: 42
tty|file||${prompt}Valor lido: 42
fifo|tty||${prompt}Valor lido: 42
EOF

[ $fail = 0 ] && echo 'all cases passed'
exit $fail
