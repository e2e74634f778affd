#!/usr/bin/env bash
# Installs the build into a scratch DESTDIR, replacing any the caller set, so
# that absolute install directories land inside it too. The install must
# report the command, its manual page, licence and release notes, all inside
# the scratch tree, and leave nothing else there; the installed command must
# answer exactly; man must find the page there, and man-db or mandoc, each
# where it is installed, must take the page without a warning. Exits 77
# (skipped) only when neither is there and all else passed.
cmake=${1:?usage: install_test.sh CMAKE BUILD_DIR [CONFIG]}
build=${2:?usage: install_test.sh CMAKE BUILD_DIR [CONFIG]}
tmp=$(mktemp -d) || exit 1
trap 'rm -rf "$tmp"' EXIT
cd "$tmp" || exit 1
root=$tmp/root
# Named, the default component gets a manifest of its own, so the user's
# install_manifest.txt still lists what their own install put in place.
DESTDIR=$root "$cmake" --install "$build" ${3:+--config "$3"} --component Unspecified >log ||
	{ cat log; exit 1; }
sed -n 's/^-- \(Installing\|Up-to-date\): //p' log | sort >reported
fail=0
# fail_unless WHAT COMMAND...: runs the check, and says what broke if it fails.
fail_unless() { "${@:2}" || { printf 'FAIL %s\n' "$1"; fail=1; }; }

fail_unless 'the install writes outside its DESTDIR' \
	test -z "$(grep -v "^$root/" reported)"
fail_unless 'the install leaves files it does not report' \
	test "$(find "$root" -type f -o -type l | sort)" = "$(cat reported)"
fail_unless 'the install reports other files than the command, its page, licence and notes' \
	test "$(sed 's|.*/||' reported | sort | tr '\n' ' ')" = 'changelog.gz copyright scanf_ex scanf_ex.1.gz '
command=$(grep '/scanf_ex$' reported)
page=$(grep '/man1/scanf_ex\.1\.gz$' reported)
if [ -z "$command" ] || [ -z "$page" ]; then cat reported; exit 1; fi

echo 42 | timeout 10 "$command" >out 2>&1
fail_unless 'installed command exits 0' test $? = 0
printf 'Digite um valor inteiro: Valor lido: 42' >want
fail_unless 'installed command output' cmp -s want out

checked=
if command -v man >/dev/null; then
	fail_unless 'man finds the page in the install tree' \
		test "$(MANPATH=${page%/man1/*} man -w scanf_ex 2>/dev/null)" = "$page"
fi
# mandoc's man takes no --version; man-db's does.
if command -v lexgrog >/dev/null && man --version >/dev/null 2>&1; then
	checked+=' man-db'
	fail_unless "man's index reads NAME" lexgrog "$page"
	man --warnings -l "$page" 2>warnings >/dev/null
	fail_unless 'man-db renders the page without warnings' test ! -s warnings
	cat warnings
fi
if command -v mandoc >/dev/null; then
	checked+=' mandoc'
	mandoc -Tlint -Wwarning "$page" >warnings 2>&1
	fail_unless 'mandoc finds no fault in the page' test $? = 0 -a ! -s warnings
	cat warnings
fi
if [ -z "$checked" ]; then
	echo 'SKIP: neither man-db nor mandoc is installed, so the manual page was not checked'
	[ $fail = 0 ] && exit 77
	exit $fail
fi

[ $fail = 0 ] && echo "install checks passed (page checked with$checked)"
exit $fail
