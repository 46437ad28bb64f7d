#!/usr/bin/env bash
# Installs whichever packages from scripts/packages.txt are missing.
# Quiet and offline when everything is already installed.
set -euo pipefail

list="$(dirname "${BASH_SOURCE[0]}")/packages.txt"
mapfile -t wanted < <(sed -e 's/#.*//' -e 's/[[:space:]]//g' -e '/^$/d' "$list")

missing=()
for pkg in "${wanted[@]}"; do
    status=$(dpkg-query -W -f='${db:Status-Status}' "$pkg" 2>/dev/null || true)
    [[ $status == installed ]] || missing+=("$pkg")
done
((${#missing[@]} > 0)) || exit 0

echo "install-deps: installing ${missing[*]}"
# sudo resets the environment, so pass the frontend setting through env.
apt=(env DEBIAN_FRONTEND=noninteractive apt-get)
((EUID == 0)) || apt=(sudo "${apt[@]}")
"${apt[@]}" update -q
"${apt[@]}" install -y -q "${missing[@]}"
