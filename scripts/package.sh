#!/usr/bin/env bash
# Builds the Debian package talvo_VERSION_ARCH.deb into the project folder: the program built in
# build/ (as the tests use it), installed under /usr by CPack, its library dependencies found by
# dpkg-shlibdeps. Install it with `apt install ./talvo_*.deb`.
#   bash scripts/package.sh
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh --target TALVO talvo_manual >/dev/null
rm -f build/package/talvo_*.deb
(cd build && cpack -G DEB >/dev/null)
deb=$(ls build/package/talvo_*.deb)
mv -f "$deb" .
echo "$(basename "$deb")"
