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

# On a terminal the prompt must be on screen before anything is typed.
mkfifo keys
: >out
timeout 10 script -qfec "$prog" /dev/null <keys >out 2>err &
exec 3>keys
for _ in $(seq 50); do [ "$(wc -c <out)" -ge ${#prompt} ] && break; sleep 0.1; done
status=0
check 'terminal, before typing' 0 "$prompt"
printf '42\n' >&3
wait $!
status=$?
exec 3>&-
check 'terminal, after typing' 0 "${prompt}42"$'\r\n'"Valor lido: 42"

[ $fail = 0 ] && echo 'all cases passed'
exit $fail
