#!/bin/sh
# install_record.sh BUILD before|after PREFIX COMPONENT CPACK HOME WRITTEN:
# run by the install with what CMake holds for it: the prefix, the home
# folder a DESTDIR's leading ~ names to CMake (HOME), and after the writes
# the files CMake says it wrote (WRITTEN). It notes only a whole install,
# and only checks cpack's (CPACK set), which is refused an absolute folder
# it would install into on this machine, and a ".." that climbs out.
# "before" refuses, ahead of any write, what uninstall could not undo: a file
# already there that is not what an install from BUILD wrote, anything but a plain file
# where a file goes, a path no line of BUILD/install_made.txt can hold. Then
# it makes each missing folder, mode 0755, and notes it there, and notes
# each file the install is about to write, with the SHA-256 of what it will
# copy where that is known yet. "after" notes the SHA-256 of each file as
# written, which a strip may have changed.
# install_record.sh BUILD: uninstalls what the record holds.
# Both hold a lock on BUILD/install_made.lock, so that neither reads the
# record while the other writes it, and BUILD/install_running names an
# install between its two phases, which uninstall waits out. Paths are only
# ever quoted.
set -u
export LC_ALL=C # paths are matched byte for byte, whatever the user's locale
build=$1 record=$1/install_made.txt tab=$(printf '\t') nl='
'
exec 9>>"$build/install_made.lock" && flock 9 || exit 1
# real FOLDER: where the kernel finds FOLDER, through links and "..".
real() { (cd -P -- "$1" 2>/dev/null && pwd -P); }
# sum FILE: the SHA-256 of its bytes; fails if it cannot be read.
sum() { set -- "$(sha256sum 2>/dev/null <"$1")" && [ -n "$1" ] && echo "${1%% *}"; }
# started PID: when process PID started, which tells it from a later one
# given the same number.
started() { sed 's/.*) //' "/proc/$1/stat" 2>/dev/null | cut -d' ' -f20; }
# refuse WHY...: stops the install before it writes anything.
refuse() { echo "Nothing was installed: $*" >&2; exit 1; }
# ours PATH: true if PATH holds bytes an install from here noted for it, or
# its newest note is of an install cut short while writing it.
ours() { grep -qxF "f $(sum "$1") $1" "$record" 2>/dev/null ||
	[ "$(sed 's/^f [0-9a-f]* /f /' "$record" 2>/dev/null | grep -xF -e "f $1" -e "n $1" | tail -n 1)" = "n $1" ]; }

