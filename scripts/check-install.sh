#!/usr/bin/env bash
# The install tree as a test: `cmake --install` of a built tree into a temporary prefix (with a
# blank in its name), then the file list, the command's relative link to the program folder, the
# program's libraries, the desktop entry (desktop-file-validate) and the manual page (groff).
#   bash scripts/check-install.sh BUILD_DIR
set -euo pipefail
build=$(cd "${1:?usage: check-install.sh BUILD_DIR}" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix="$work/pre fix"
status=0
fail() { echo "FAIL: $*"; status=1; }

# Twice into the same prefix: a second install over the first must give the same tree.
for round in 1 2; do
  cmake --install "$build" --prefix "$prefix" >/dev/null
done

expected="bin/talvo l
lib/talvo/SEPA01.TXT f
lib/talvo/SEPA02.TXT f
lib/talvo/SEPA03.TXT f
lib/talvo/TALVO f
lib/talvo/TALVO.HLP f
share/applications/talvo.desktop f
share/icons/hicolor/128x128/apps/talvo.png f
share/icons/hicolor/16x16/apps/talvo.png f
share/icons/hicolor/22x22/apps/talvo.png f
share/icons/hicolor/24x24/apps/talvo.png f
share/icons/hicolor/256x256/apps/talvo.png f
share/icons/hicolor/32x32/apps/talvo.png f
share/icons/hicolor/48x48/apps/talvo.png f
share/icons/hicolor/64x64/apps/talvo.png f
share/icons/hicolor/scalable/apps/talvo.svg f
share/man/man1/talvo.1.gz f"
actual=$(cd "$prefix" && find . \( -type f -o -type l \) -printf '%P %y\n' | LC_ALL=C sort)
if [ "$actual" != "$(printf '%s\n' "$expected" | LC_ALL=C sort)" ]; then
  fail "installed files differ:"
  diff <(printf '%s\n' "$expected" | LC_ALL=C sort) <(printf '%s\n' "$actual") || true
fi

# The command is a relative link, so the tree runs wherever it is copied; the program finds
# its folder through the link's target.
[ "$(readlink "$prefix/bin/talvo")" = "../lib/talvo/TALVO" ] || fail "bin/talvo links to $(readlink "$prefix/bin/talvo")"
cp -a "$prefix" "$work/moved"
[ "$(realpath "$work/moved/bin/talvo")" = "$(realpath "$work/moved/lib/talvo/TALVO")" ] ||
  fail "a moved tree's command does not reach its program"
[ -x "$prefix/lib/talvo/TALVO" ] || fail "the program is not executable"
if missing=$(ldd "$prefix/lib/talvo/TALVO" | grep 'not found'); then fail "libraries not found: $missing"; fi
for f in "$prefix"/lib/talvo/*.TXT "$prefix"/lib/talvo/TALVO.HLP; do
  [ "$(stat -c %a "$f")" = 644 ] || fail "$f has mode $(stat -c %a "$f")"
done

desktop-file-validate "$prefix/share/applications/talvo.desktop" || fail "desktop entry"
grep -qx 'Exec=talvo %F' "$prefix/share/applications/talvo.desktop" || fail "desktop entry's Exec"
warnings=$(zcat "$prefix/share/man/man1/talvo.1.gz" | groff -man -Tutf8 -ww -z 2>&1)
[ -z "$warnings" ] || fail "manual page: $warnings"

[ $status = 0 ] && echo "install tree as expected"
exit $status
