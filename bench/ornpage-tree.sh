#!/usr/bin/env bash
# ornpage-tree.sh INPUTDIR OUTDIR
#
# Lays out the benchmark page (page.html and its figure.jpg, made by
# /work/shared/bench/make-inputs.sh) as a textbook page that ornpage can open,
# and prints the WINEPREFIX to run it with:
#
#   OUTDIR/drive_c/Program Files/Ornlux/orn.ini   [default] -> C:\Bench
#   OUTDIR/drive_c/Bench/htm/dop_htm/page.htm     a copy of INPUTDIR/page.html
#   OUTDIR/drive_c/Bench/htm/dop_htm/figure.jpg   a copy of INPUTDIR/figure.jpg
#   OUTDIR/drive_c/Bench/htm/or3/page.htm         one-line caption, Windows-1251
#   OUTDIR/prefix/dosdevices/c: -> OUTDIR/drive_c
#
# The item is then C:\Bench\htm\page.htm. Running it again rebuilds the tree
# in place.
set -euo pipefail

if (($# != 2)); then
    echo "usage: $0 INPUTDIR OUTDIR" >&2
    exit 2
fi
inputs=$(cd "$1" && pwd -P)
mkdir -p "$2"
out=$(cd "$2" && pwd -P)
drive=$out/drive_c
root=$drive/Bench

for name in page.html figure.jpg; do
    if [[ ! -f $inputs/$name ]]; then
        echo "$0: $inputs/$name is missing (make-inputs.sh makes it)" >&2
        exit 1
    fi
done

# write_cp1251 FILE LINE...: the lines in Windows-1251, each ended by CR LF,
# like the textbook's own files.
write_cp1251() {
    local file=$1
    shift
    printf '%s\r\n' "$@" | iconv -f UTF-8 -t CP1251 >"$file"
}

rm -rf "$root" "$drive/Program Files/Ornlux"
mkdir -p "$drive/Program Files/Ornlux" "$root/htm/dop_htm" "$root/htm/or3"
write_cp1251 "$drive/Program Files/Ornlux/orn.ini" '[default]' 'C:\Bench'

# Copies, not links: the page's <img src=figure.jpg> resolves next to it,
# whatever happens to INPUTDIR later.
cp "$inputs/page.html" "$root/htm/dop_htm/page.htm"
cp "$inputs/figure.jpg" "$root/htm/dop_htm/figure.jpg"
write_cp1251 "$root/htm/or3/page.htm" 'Колебания и волны. Дополнительный материал'

mkdir -p "$out/prefix/dosdevices"
ln -sfn "$drive" "$out/prefix/dosdevices/c:"
echo "$out/prefix"
