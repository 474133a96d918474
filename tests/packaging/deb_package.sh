#!/usr/bin/env bash
# Builds the Debian package from this build and checks that it holds exactly
# the installed tree (ROOT, from install_tree.sh), with the program's version,
# its section and the shared libraries' packages as dependencies.
#   usage: deb_package.sh BUILD_DIR ROOT
set -euo pipefail
build=$1 root=$2
for tool in dpkg-deb dpkg-shlibdeps file; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed (bash scripts/deps.sh)"; exit 77; }
done
out="$build/package-check"
rm -rf "$out"
cpack --config "$build/CPackConfig.cmake" -G DEB -B "$out" >"$build/package-check.log" 2>&1 ||
    { cat "$build/package-check.log"; exit 1; }
deb=$(echo "$out"/pyrelle_*.deb)
failed=0
if ! diff <(cd "$root" && find . ! -type d | sort) <(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | sort); then
    echo "the package and the installed tree differ (< installed only, > package only)"
    failed=1
fi
field() { dpkg-deb -f "$deb" "$1"; }
version=$("$root/usr/bin/pyrelle" --version)
[ "pyrelle $(field Version)" = "$version" ] || { echo "Version $(field Version), program: $version"; failed=1; }
[ "$(field Section)" = science ] || { echo "Section: $(field Section)"; failed=1; }
grep -q 'libqt6widgets6 (>=' <<<"$(field Depends)" || { echo "Depends lacks the Qt libraries: $(field Depends)"; failed=1; }
[ $failed -eq 0 ] && echo "$deb: $(dpkg-deb -c "$deb" | grep -vc '/$') files; Depends: $(field Depends)"
exit $failed
