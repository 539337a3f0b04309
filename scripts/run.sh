#!/usr/bin/env bash
# The main job: install what is missing, build, and open the main window on the samples.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh --target TALVO
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "Talvo needs a graphical display: no DISPLAY or WAYLAND_DISPLAY is set (built program: build/bin/TALVO)."
  exit 1
fi
exec build/bin/TALVO samples/*.TXT "$@"
