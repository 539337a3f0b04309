#!/usr/bin/env bash
# Installs the Debian packages Talvo builds, runs and is tested with (as root on Debian 12).
# Packages named as arguments are installed too (fuzz/run asks for its compiler this way).
set -euo pipefail
packages=(cmake make g++ pkg-config qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins libgl-dev
          fonts-ipafont-gothic qt6-translations-l10n xvfb xauth libxcb1-dev
          librsvg2-bin desktop-file-utils groff-base dpkg-dev "$@")
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
