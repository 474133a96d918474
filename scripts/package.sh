#!/usr/bin/env bash
# Builds Pyrelle's Debian package (Release, in build-package, without tests)
# and prints its name. Install it with: sudo apt install ./build-package/pyrelle_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=Release -DPYRELLE_TESTS=OFF >/dev/null
cmake --build build-package -j2
rm -f build-package/pyrelle_*.deb
(cd build-package && cpack -G DEB >cpack.log 2>&1) || { cat build-package/cpack.log; exit 1; }
deb=$(echo build-package/pyrelle_*.deb)
dpkg-deb -f "$deb" Package Version Architecture Depends
echo "Built $deb"
