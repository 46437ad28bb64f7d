# shellcheck shell=bash
# Sourced by the benchmark scripts: the inputs, the textbook around them and
# the ornfig binary to measure.
#
#   bench_prepare OUTDIR   makes OUTDIR/inputs (the shared make-inputs.sh;
#                          kept while their checksums match) and OUTDIR/tree
#                          (ornfig-tree.sh), builds ornfig with the default
#                          preset unless ORNFIG names a binary, and sets
#                          bench_inputs, bench_prefix (the WINEPREFIX) and
#                          bench_ornfig.
#   bench_start FLAG NAME DEFAULT ARGS...
#                          reads the script's [FLAG NAME] [OUTDIR]: sets
#                          bench_value (DEFAULT without FLAG) and bench_out
#                          (default ${TMPDIR:-/tmp}/ornfig-bench, made and
#                          resolved) or ends with the usage; then
#                          bench_prepare "$bench_out".
#   bench_field KEY LINE   the value of KEY=VALUE among first-frame.sh's words
#   bench_complete_ms TIMELINE LINE
#                          when the window of a first-frame.sh run (LINE,
#                          with its --timeline TIMELINE) was complete: the
#                          damage time of the first grab from which on every
#                          grab differs from the final screen in no more
#                          tiles than one row across the window (the title's
#                          text, which the caption ticker changes); NA if none
# The shared harness is at /work/shared/bench unless BENCH_HARNESS says where.

bench_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd -P)
bench_repo=$(cd "$bench_dir/.." && pwd -P)
bench_harness=${BENCH_HARNESS:-/work/shared/bench}

# shellcheck disable=SC2034 # the variables it sets are for the caller
bench_start() {
    local flag=$1 usage="usage: $0 [$1 $2] [OUTDIR]"
    bench_value=$3
    shift 3
    if [[ ${1:-} == "$flag" ]]; then
        bench_value=${2:?$usage}
        shift 2
    fi
    if (($# > 1)) || [[ ${1:-} == -* ]]; then
        echo "$usage" >&2
        exit 2
    fi
    bench_out=${1:-${TMPDIR:-/tmp}/ornfig-bench}
    mkdir -p "$bench_out"
    bench_out=$(cd "$bench_out" && pwd -P)
    bench_prepare "$bench_out"
}

# shellcheck disable=SC2034 # the variables it sets are for the caller
bench_prepare() {
    local out=$1
    bench_inputs=$out/inputs
    if ! (cd "$bench_inputs" 2>/dev/null && sha256sum --quiet -c SHA256SUMS >/dev/null 2>&1); then
        echo "== making the inputs in $bench_inputs" >&2
        "$bench_harness/make-inputs.sh" "$bench_inputs" >&2 || return 1
    fi
    bench_prefix=$("$bench_dir/ornfig-tree.sh" "$bench_inputs" "$out/tree") || return 1

    if [[ -n ${ORNFIG:-} ]]; then
        bench_ornfig=$(realpath "$ORNFIG")
    else
        echo "== building ornfig (default preset)" >&2
        (cd "$bench_repo" && { [[ -f build/CMakeCache.txt ]] || cmake --preset default >&2; } &&
            cmake --build --preset default -j2 --target ornfig >&2) || return 1
        bench_ornfig=$bench_repo/build/figure/ornfig
    fi
    if [[ ! -x $bench_ornfig ]]; then
        echo "bench: no ornfig at $bench_ornfig" >&2
        return 1
    fi
}

bench_field() { tr ' ' '\n' <<<"$2" | sed -n "s/^$1=//p"; }

bench_complete_ms() {
    local width
    width=$(bench_field win "$2")
    width=${width%x*}
    awk -F'\t' -v allowed=$(((${width:-0} + 15) / 16)) '
        NR == 1 || /^#/ { next }
        { time[++n] = $3; off[n] = $6 }
        END {
            at = "NA"
            for (i = n; i >= 1 && off[i] <= allowed; i--) at = time[i]
            print at
        }' "$1"
}
