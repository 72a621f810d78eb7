#!/usr/bin/env bash
# Starts tralu --screenshot in a temporary home and checks that a PNG of the
# main window was written and its path printed.
# usage: screenshot_smoke.sh TRALU [xvfb]
set -euo pipefail
tralu="$1"; mode="${2:-offscreen}"
tmp="$(mktemp -d)"; trap 'rm -rf "$tmp"' EXIT
export HOME="$tmp/home" XDG_CONFIG_HOME="$tmp/home/.config" XDG_DATA_HOME="$tmp/home/.local/share"
export TRALU_SETTINGS="$tmp/settings/user.reg"
mkdir -p "$tmp/root/A/Artist/Record" "$HOME"
out="$tmp/shot.png"
if [ "$mode" = xvfb ]; then
  printed="$(env -u QT_QPA_PLATFORM xvfb-run -a -s "-screen 0 1280x1024x24" "$tralu" --music-root "$tmp/root" --screenshot "$out")"
else
  printed="$(QT_QPA_PLATFORM=offscreen "$tralu" --music-root "$tmp/root" --screenshot "$out")"
fi
[ "$printed" = "$out" ] || { echo "printed '$printed', expected '$out'"; exit 1; }
[ "$(head -c 8 "$out" | od -An -tx1 | tr -d ' \n')" = "89504e470d0a1a0a" ] || { echo "not a PNG"; exit 1; }
grep -q '"MusicRoot"=' "$TRALU_SETTINGS" || { echo "settings not stored at close"; exit 1; }
echo "ok: $mode screenshot $(stat -c %s "$out") bytes"