if [ $# -gt 1 ]; then
	phase=$2 prefix=$3 destdir=${DESTDIR-} made='' notes='' wrote=''
	[ -z "${5-}" ] || phase=cpack
	[ -z "${4-}" ] || [ "$phase" = cpack ] || exit 0
	# CMake reads a DESTDIR's leading ~ as a home folder, as the shell does.
	case $destdir in '~'*) destdir=${6-}${destdir#"${destdir%%/*}"} ;; esac
	for path in "$prefix" "$destdir"; do
		case $path in
		'~'*) refuse "'$path' starts with a '~' that CMake does not read as a home folder throughout: give the folder itself, as the shell's ~ gives it" ;;
		*\\* | *"$nl"*) refuse "'$path' holds a backslash, which CMake takes for a slash, or a line break, which the record cannot hold: install where the path has neither" ;;
		esac
	done
	case ${6-} in *';'*) refuse "DESTDIR '$DESTDIR' names a home folder CMake and the shell read differently" ;; esac
	case $prefix in /*) ;; *) prefix=$PWD/$prefix ;; esac # as CMake makes it absolute
	# Each line of installed.txt: a file of the build folder, the variable
	# that names the folder it goes to, and that folder.
	while IFS= read -r line; do
		name=${line%%"$tab"*} line=${line#*"$tab"} variable=${line%%"$tab"*} folder=${line#*"$tab"}
		case $phase:$folder in
		cpack:/*) refuse "$variable makes '$folder' absolute, outside the package cpack makes: configure with $variable relative to the prefix, as by default" ;;
		*:/*) ;;
		*) folder=$prefix/$folder ;;
		esac
		# A ".." would climb out of a DESTDIR, or out of cpack's staging tree.
		case /$folder/ in */../*) if [ -n "$destdir" ] || [ "$phase" = cpack ]; then
			refuse "'$folder' holds a '..', which would climb out of the tree it is installed into: give the prefix and folders without one"; fi ;; esac
		[ "$phase" != cpack ] || continue
		wrote=$wrote${wrote:+;}$folder/$name
		# Under a DESTDIR, CMake puts the absolute destination in it.
		folder=$destdir$folder
		case $folder in /*) ;; *) folder=$PWD/$folder ;; esac
		# The folders the install will make are those missing below the
		# nearest that exists, taken where the kernel finds it.
		new=
		while [ -n "$folder" ] && [ ! -e "$folder" ] && [ ! -L "$folder" ]; do
			new=/${folder##*/}$new folder=${folder%/*}
		done
		there=$(real "${folder:-/}") || refuse "'$folder' is not a folder"; folder=${there%/}
		while [ -n "$new" ]; do
			new=${new#/} part=${new%%/*} new=${new#"${new%%/*}"}
			case $part in
			'' | .) ;;
			..) folder=${folder%/*} ;;
			*)
				folder=$folder/$part
				# An existing part, after a ".." past a new folder, is resolved again.
				if [ ! -e "$folder" ] && [ ! -L "$folder" ]; then case $nl$made in *"$nl$folder$nl"*) ;; *) made=$made$folder$nl ;; esac
				else there=$(real "$folder") || refuse "'$folder' is not a folder"; folder=$there; fi ;;
			esac
		done
		# Before the write, what the install copies, where it is known
		# yet: a copy left whole by an install cut short is then removed.
		file=$folder/$name from=$build/$name
		[ "$phase" = before ] || from=$file
		[ ! -f "$from" ] || notes="${notes}f $(sum "$from" || echo 0) $file$nl"
		[ "$phase" = after ] || notes="${notes}n $file$nl"
		[ "$phase" = after ] || { [ ! -e "$file" ] && [ ! -L "$file" ]; } ||
			if [ -L "$file" ] || [ ! -f "$file" ]; then
				refuse "'$file' is there already, and not as a plain file: remove it, or install elsewhere"
			elif ! ours "$file"; then
				refuse "'$file' is there already, and is not what an install from this build folder wrote:" \
					"remove it, or uninstall what put it there (dpkg -S names a package's), or install elsewhere"
			fi
	done <"$build/installed.txt"
	[ "$phase" != cpack ] || exit 0
	# While the files are written, uninstall waits for this install to end.
	if [ "$phase" = before ]; then echo "$PPID $(started $PPID)" >"$build/install_running"; else rm -f -- "$build/install_running"; fi
	while [ "$phase" = before ] && [ -n "$made" ]; do
		folder=${made%%"$nl"*} made=${made#*"$nl"}
		mkdir -m 755 -- "$folder" && echo "d $folder" >>"$record" || exit 1
	done
	printf %s "$notes" >>"$record" || refuse "'$record' could not be written"
	# A tripwire: CMake's own list must name the same files.
	[ "$phase" = before ] || [ "$(printf %s "$wrote" | tr -s /)" = "$(printf %s "${7-}" | tr -s /)" ] ||
		{ echo "CMake wrote '${7-}' where the install record noted '$wrote': uninstall may leave some" >&2; exit 1; }
	exit
fi

# Uninstall, newest note first, so that each folder comes after what it
# holds: a file is removed only if it holds bytes some install noted for
# that path, is not a link and has no link on its path; a folder only if it
# is empty. A file an install cut short was writing, a folder not empty yet
# and what could not be removed stay noted.
if [ -e "$build/install_folders.txt" ] || grep -qvE '^(d|n|f [0-9a-f]+) /' "$record" 2>/dev/null; then
	echo "An install made by scanf_ex 1.0.5 or older cannot be checked: remove by hand what this build folder's install_*.txt files list, then them." >&2 && exit 1
fi
! { read -r pid at <"$build/install_running" && [ -n "$at" ] && [ "$(started "$pid")" = "$at" ]; } 2>/dev/null ||
	{ echo "An install from this build folder is running (process $pid): uninstall once it has ended" >&2; exit 1; }
[ -s "$record" ] || { echo '-- Nothing to uninstall: no install from this build folder is noted'; exit 0; }
left='' done=$nl failed=''
# keep WHY FAILED: keeps the path noted, saying why, and fails if FAILED is set.
keep() { echo "-- Kept: $path: $1"; left=$line$nl$left failed=$failed$2; }
while IFS= read -r line; do
	kind=${line%% *} path=${line#* }
	[ "$kind" != f ] || path=${path#* }
	case $done in *"$nl$path$nl"*) continue ;; esac
	done=$done$path$nl
	[ -e "$path" ] || [ -L "$path" ] || continue
	parent=${path%/*}
	if [ "$(real "${parent:-/}")" != "${parent:-/}" ] || [ -L "$path" ] ||
		{ [ "$kind" = d ] && [ ! -d "$path" ]; } || { [ "$kind" != d ] && [ ! -f "$path" ]; }; then
		echo "-- Kept: $path: not what an install made there, or now behind a link"
	elif [ "$kind" = d ] && [ -n "$(ls -A -- "$path" 2>/dev/null)" ]; then
		keep 'not empty; a later uninstall removes it once it is' ''
	elif [ "$kind" = d ] || grep -qxF "f $(sum "$path") $path" "$record"; then
		if { [ "$kind" = d ] && rmdir -- "$path"; } || { [ "$kind" != d ] && rm -f -- "$path"; }; then
			echo "-- Removed: $path"
		else
			[ "$kind" = d ] || line="f $(sum "$path") $path"
			echo "-- Could not remove: $path: run the uninstall again as a user who may remove it"
			left=$line$nl$left failed=1
		fi
	elif [ "$kind" = n ]; then
		keep 'an install cut short was writing it: run the install again, then the uninstall' 1
	else
		echo "-- Kept: $path: changed since an install wrote it"
	fi
done <<EOF
$(sed '1!G;h;$!d' "$record")
EOF
# What is kept noted stays in the record for the next uninstall.
[ -n "$left" ] || { rm -f -- "$record"; exit 0; }
{ printf %s "$left" >"$record.new" && mv -f -- "$record.new" "$record"; } ||
	{ echo "'$record' could not be rewritten: it still notes all it did before this uninstall" >&2; exit 1; }
[ -z "$failed" ] || { echo "Not all was removed: what was kept stays noted in $record;" \
	"do what its line above says, then run the uninstall again." >&2; exit 1; }
