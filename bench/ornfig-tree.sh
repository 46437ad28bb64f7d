#!/usr/bin/env bash
# ornfig-tree.sh INPUTDIR OUTDIR
#
# Lays out the benchmark inputs (made by /work/shared/bench/make-inputs.sh or
# any folder holding figure.jpg, scan.jpg and huge.jpg) as a textbook that
# ornfig can open, and prints the WINEPREFIX to run it with:
#
#   OUTDIR/drive_c/Program Files/Ornlux/orn.ini   [default] -> C:\Bench
#   OUTDIR/drive_c/Bench/jpg/<name>.jpg           links to INPUTDIR/<name>.jpg
#   OUTDIR/drive_c/Bench/htm/orn/<name>.htm       one-line caption, Windows-1251
#   OUTDIR/drive_c/Bench/wav/pick.wav             the sample textbook's click
#   OUTDIR/prefix/dosdevices/c: -> OUTDIR/drive_c
#
# The items are then C:\Bench\htm\figure.htm, ...\scan.htm and ...\huge.htm.
# Running it again rebuilds the tree in place.
set -euo pipefail

if (($# != 2)); then
    echo "usage: $0 INPUTDIR OUTDIR" >&2
    exit 2
fi
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd -P)
inputs=$(cd "$1" && pwd -P)
mkdir -p "$2"
out=$(cd "$2" && pwd -P)
drive=$out/drive_c
root=$drive/Bench

# Captions in UTF-8 here, written as Windows-1251 with CR LF like the
# textbook's own files.
declare -A captions=(
    [figure]='Рис. 3.2. Затухающие колебания маятника'
    [scan]='Рис. 1.1. Разворот учебника, с. 12-13'
    [huge]='Рис. 7.4. Фрактальный рельеф, снимок 24 Мпикс'
)

# write_cp1251 FILE LINE...: the lines in Windows-1251, each ended by CR LF.
write_cp1251() {
    local file=$1
    shift
    printf '%s\r\n' "$@" | iconv -f UTF-8 -t CP1251 >"$file"
}

rm -rf "$root" "$drive/Program Files/Ornlux"
mkdir -p "$drive/Program Files/Ornlux" "$root/jpg" "$root/htm/orn" "$root/wav"
write_cp1251 "$drive/Program Files/Ornlux/orn.ini" '[default]' 'C:\Bench'

for name in figure scan huge; do
    if [[ ! -f $inputs/$name.jpg ]]; then
        echo "$0: $inputs/$name.jpg is missing (make-inputs.sh makes it)" >&2
        exit 1
    fi
    ln -s "$inputs/$name.jpg" "$root/jpg/$name.jpg"
    write_cp1251 "$root/htm/orn/$name.htm" "${captions[$name]}"
done
cp "$repo/data/drive_c/Book/wav/pick.wav" "$root/wav/pick.wav"

mkdir -p "$out/prefix/dosdevices"
ln -sfn "$drive" "$out/prefix/dosdevices/c:"
echo "$out/prefix"
