#!/usr/bin/env bash
# Checks the sound folder against narration.tsv, so that a missing, misnamed, overlong, clipped
# or wrongly encoded file is found before the program plays it:
#
#   - every file of the table exists, spelled exactly as in the table but stored as Ogg Vorbis
#     ("atmen/eins.wav" of the table is the file atmen/eins.ogg), and nothing else is there;
#   - each is Ogg Vorbis without comments, mono, 16000 Hz for speech and 22050 Hz for the
#     wordless sounds;
#   - it is no longer than its limit, does not clip (peak at most -1 dBFS) and is not silent;
#   - spoken files have the common loudness (within 2 dB);
#   - every sound name written in the program's sources (app/, sequences/) is in the table.
#
#   bash tools/narration/check.sh [--dir DIR] [--quiet]
#
# Exit status 0 when everything holds, 1 otherwise. Needs sox and soxi.

set -euo pipefail

HERE="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
ROOT="$(cd "$HERE/../.." && pwd)"
TABLE="$HERE/narration.tsv"
DIR="$ROOT/data/Sound"
QUIET=0

export LC_ALL=C

while (($#)); do
    case $1 in
        --dir) DIR=${2:?--dir needs a value}; shift 2 ;;
        --quiet) QUIET=1; shift ;;
        -h|--help) sed -n '2,/^$/{s/^# \{0,1\}//;p}' "${BASH_SOURCE[0]}"; exit 0 ;;
        *) echo "check.sh: unknown option '$1'" >&2; exit 2 ;;
    esac
done

SPEECH_SR=16000
SOUND_SR=22050
SPEECH_RMS=-20
RMS_TOLERANCE=2
MAX_PEAK=-1

for tool in sox soxi awk; do
    command -v "$tool" >/dev/null || { echo "check.sh: missing tool: $tool" >&2; exit 1; }
done
[[ -d $DIR ]] || { echo "check.sh: no folder $DIR" >&2; exit 1; }

failures=0
fail() { echo "FAIL  $*" >&2; failures=$((failures + 1)); }

# Prints nothing when FILE is the plain kind of sound file we ship at RATE, else what is wrong.
ogg_problems() {
    local f=$1 rate=$2
    if [[ $(head -c 4 "$f") != OggS || $(soxi -t "$f" 2>/dev/null) != vorbis ]]; then
        echo "not an Ogg Vorbis file"; return
    fi
    [[ $(soxi -c "$f") -eq 1 ]] || echo "not mono"
    [[ $(soxi -r "$f") -eq $rate ]] || echo "sample rate is not $rate Hz"
    [[ -z $(soxi -a "$f") ]] || echo "has comments (metadata)"
}

# ------------------------------------------------------------- table rows ---

declare -A listed=()
rows=0
while IFS=$'\t' read -r file text limit source; do
    [[ $file == file ]] && continue
    rows=$((rows + 1))
    stored=${file%.wav}.ogg
    listed[$stored]=1
    f="$DIR/$stored"
    if [[ ! -f $f ]]; then
        fail "$stored: missing"
        continue
    fi
    if [[ $text == \[* ]]; then rate=$SOUND_SR; else rate=$SPEECH_SR; fi
    problems=$(ogg_problems "$f" "$rate")
    if [[ -n $problems ]]; then
        while read -r p; do fail "$stored: $p"; done <<< "$problems"
        continue
    fi
    dur=$(soxi -D "$f")
    stats=$(sox "$f" -n stats 2>&1)
    peak=$(awk '/^Pk lev dB/ { print $4 }' <<< "$stats")
    rms=$(awk '/^RMS lev dB/ { print $4 }' <<< "$stats")
    awk -v d="$dur" -v l="$limit" 'BEGIN { exit !(d > l) }' &&
        fail "$stored: $dur s, longer than its limit of $limit s ($source)"
    awk -v p="$peak" -v m="$MAX_PEAK" 'BEGIN { exit !(p > m) }' &&
        fail "$stored: peak $peak dBFS, above $MAX_PEAK dBFS (clipping)"
    awk -v r="$rms" 'BEGIN { exit !(r == "-inf" || r < -45) }' &&
        fail "$stored: RMS $rms dBFS, practically silent"
    if [[ $text != \[* ]]; then
        active=$(sox "$f" -n silence -l 1 0.02 -45d -1 0.12 -45d stats 2>&1 | awk '/^RMS lev dB/ { print $4 }')
        awk -v a="$active" -v t="$SPEECH_RMS" -v tol="$RMS_TOLERANCE" \
            'BEGIN { d = a - t; if (d < 0) d = -d; exit !(d > tol) }' &&
            fail "$stored: spoken loudness $active dBFS, expected $SPEECH_RMS +- $RMS_TOLERANCE dBFS"
    fi
    ((QUIET)) || printf '%-24s %6.2f s  limit %5s s  peak %6s  RMS %6s\n' "$stored" "$dur" "$limit" "$peak" "$rms"
done < "$TABLE"

# ------------------------------------------------------------- stray files ---

while IFS= read -r -d '' f; do
    rel=${f#"$DIR"/}
    [[ -n ${listed[$rel]:-} ]] || fail "$rel: not in narration.tsv (misspelt or left over)"
done < <(find "$DIR" -type f -print0)

# ------------------------------------------------------ names in the sources ---

# A name without a folder may be joined to one at run time ("atmen\\" + "eins.wav"), so it only
# has to name a listed file in some folder.
declare -A lower=()
for k in "${!listed[@]}"; do
    k=${k,,}
    k=${k%.ogg}.wav
    lower[$k]=1
    lower[${k##*/}]=1
done
used=0
while read -r name; do
    [[ -z $name ]] && continue
    used=$((used + 1))
    key=${name//\\\\//}
    key=${key//\\//}
    [[ -n ${lower[${key,,}]:-} ]] || fail "the program plays \"$name\", which narration.tsv does not list"
done < <(grep -rhoE '"[^" ]+\.wav"' "$ROOT/app" "$ROOT/sequences" \
             --include='*.cpp' --include='*.h' 2>/dev/null | tr -d '"' | sort -u)

if ((failures)); then
    echo "check.sh: $failures problem(s) in $DIR" >&2
    exit 1
fi
echo "check.sh: $rows files in $DIR match narration.tsv; $used sound names in the sources all listed"
