#!/usr/bin/env bash
# Installs the build under a scratch root, as the package does (prefix /usr),
# and checks that each file is where desktops, man and the boot look for it.
#   usage: install_tree.sh BUILD_DIR ROOT APP_ID ICON_SIZE...
set -euo pipefail
build=$1 root=$2 id=$3
shift 3
rm -rf "$root"
DESTDIR="$root" cmake --install "$build" --prefix /usr >/dev/null
u="$root/usr"
failed=0
fail() { echo "$*"; failed=1; }
for f in bin/pyrelle "share/applications/$id.desktop" "share/metainfo/$id.metainfo.xml" \
    "share/icons/hicolor/scalable/apps/$id.svg" share/man/man1/pyrelle.1.gz lib/udev/rules.d/70-pyrelle-parport.rules; do
    [ -s "$u/$f" ] || fail "missing or empty: /usr/$f"
done
[ "$(cat "$u/lib/modules-load.d/pyrelle.conf" 2>/dev/null)" = ppdev ] || fail "pyrelle.conf does not load ppdev"
# A PNG's width and height are the big-endian words at bytes 16 and 20.
for s in "$@"; do
    png="$u/share/icons/hicolor/${s}x${s}/apps/$id.png"
    size=$(od -An -tu1 -j16 -N8 "$png" 2>/dev/null | awk '{print $1*2^24+$2*2^16+$3*2^8+$4 "x" $5*2^24+$6*2^16+$7*2^8+$8}')
    [ "$size" = "${s}x${s}" ] || fail "icon ${s}x${s}: ${size:-missing}"
done
# Every option that --help lists is in the man page (roff writes - as \-).
man=$(zcat "$u/share/man/man1/pyrelle.1.gz" 2>/dev/null | sed 's/\\-/-/g')
for opt in $("$u/bin/pyrelle" --help | grep -oE -- '--[a-z][a-z-]*' | sort -u); do
    grep -qF -- "$opt" <<<"$man" || fail "man page lacks $opt"
done
[ $failed -eq 0 ] && echo "installed tree complete under $root"
exit $failed
