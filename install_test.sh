#!/usr/bin/env bash
# Installs the build into a scratch DESTDIR, replacing any the caller set, so
# that absolute install directories land inside it too. The install must put
# there, and report, each file installed.txt lists, in the folder it gives,
# and nothing else; the installed command must answer exactly; man must find
# the page there, and man-db and mandoc, each where it is installed, must take
# it without a warning. Exits 77 (skipped) only when neither is there and all
# else passed.
usage='usage: install_test.sh CMAKE BUILD_DIR PREFIX [CONFIG]'
cmake=${1:?$usage} build=${2:?$usage} prefix=${3:?$usage}
tmp=$(mktemp -d) || exit 1
trap 'rm -rf "$tmp"' EXIT
root=$tmp/root
# Named, the default component is not noted as a whole install, so the
# user's uninstall still removes just what their own install put in place.
DESTDIR=$root "$cmake" --install "$build" ${4:+--config "$4"} --component Unspecified >"$tmp/log" ||
	{ cat "$tmp/log"; exit 1; }
fail=0
# same WHAT WANTED GOT: where the two differ, says what was wanted and what came.
same() { [ "$2" = "$3" ] || { printf 'FAIL %s\n  wanted: %s\n  got:    %s\n' "$1" "$2" "$3"; fail=1; }; }

# installed.txt: each file the install writes, the variable naming its folder, the folder.
declare -A at
while IFS=$'\t' read -r name _ folder; do
	[[ $folder == /* ]] || folder=$prefix/$folder
	at[$name]=$root$folder/$name
done <"$build/installed.txt"
reported=$(sed -n 's/^-- \(Installing\|Up-to-date\): //p' "$tmp/log" | sort)
same 'the files the install wrote, each in the folder installed.txt gives it' \
	"$(printf '%s\n' "${at[@]}" | sort)" "$(find "$root" -type f -o -type l | sort)"
same 'the files the install reported, against those it wrote' "$reported" "$(find "$root" -type f -o -type l | sort)"
command=${at[scanf_ex]} page=${at[scanf_ex.1.gz]}
same 'what gzip finds wrong in the page and the release notes' '' \
	"$(gzip -t "$page" "${at[changelog.gz]}" 2>&1 | grep .)"
same 'what the installed command writes for 42, and its status' 'Digite um valor inteiro: Valor lido: 42 (status 0)' \
	"$(echo 42 | timeout -s KILL 10 "$command" 2>&1; echo " (status $?)")"

checked=
command -v man >/dev/null &&
	same 'where man finds the page' "$page" "$(MANPATH=${page%/man1/*} man -w scanf_ex 2>/dev/null)"
# mandoc's man takes no --version; man-db's does.
if command -v lexgrog >/dev/null && man --version >/dev/null 2>&1; then
	checked+=' man-db'
	same "what man's index reads of the page" "$page: \"scanf_ex - ask for a whole number and write it back\"" \
		"$(lexgrog "$page" 2>&1)"
	same 'what man-db warns of in the page' '' "$(man --warnings -l "$page" 2>&1 >/dev/null)"
fi
if command -v mandoc >/dev/null; then
	checked+=' mandoc'
	same 'what mandoc finds wrong in the page' '' "$(mandoc -Tlint -Wwarning "$page" 2>&1)"
fi
if [ -z "$checked" ]; then
	echo 'SKIP: neither man-db nor mandoc is installed, so the manual page was not checked'
	[ $fail = 0 ] && exit 77
fi
[ $fail = 0 ] && echo "install checks passed (page checked with$checked)"
exit $fail
