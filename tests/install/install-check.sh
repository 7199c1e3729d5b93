#!/usr/bin/env bash
# Installs the build into a temporary prefix (with a blank in its name), directly and staged
# through DESTDIR, and checks what a desktop needs: the launcher entry is valid and starts the
# installed program, the program's link resolves (relative, so it survives staging), the icon
# is there, and an install in place registers the entry for the sign-in's return links. Usage: install-check.sh BUILD_FOLDER
set -euo pipefail
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "install-check: $*" >&2; exit 1; }

check() {
  local root=$1 prefix=$2
  local entry="$root$prefix/share/applications/quillmarsh.desktop"
  [ -f "$entry" ] || fail "no launcher entry at $entry"
  desktop-file-validate "$entry" || fail "the launcher entry is not valid"
  local exec
  exec=$(sed -n 's/^Exec=//p' "$entry")
  [ "$exec" = "\"$prefix/bin/quillmarsh\" %u" ] || fail "Exec is $exec, not the program under $prefix"
  local link="$root$prefix/bin/quillmarsh"
  [ -L "$link" ] || fail "$link is not a link"
  case $(readlink "$link") in /*) fail "$link points to an absolute path: $(readlink "$link")" ;; esac
  [ -x "$(readlink -f "$link")" ] || fail "$link leads to no program"
  [ -f "$root$prefix/share/icons/hicolor/scalable/apps/quillmarsh.svg" ] || fail "no icon"
}

prefix="$work/Quillmarsh apps"
cmake --install "$build" --prefix "$prefix" >/dev/null
check "" "$prefix"
grep -q '^x-scheme-handler/quillmarsh=quillmarsh.desktop' "$prefix/share/applications/mimeinfo.cache" ||
  fail "the desktop's cache doesn't know the entry opens the sign-in links"

# A package build stages into DESTDIR; then the staging folder moves away, as it does when the
# package is unpacked on another machine.
DESTDIR="$work/stage" cmake --install "$build" --prefix /opt/quillmarsh >/dev/null
check "$work/stage" /opt/quillmarsh
mkdir "$work/moved" && mv "$work/stage" "$work/moved/stage"
check "$work/moved/stage" /opt/quillmarsh
echo "install-check: the launcher entry, the program's link and the icon are in place"
