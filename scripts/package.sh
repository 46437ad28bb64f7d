#!/usr/bin/env bash
# Builds the Debian package of the viewers, ornlux-viewers_<version>_<arch>.deb:
# installs what is missing, configures and builds the release build (default
# preset, in build/), runs CPack there and prints the package's path.
# Install it with:  sudo apt-get install ./build/ornlux-viewers_*.deb
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

scripts/install-deps.sh
cmake --preset default
cmake --build --preset default -j"$(nproc)"
(cd build && cpack -G DEB)

# The name CPack gives it: package name, version and architecture.
config=build/CPackConfig.cmake
name=$(sed -n 's/^set(CPACK_PACKAGE_NAME "\(.*\)")$/\1/p' "$config")
version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$config")
deb="$PWD/build/${name}_${version}_$(dpkg --print-architecture).deb"
if [[ ! -f $deb ]]; then
    echo "package.sh: cpack did not make $deb" >&2
    exit 1
fi
echo "$deb"
