#!/usr/bin/env bash
# Installs the build into a temporary prefix (with a blank in its name), directly and staged
# through DESTDIR, and checks what a desktop needs: the launcher entry is valid and starts the
# installed program, the program's link resolves (relative, so it survives staging), the icon
# is there, and an install in place registers the entry for the sign-in's return links, which
# xdg-open then hands to the program even where it recognises no desktop. Usage: install-check.sh BUILD_FOLDER
set -euo pipefail
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "install-check: $*" >&2; exit 1; }

# check ROOT PREFIX EXEC: EXEC is how the entry's Exec names the program.
check() {
  local root=$1 prefix=$2 program=$3
  local entry="$root$prefix/share/applications/quillmarsh.desktop"
  [ -f "$entry" ] || fail "no launcher entry at $entry"
  desktop-file-validate "$entry" || fail "the launcher entry is not valid"
  local exec
  exec=$(sed -n 's/^Exec=//p' "$entry")
  [ "$exec" = "$program %u" ] || fail "Exec is $exec, not $program %u"
  local link="$root$prefix/bin/quillmarsh"
  [ -L "$link" ] || fail "$link is not a link"
  case $(readlink "$link") in /*) fail "$link points to an absolute path: $(readlink "$link")" ;; esac
  [ -x "$(readlink -f "$link")" ] || fail "$link leads to no program"
  [ -f "$root$prefix/share/icons/hicolor/scalable/apps/quillmarsh.svg" ] || fail "no icon"
}

prefix="$work/Quillmarsh apps"
cmake --install "$build" --prefix "$prefix" >/dev/null
check "" "$prefix" "\"$prefix/bin/quillmarsh\""
grep -q '^x-scheme-handler/quillmarsh=quillmarsh.desktop' "$prefix/share/applications/mimeinfo.cache" ||
  fail "the desktop's cache doesn't know the entry opens the sign-in links"

# A package build stages into DESTDIR; then the staging folder moves away, as it does when the
# package is unpacked on another machine.
DESTDIR="$work/stage" cmake --install "$build" --prefix /opt/quillmarsh >/dev/null
check "$work/stage" /opt/quillmarsh /opt/quillmarsh/bin/quillmarsh
mkdir "$work/moved" && mv "$work/stage" "$work/moved/stage"
check "$work/moved/stage" /opt/quillmarsh /opt/quillmarsh/bin/quillmarsh

# A browser's return link, opened by xdg-open in a session whose desktop it doesn't recognise (a
# plain window manager): it runs the entry's Exec itself. A stand-in in place of the installed
# program writes down what it was given.
prefix="$work/plain"
cmake --install "$build" --prefix "$prefix" >/dev/null
check "" "$prefix" "$prefix/bin/quillmarsh"
printf '#!/bin/sh\nprintf "%%s\\n" "$@" >"%s"\n' "$work/opened" >"$(readlink -f "$prefix/bin/quillmarsh")"
link='quillmarsh://auth-callback#access_token=a.b&refresh_token=c&type=magiclink'
mkdir "$work/home" "$work/none"
env -i PATH="$PATH" HOME="$work/home" DISPLAY="${DISPLAY:-:0}" DBUS_SESSION_BUS_ADDRESS="unix:path=$work/no-bus" \
  XDG_DATA_HOME="$prefix/share" XDG_DATA_DIRS="$work/none" XDG_CONFIG_DIRS="$work/none" \
  xdg-open "$link" || fail "xdg-open couldn't open a return link (exit $?)"
[ "$(cat "$work/opened" 2>/dev/null)" = "$link" ] || fail "xdg-open didn't hand the return link to the program"
echo "install-check: the launcher entry, the program's link and the icon are in place; return links reach the program"
