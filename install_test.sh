#!/usr/bin/env bash
# Installs the build under a scratch prefix: the tree must hold the command, its
# manual page, licence and release notes and nothing else, the installed
# command must answer exactly, and man must find the page there, index its NAME
# and render it without a warning. Exits 77 (skipped) only when man is missing
# and all else passed.
cmake=${1:?usage: install_test.sh CMAKE BUILD_DIR [CONFIG]}
build=${2:?usage: install_test.sh CMAKE BUILD_DIR [CONFIG]}
tmp=$(mktemp -d) || exit 1
trap 'rm -rf "$tmp"' EXIT
cd "$tmp" || exit 1
"$cmake" --install "$build" --prefix "$tmp/usr" ${3:+--config "$3"} >/dev/null || exit 1
page=usr/share/man/man1/scanf_ex.1.gz
fail=0
# fail_unless WHAT COMMAND...: runs the check, and says what broke if it fails.
fail_unless() { "${@:2}" || { printf 'FAIL %s\n' "$1"; fail=1; }; }

fail_unless 'install tree' \
	test "$(find usr -type f -o -type l | sort)" = "usr/bin/scanf_ex
usr/share/doc/scanf-ex/changelog.gz
usr/share/doc/scanf-ex/copyright
$page"
echo 42 | usr/bin/scanf_ex >out 2>&1
fail_unless 'installed command exits 0' test $? = 0
printf 'Digite um valor inteiro: Valor lido: 42' >want
fail_unless 'installed command output' cmp -s want out

if ! command -v man >/dev/null; then
	echo 'SKIP: man is missing, so the manual page was not checked'
	[ $fail = 0 ] && exit 77
	exit $fail
fi
fail_unless 'man finds the page under the prefix' \
	test "$(MANPATH="$tmp/usr/share/man" man -w scanf_ex)" = "$tmp/$page"
fail_unless "man's index reads NAME" lexgrog "$page"
man --warnings -l "$page" 2>warnings >/dev/null
fail_unless 'page renders without warnings' test ! -s warnings
cat warnings

[ $fail = 0 ] && echo 'install checks passed'
exit $fail
