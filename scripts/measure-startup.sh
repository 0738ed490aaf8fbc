#!/usr/bin/env bash
# Start-up as whole processes under a virtual X server with a window manager (openbox) at
# 1920x1080: Quillet starting into its intro, Quillet's quick start (straight to the small
# window), and a bare full-screen Qt window as the reference, run in turns. For each: when the
# window was mapped and when its first frame was painted (ms after the process was started), and
# the peak resident memory. Prints the medians, the spread, and the ratios against the reference.
#   bash scripts/measure-startup.sh [runs] [build-dir] [WIDTHxHEIGHT]
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-7}
build=${2:-build}
size=${3:-1920x1080}
bin=$build/bench/quillet_first_frame
[[ -x $bin ]] || { echo "build $bin first" >&2; exit 1; }

work=$(mktemp -d)
cleanup() {
    bash scripts/pulse-test-server.sh stop >/dev/null 2>&1 || true
    bash scripts/x-test-server.sh stop >/dev/null 2>&1 || true
    rm -rf "$work"
}
trap cleanup EXIT
eval "$(bash scripts/x-test-server.sh "$size")"
eval "$(bash scripts/pulse-test-server.sh)"
unset QT_QPA_PLATFORM WAYLAND_DISPLAY
mkdir -p "$work/intro/quillet" "$work/quick/quillet"
bash scripts/settings-record.sh >"$work/intro/quillet/User.dat"
bash scripts/settings-record.sh DSTimer=1 >"$work/quick/quillet/User.dat"

# One start: "map-ms paint-ms peak-KiB", times counted from just before the exec.
once() {
    local kind=$1 t0 line args=()
    [[ $kind == bare ]] && args=(--bare)
    local config=$work/intro
    [[ $kind == quick ]] && config=$work/quick
    t0=${EPOCHREALTIME/./}
    line=$(XDG_CONFIG_HOME=$config timeout 30 "$bin" "${args[@]}" 2>"$work/last.log" | grep "^mapped") || true
    read -r _ mapped _ painted _ peak <<<"$line"
    [[ -n ${peak:-} && $mapped != 0 ]] || { echo "- - -"; return; }
    echo "$(((mapped / 1000 - t0) / 100)) $(((painted / 1000 - t0) / 100)) $peak" # tenths of ms
}
once intro >/dev/null; once bare >/dev/null # warm the file cache

declare -A column
for kind in intro quick bare; do column[$kind.map]= column[$kind.paint]= column[$kind.peak]=; done
for ((r = 0; r < runs; r++)); do
    for kind in intro quick bare; do
        read -r m p k <<<"$(once $kind)"
        [[ $m == - ]] && { echo "run $r: $kind gave no figures" >&2; continue; }
        column[$kind.map]+="$m " column[$kind.paint]+="$p " column[$kind.peak]+="$k "
    done
done

median() { tr ' ' '\n' | grep . | sort -n | awk '{a[NR]=$1} END {if (!NR) {print "-"; exit}
    m = (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2; print m}'; }
spread() { tr ' ' '\n' | grep . | sort -n | awk '{a[NR]=$1} END {printf "%s..%s", a[1], a[NR]}'; }
ms() { awk -v t="$1" 'BEGIN {printf "%.1f", t / 10}'; }

echo "start-up at $size under openbox, $runs runs each in turns (times in ms after exec)"
printf '%-28s %10s %10s %12s\n' "" "mapped" "painted" "peak RSS"
for kind in intro quick bare; do
    name=${kind/intro/Quillet, intro}
    name=${name/quick/Quillet, quick start}
    name=${name/bare/bare Qt window (reference)}
    mm=$(median <<<"${column[$kind.map]}") pm=$(median <<<"${column[$kind.paint]}")
    km=$(median <<<"${column[$kind.peak]}")
    printf '%-28s %10s %10s %9s MiB   (spread %s / %s ms)\n' "$name" "$(ms "$mm")" "$(ms "$pm")" \
        "$(awk -v k="$km" 'BEGIN {printf "%.1f", k / 1024}')" \
        "$(spread <<<"${column[$kind.map]}" | awk -F'[.][.]' '{printf "%.0f..%.0f", $1/10, $2/10}')" \
        "$(spread <<<"${column[$kind.paint]}" | awk -F'[.][.]' '{printf "%.0f..%.0f", $1/10, $2/10}')"
    eval "m_$kind=$mm p_$kind=$pm"
    [[ $mm == - ]] && { echo "no figures for $kind; its last output:" >&2; cat "$work/last.log" >&2; exit 1; }
done
for kind in intro quick; do
    eval "awk -v a=\$m_$kind -v b=\$m_bare -v c=\$p_$kind -v d=\$p_bare" \
        "'BEGIN {printf \"ratio %s to the reference: mapped %.2fx, painted %.2fx\\n\", \"$kind\", a / b, c / d}'"
done
