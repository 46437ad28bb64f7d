#!/usr/bin/env bash
# make-wineprefix.sh DIR: makes DIR a WINEPREFIX whose C: drive is the
# repository's sample textbook (data/drive_c).
set -euo pipefail

if (($# != 1)); then
    echo "usage: $0 DIR" >&2
    exit 2
fi
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd -P)
link="$1/dosdevices/c:"
if [[ -e $link && ! -L $link ]]; then
    echo "$0: $link exists and is not a symlink" >&2
    exit 1
fi
mkdir -p "$1/dosdevices"
ln -sfn "$repo/data/drive_c" "$link"
