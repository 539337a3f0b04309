#!/usr/bin/env bash
# The include rule as a test: each folder includes only from the folders below it in the stack
#   lines <- platform <- bigview <- viewer, launcher <- app
# and the rule libraries (bigview/rules, viewer/rules, launcher/rules, app/rules) only what links
# without widgets; the view's probes (bigview/BigViewProbe.h) only from tests/ and bench/.
# Prints every include that runs back up and fails when there is one.
#   bash scripts/check-layers.sh [ROOT]
set -euo pipefail
cd "${1:-$(dirname "$0")/..}"

# folder: the folders (or single headers) its files may include besides their own
declare -A allowed=(
  [lines]=""
  [platform]="lines"
  [bigview/rules]="lines platform/VirtualKeys.h"
  [bigview]="lines platform bigview/rules"
  [viewer/rules]="lines bigview/rules"
  [viewer]="lines platform bigview bigview/rules viewer/rules"
  [launcher/rules]=""
  [launcher]="lines platform bigview bigview/rules launcher/rules"
  [app/rules]="lines viewer/ViewerState.h"
)

status=0
for folder in "${!allowed[@]}"; do
  for file in "$folder"/*.cpp "$folder"/*.h; do
    [ -e "$file" ] || continue
    while IFS= read -r included; do
      ok=0
      [ "$(dirname "$included")" = "$folder" ] && ok=1
      for a in ${allowed[$folder]}; do
        case $included in
          "$a") ok=1 ;;
          "$a"/*) [ "$(dirname "$included")" = "$a" ] && ok=1 ;;
        esac
      done
      # Project headers always name their folder; a bare name would hide a crossing.
      case $included in */*) ;; *) case $included in *.moc) ok=1 ;; *) ok=0 ;; esac ;; esac
      if [ $ok = 0 ]; then
        echo "$file includes \"$included\" (allowed: own folder ${allowed[$folder]})"
        status=1
      fi
    done < <(sed -n 's/^#include "\([^"]*\)".*/\1/p' "$file")
  done
done

# The view's probes are for the tests and the benchmarks only.
while IFS= read -r file; do
  echo "$file includes \"bigview/BigViewProbe.h\" (only tests/ and bench/ may)"
  status=1
done < <(grep -rl --include='*.cpp' --include='*.h' '^#include "bigview/BigViewProbe.h"' \
           lines platform bigview viewer launcher app fuzz || true)
exit $status
