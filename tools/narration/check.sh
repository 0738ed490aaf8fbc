#!/usr/bin/env bash
# Checks the sound folder against narration.tsv, so that a missing, misnamed, overlong, clipped
# or wrongly encoded file is found before the program plays it:
#
#   - every file of the table exists, spelled exactly as in the table, and nothing else is there;
#   - each is a plain RIFF/WAVE file with only a "fmt " and a "data" chunk (no metadata):
#     PCM, mono, 16 bit, 16000 Hz for speech and 22050 Hz for the wordless sounds;
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

for tool in sox soxi od awk; do
    command -v "$tool" >/dev/null || { echo "check.sh: missing tool: $tool" >&2; exit 1; }
done
[[ -d $DIR ]] || { echo "check.sh: no folder $DIR" >&2; exit 1; }

failures=0
fail() { echo "FAIL  $*" >&2; failures=$((failures + 1)); }

# Little-endian unsigned integer of N bytes at OFFSET: FILE OFFSET N
uint_le() {
    od -An -v -t u1 -j "$2" -N "$3" "$1" | awk '{ for (i = 1; i <= NF; i++) b[n++] = $i }
        END { v = 0; for (i = n - 1; i >= 0; i--) v = v * 256 + b[i]; print v }'
}
fourcc() { od -An -v -c -j "$2" -N 4 "$1" | tr -d ' \n'; }

# Prints nothing when FILE is the plain kind of WAV file we ship at RATE, else what is wrong.
wav_problems() {
    local f=$1 rate=$2 size off id len chunks="" fmt_at=-1
    size=$(stat -c %s "$f")
    if [[ $(fourcc "$f" 0) != RIFF || $(fourcc "$f" 8) != WAVE ]]; then
        echo "not a RIFF/WAVE file"; return
    fi
    [[ $(uint_le "$f" 4 4) -eq $((size - 8)) ]] || echo "RIFF size does not match the file size"
    off=12
    while ((off + 8 <= size)); do
        id=$(fourcc "$f" "$off")
        len=$(uint_le "$f" $((off + 4)) 4)
        chunks+="${chunks:+,}$id"
        [[ $id == 'fmt' ]] && fmt_at=$off   # od -c drops the trailing blank of "fmt "
        off=$((off + 8 + len + (len & 1)))
    done
    [[ $chunks == 'fmt,data' ]] || echo "chunks are $chunks, expected only fmt and data"
    if ((fmt_at >= 0)); then
        [[ $(uint_le "$f" $((fmt_at + 8)) 2) -eq 1 ]] || echo "not plain PCM"
        [[ $(uint_le "$f" $((fmt_at + 10)) 2) -eq 1 ]] || echo "not mono"
        [[ $(uint_le "$f" $((fmt_at + 12)) 4) -eq $rate ]] || echo "sample rate is not $rate Hz"
        [[ $(uint_le "$f" $((fmt_at + 22)) 2) -eq 16 ]] || echo "not 16 bit"
    fi
}

# ------------------------------------------------------------- table rows ---

declare -A listed=()
rows=0
while IFS=$'\t' read -r file text limit source; do
    [[ $file == file ]] && continue
    rows=$((rows + 1))
    listed[$file]=1
    f="$DIR/$file"
    if [[ ! -f $f ]]; then
        fail "$file: missing"
        continue
    fi
    if [[ $text == \[* ]]; then rate=$SOUND_SR; else rate=$SPEECH_SR; fi
    problems=$(wav_problems "$f" "$rate")
    if [[ -n $problems ]]; then
        while read -r p; do fail "$file: $p"; done <<< "$problems"
        continue
    fi
    dur=$(soxi -D "$f")
    stats=$(sox "$f" -n stats 2>&1)
    peak=$(awk '/^Pk lev dB/ { print $4 }' <<< "$stats")
    rms=$(awk '/^RMS lev dB/ { print $4 }' <<< "$stats")
    awk -v d="$dur" -v l="$limit" 'BEGIN { exit !(d > l) }' &&
        fail "$file: $dur s, longer than its limit of $limit s ($source)"
    awk -v p="$peak" -v m="$MAX_PEAK" 'BEGIN { exit !(p > m) }' &&
        fail "$file: peak $peak dBFS, above $MAX_PEAK dBFS (clipping)"
    awk -v r="$rms" 'BEGIN { exit !(r == "-inf" || r < -45) }' &&
        fail "$file: RMS $rms dBFS, practically silent"
    if [[ $text != \[* ]]; then
        active=$(sox "$f" -n silence -l 1 0.02 -45d -1 0.12 -45d stats 2>&1 | awk '/^RMS lev dB/ { print $4 }')
        awk -v a="$active" -v t="$SPEECH_RMS" -v tol="$RMS_TOLERANCE" \
            'BEGIN { d = a - t; if (d < 0) d = -d; exit !(d > tol) }' &&
            fail "$file: spoken loudness $active dBFS, expected $SPEECH_RMS +- $RMS_TOLERANCE dBFS"
    fi
    ((QUIET)) || printf '%-24s %6.2f s  limit %5s s  peak %6s  RMS %6s\n' "$file" "$dur" "$limit" "$peak" "$rms"
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
