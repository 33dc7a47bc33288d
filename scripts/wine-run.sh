#!/usr/bin/env bash
# Runs a Windows program under Wine, headless and quiet, in a Wine prefix of its own that is made
# on first use. Build folders pass a prefix inside themselves, so nothing outside them is touched.
#
#   scripts/wine-run.sh PREFIX PROGRAM.exe [ARGUMENT...]
set -euo pipefail
prefix=$(realpath -m "$1")
shift

export WINEPREFIX=$prefix WINEARCH=win64 WINEDEBUG=-all
# No windows and no installer dialogs (Mono, Gecko, desktop menus): there is nobody to click them.
export WINEDLLOVERRIDES="mscoree=;mshtml=;winemenubuilder.exe=d"
unset DISPLAY WAYLAND_DISPLAY
# Wine derives the Windows locale and code page from the Unix locale; C.UTF-8, which every Debian
# has, gives English (United States) and code page 1252.
export LC_ALL=C.UTF-8

# Debian's wine64 package puts its loader and server here, off the PATH.
find_tool() {
  for candidate in "/usr/lib/wine/$1" "$(command -v "$1" || true)" "$(command -v "$2" || true)"; do
    [ -n "$candidate" ] && [ -x "$candidate" ] && { echo "$candidate"; return; }
  done
  echo "wine-run: $1 not found (Debian package wine64)" >&2
  exit 1
}
wine=$(find_tool wine64 wine)
wineserver=$(find_tool wineserver64 wineserver)

# Several tests may start at once; the first makes the prefix while the others wait for it.
if [ ! -e "$prefix/.rastero-ready" ]; then
  mkdir -p "$(dirname "$prefix")"
  (
    flock 9
    if [ ! -e "$prefix/.rastero-ready" ]; then
      timeout 600 "$wine" wineboot --init >/dev/null 2>&1 || { echo "wine-run: wineboot failed" >&2; exit 1; }
      "$wineserver" -w
      touch "$prefix/.rastero-ready"
    fi
  ) 9>"$prefix.lock"
fi

# Wine's server quits a while after its last program, and a program that starts just then finds
# it quitting and fails ("a wine server seems to be running, but I cannot connect to it"). So the
# server is asked to stay a minute, which serves a whole test run, and a program that met a
# quitting server is started again.
errors=$(mktemp "$prefix.errors.XXXXXX")
trap 'rm -f "$errors"' EXIT
for attempt in 1 2 3; do
  "$wineserver" -p60 2>/dev/null || true
  status=0
  "$wine" "$@" 2>"$errors" || status=$?
  if [ "$status" -ne 0 ] && grep -q "cannot connect to it" "$errors"; then
    sleep 2
    continue
  fi
  break
done
cat "$errors" >&2
exit "$status"
