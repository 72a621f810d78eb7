#!/usr/bin/env bash
# Installs the build into a temporary prefix, moves the prefix elsewhere (so
# nothing can lean on the build tree or the first prefix's path), then runs
# both programs from it, validates the desktop entry and the metainfo file,
# checks that the man page of tralu-cli names every command group, and builds
# the Debian package.
# usage: install_test.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build="$1"; source="$2"
tmp="$(mktemp -d)"; trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$tmp/first" >/dev/null
mv "$tmp/first" "$tmp/P"
P="$tmp/P"
for f in bin/tralu bin/tralu-cli share/tralu/EmptyRecord.bmp share/tralu/Languages \
         share/applications/tralu.desktop share/metainfo/com.quarnet.tralu.metainfo.xml \
         share/icons/hicolor/scalable/apps/tralu.svg share/icons/hicolor/48x48/apps/tralu.png \
         share/man/man1/tralu.1 share/man/man1/tralu-cli.1; do
  [ -e "$P/$f" ] || fail "missing $f"
done
[ ! -e "$P/share/tralu/desktop" ] || fail "desktop files copied into share/tralu"
for exe in "$P/bin/tralu" "$P/bin/tralu-cli"; do
  if readelf -d "$exe" | grep -E 'R(UN)?PATH' | grep -qF "$build"; then
    fail "$exe keeps the build tree in its library path"
  fi
done

# Run from the prefix in a home of its own.
export HOME="$tmp/home" XDG_CONFIG_HOME="$tmp/home/.config" XDG_DATA_HOME="$tmp/home/.local/share"
export TRALU_SETTINGS="$tmp/settings/user.reg"
mkdir -p "$HOME" "$tmp/root/A/Artist/1999 - Record"
"$P/bin/tralu-cli" --help > "$tmp/help.txt" || fail "tralu-cli --help"
QT_QPA_PLATFORM=offscreen "$P/bin/tralu" --music-root "$tmp/root" \
    --show "$tmp/root/A/Artist/1999 - Record" --screenshot "$tmp/shot.png" > "$tmp/printed" 2> "$tmp/stderr" \
  || { cat "$tmp/stderr" >&2; fail "tralu --screenshot from the prefix"; }
[ -s "$tmp/shot.png" ] || fail "no screenshot"
# An empty record shows the empty-record picture: a data file missed from
# share/tralu would be reported on standard error.
if grep -qi "EmptyRecord\|not found\|cannot" "$tmp/stderr"; then
  cat "$tmp/stderr" >&2; fail "tralu reported a missing file"
fi

desktop-file-validate "$P/share/applications/tralu.desktop" || fail "desktop entry"
appstreamcli validate --no-net --pedantic "$P/share/metainfo/com.quarnet.tralu.metainfo.xml" >/dev/null \
  || appstreamcli validate --no-net "$P/share/metainfo/com.quarnet.tralu.metainfo.xml" || fail "metainfo"

# Every command group of tralu-cli has its section in the man page.
groups=$(sed -n '/^Command groups:/,$p' "$tmp/help.txt" | awk 'NR>1 && NF {print $1}')
[ -n "$groups" ] || fail "no command groups in tralu-cli --help"
for g in $groups; do
  grep -qx ".SS $g" "$P/share/man/man1/tralu-cli.1" || fail "man page of tralu-cli lacks group $g"
done
for page in tralu tralu-cli; do
  MANWIDTH=80 man -l "$P/share/man/man1/$page.1" 2>"$tmp/manerr" | grep -q . || fail "man $page renders nothing"
  [ ! -s "$tmp/manerr" ] || { cat "$tmp/manerr" >&2; fail "man $page warns"; }
done

# The Debian package, with the runtime libraries found by dpkg-shlibdeps.
( cd "$tmp" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$tmp/deb" >/dev/null ) || fail "cpack"
deb=$(ls "$tmp"/deb/tralu_*.deb) || fail "no .deb"
deps=$(dpkg-deb -f "$deb" Depends)
for d in libqt6widgets6 gstreamer1.0-plugins-good liblnk1; do
  echo "$deps" | grep -q "$d" || fail "package does not depend on $d: $deps"
done
contents=$(dpkg-deb -c "$deb")
grep -q "\./usr/bin/tralu-cli$" <<<"$contents" || fail "package lacks /usr/bin/tralu-cli"
echo "ok: installed, started from the prefix, validated, $(basename "$deb") built"
