#!/bin/sh
# install_record.sh BUILD before|after PREFIX [COMPONENT [CPACK]]: run by the
# install, it notes only a whole one, and cpack's (CPACK set) only checks.
# "before" notes in BUILD/install_made.txt, ahead of any write, each folder a
# whole install will make and each file it will write, with the SHA-256 of
# its bytes, where the kernel puts them; "after" notes the files again as
# written, which a strip may have changed. cpack's install is refused an
# absolute folder, which it would install into on this machine.
# install_record.sh BUILD: uninstalls what the record holds.
# Paths are only ever quoted, so any byte but a line break may be in them.
set -u
export LC_ALL=C # rm and rmdir say why they failed in words read below
build=$1 record=$1/install_made.txt tab=$(printf '\t') nl='
'
# real FOLDER: where the kernel finds FOLDER, through links and "..".
real() { (cd -P -- "$1" 2>/dev/null && pwd -P); }
# sum FILE: the SHA-256 of its bytes; fails if it cannot be read.
sum() { set -- "$(sha256sum 2>/dev/null <"$1")" && [ -n "$1" ] && echo "${1%% *}"; }

if [ $# -gt 1 ]; then
	[ -z "${5-}" ] || set -- "$1" cpack
	[ -z "${4-}" ] || [ "$2" = cpack ] || exit 0
	noted=
	# Each line of installed.txt: a file of the build folder, the variable
	# that names the folder it goes to, and that folder.
	while IFS=$tab read -r name variable folder; do
		case $2:$folder in
		cpack:/*) echo "$variable makes '$folder' absolute, outside the package cpack makes:" \
			"configure with $variable relative to the prefix, as by default" >&2 && exit 1 ;;
		cpack:*) continue ;;
		*:/*) ;;
		*) folder=$3/$folder ;;
		esac
		folder=${DESTDIR-}$folder
		# CMake reads a leading ~/ as the home folder.
		# shellcheck disable=SC2088
		case $folder in '~/'*) folder=$HOME${folder#\~} ;; esac
		# CMake takes a backslash for a slash, and a line break would split
		# a line of the record.
		case $folder in *\\* | *"$nl"*)
			echo "Nothing was installed: '$folder' holds a backslash or a line break" >&2 && exit 1 ;;
		esac
		case $folder in /*) ;; *) folder=$PWD/$folder ;; esac
		# The folders the install will make are those missing below the
		# nearest that exists, taken where the kernel finds it.
		new=
		while [ -n "$folder" ] && [ ! -e "$folder" ] && [ ! -L "$folder" ]; do
			new=/${folder##*/}$new folder=${folder%/*}
		done
		folder=$(real "${folder:-/}") ||
			{ echo "Nothing was installed: '$folder' is not a folder" >&2; exit 1; }
		folder=${folder%/}
		while [ -n "$new" ]; do
			new=${new#/} part=${new%%/*} new=${new#"${new%%/*}"}
			case $part in
			'' | .) ;;
			..) folder=${folder%/*} ;;
			*)
				folder=$folder/$part
				if [ -e "$folder" ]; then
					folder=$(real "$folder") # a link, after a ".." past a new folder
				else
					case $nl$noted in *"${nl}d $folder$nl"*) ;; *) noted="${noted}d $folder$nl" ;; esac
				fi ;;
			esac
		done
		if [ "$2" = before ]; then from=$build/$name; else from=$folder/$name; fi
		# Before a build, or in a multi-configuration build's folder, what the
		# install will copy is not known yet: "after" notes what it wrote.
		noted="${noted}f $(sum "$from" || echo 0) $folder/$name$nl"
	done <"$build/installed.txt"
	[ "$2" = cpack ] || printf %s "$noted" >>"$record"
	exit
fi

# Uninstall, newest first, so that each folder comes after what it holds: a
# file is removed only if it holds bytes some install noted for that path,
# is not a link and has no link on its path; a folder only if it is empty.
if [ -e "$build/install_folders.txt" ] || grep -qvE '^(d|f [0-9a-f]+) /' "$record" 2>/dev/null; then
	echo "An install made by scanf_ex 1.0.5 or older cannot be checked: remove by hand" \
		"what this build folder's install_*.txt files list, then them." >&2 && exit 1
fi
[ -s "$record" ] || { echo '-- Nothing to uninstall: no install from this build folder is noted'; exit 0; }
left='' done=$nl
while IFS= read -r line; do
	kind=${line%% *} path=${line#* }
	[ "$kind" = d ] || path=${path#* }
	case $done in *"$nl$path$nl"*) continue ;; esac
	[ -e "$path" ] || [ -L "$path" ] || continue
	done=$done$path$nl
	if [ "$(real "${path%/*}")" != "${path%/*}" ] ||
		{ [ "$kind" = d ] && { [ -L "$path" ] || [ ! -d "$path" ]; }; } ||
		{ [ "$kind" = f ] && { [ -L "$path" ] || [ ! -f "$path" ] ||
			! grep -qxF "f $(sum "$path") $path" "$record"; }; }; then
		echo "-- Kept: $path: not what an install wrote there, or now behind a link"
		continue
	fi
	if [ "$kind" = d ]; then why=$(rmdir -- "$path" 2>&1); else why=$(rm -f -- "$path" 2>&1); fi &&
		{ echo "-- Removed: $path"; continue; }
	case $why in
	*'not empty'*) [ -z "$left" ] || left=$line$nl$left ;; # it may hold only what could not go
	*) echo "-- Could not remove: $path: ${why##*: }"; left=$line$nl$left ;;
	esac
done <<EOF
$(sed '1!G;h;$!d' "$record")
EOF
# What could not be removed, say for want of permission, stays noted for the
# next try.
[ -z "$left" ] || { printf %s "$left" >"$record"; echo "What could not be removed stays noted in" \
	"$record: run the uninstall again as a user who may remove it, such as the one who installed it." >&2; exit 1; }
rm -f -- "$record"
