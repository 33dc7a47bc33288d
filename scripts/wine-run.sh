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
# Wine derives the Windows code page from the locale; English (United States) gives code page 1252.
export LC_ALL=C.UTF-8 LANG=en_US.UTF-8

wine=$(command -v wine64 || true)
[ -n "$wine" ] || wine=/usr/lib/wine/wine64
[ -x "$wine" ] || wine=$(command -v wine)
wineserver=$(command -v wineserver || true)
[ -n "$wineserver" ] || wineserver=/usr/lib/wine/wineserver64

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

exec "$wine" "$@"
