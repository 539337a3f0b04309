#!/usr/bin/env bash
# The Debian package as a user meets it (as root, on a machine where it may be installed):
# installed with apt and removed again, twice, leaving nothing behind; while installed, the
# command links to the program folder, which holds what the program reads.
#   bash scripts/check-package.sh [PACKAGE.deb]     (default: the one scripts/package.sh made)
set -euo pipefail
cd "$(dirname "$0")/.."
deb=$(realpath "${1:-$(ls talvo_*.deb | tail -n 1)}")
export DEBIAN_FRONTEND=noninteractive
status=0
fail() { echo "FAIL: $*"; status=1; }
for round in 1 2; do
  # Its dependencies are what setup.sh installed; recommended extras would need the network.
  apt-get install -y -qq --no-install-recommends "$deb" >/dev/null
  [ "$(readlink /usr/bin/talvo)" = "../lib/talvo/TALVO" ] || fail "/usr/bin/talvo"
  for f in TALVO TALVO.HLP SEPA01.TXT SEPA02.TXT SEPA03.TXT; do
    [ -f "/usr/lib/talvo/$f" ] || fail "/usr/lib/talvo/$f missing"
  done
  [ -f /usr/share/applications/talvo.desktop ] || fail "desktop entry missing"
  if missing=$(ldd /usr/lib/talvo/TALVO | grep 'not found'); then fail "libraries: $missing"; fi
  apt-get remove -y -qq talvo >/dev/null
  [ ! -e /usr/lib/talvo ] && [ ! -e /usr/bin/talvo ] || fail "files left after removal (round $round)"
done
[ $status = 0 ] && echo "package installs and removes cleanly: $(basename "$deb")"
exit $status
