#!/usr/bin/env bash
# Builds everything in data/Sound: the spoken narration of the four exercise sequences and the
# wordless sounds (intro rustle and wave, gong, mantra over a soft tone).
#
#   bash tools/narration/generate.sh [--voice de] [--only REGEX] [--out DIR]
#
# narration.tsv lists every file the program plays, the German text to speak, the time the
# program gives that file before the next sound or the end of the step cuts it off (at the
# default settings), and where that time comes from. In a text, "|" is a short pause and "||"
# a long one (the body scan of the relaxation breathes with them).
# lexicon.tsv corrects words that espeak-ng stresses or sounds wrongly.
#
# Speech is synthesised offline with espeak-ng, then made calmer and softer with sox: a slow
# speaking rate, a slightly lower pitch, a gentle low-pass and a little room reverb, one common
# loudness, short fades. A text that comes out longer than its time is spoken a little faster,
# step by step; if even the fastest rate does not fit, the script stops with an error and
# leaves data/Sound untouched (shorten the text in narration.tsv then). The wordless sounds are
# computed by sounds.awk from fixed seeds.
#
# Output: mono Ogg Vorbis without comments, 16000 Hz for speech (which is low-passed far below
# 8 kHz anyway) and 22050 Hz for the wordless sounds. The program names its sounds "xyz.wav", as
# the table does; each is stored as "xyz.ogg", which the program finds in its place. The same
# inputs and tool versions give the same bytes.
#
# Options:
#   --voice V    espeak-ng voice (default: de). The MBROLA German voices (mb-de1 ... mb-de8)
#                sound more natural but their licence forbids commercial use: files made with
#                them are for your own use and must not be committed.
#   --only RE    rebuild only the rows whose file matches the extended regex RE, in place
#   --out DIR    write to DIR instead of data/Sound (its sound files are all replaced)
#
# Needs: espeak-ng with its German voice, sox, awk.

set -euo pipefail

HERE="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
ROOT="$(cd "$HERE/../.." && pwd)"
TABLE="$HERE/narration.tsv"
LEXICON="$HERE/lexicon.tsv"
OUT="$ROOT/data/Sound"
VOICE=de
ONLY=

export LC_ALL=C

while (($#)); do
    case $1 in
        --voice) VOICE=${2:?--voice needs a value}; shift 2 ;;
        --only)  ONLY=${2:?--only needs a value}; shift 2 ;;
        --out)   OUT=${2:?--out needs a value}; shift 2 ;;
        -h|--help) sed -n '2,/^$/{s/^# \{0,1\}//;p}' "${BASH_SOURCE[0]}"; exit 0 ;;
        *) echo "generate.sh: unknown option '$1' (try --help)" >&2; exit 2 ;;
    esac
done

# ----------------------------------------------------------------- settings ---

SPEECH_SR=16000                  # sample rate of everything spoken (it is low-passed at 5.5 kHz)
SOUND_SR=22050                   # sample rate of the wordless sounds, which need the top octave
RATES=(130 138 146 154 162 170)  # espeak-ng words per minute: calm first, faster only to fit
PITCH=40                         # espeak-ng base pitch (its default is 50)
PAUSE_MS=500                     # length of a "|" pause
LONG_PAUSE_MS=1200               # length of a "||" pause
SPEECH_RMS=-20                   # loudness of the spoken parts, dBFS RMS without the pauses
CEILING=-1.5                     # highest sample peak, dBFS
VORBIS_QUALITY=0                 # Ogg Vorbis quality (-1 .. 10): about 29 kbit/s at 16 kHz mono
DECODED_CEILING=-1.2             # highest peak once decoded; the encoder may overshoot a little

# Everything the voice goes through after espeak-ng (float, so nothing clips on the way):
# headroom, room for the reverb tail, rumble filter, a little lower, a little warmer, the
# buzzy presence region and the top end softened, a small room.
VOICE_FX=(gain -6 pad 0.05 0.6 highpass 90 pitch -60 bass 2 180 equalizer 3000 1.2q -3
          lowpass 5500 reverb 18 70 30 0 6 -6)

# Peak limiter for the voice: 0.5 ms attack with 4 ms look-ahead, 80 ms release. sox clips
# inside its effects at 0 dBFS, so level() feeds it 12 dB lower than meant and it gives the
# 12 dB back at its output. In terms of the intended level: unity below -9 dBFS, -9..0 squeezed
# into -9..-4, 0..+12 into -4..-3.5. Only the sharp consonant and glottal peaks reach it; the
# shortest of them get through a little higher, which the ceiling allows for. (An instant
# attack would catch them too, but its gain steps put clicks into steady sounds.)
# shellcheck disable=SC2054  # the commas belong to compand's arguments
LIMITER=(compand 0.0005,0.08 -21,-21,-12,-16,0,-15.5 12 -90 0.004)

SOX=(sox -R --no-show-progress)
FLOAT=(-e floating-point -b 32)

# ------------------------------------------------------------------- checks ---

for tool in espeak-ng sox soxi awk; do
    command -v "$tool" >/dev/null || { echo "generate.sh: missing tool: $tool" >&2; exit 1; }
done
[[ -r $TABLE && -r $LEXICON ]] || { echo "generate.sh: narration.tsv or lexicon.tsv missing" >&2; exit 1; }

TMP="$(mktemp -d)"
trap 'rm -rf "$TMP"' EXIT

if ! espeak-ng -v "$VOICE" -w "$TMP/probe.wav" "Probe" 2>"$TMP/probe.err" || [[ ! -s $TMP/probe.wav ]]; then
    echo "generate.sh: espeak-ng cannot speak with voice '$VOICE':" >&2
    cat "$TMP/probe.err" >&2
    exit 1
fi
if [[ $VOICE == mb-* ]]; then
    echo "generate.sh: NOTE: voice '$VOICE' is an MBROLA voice; its licence forbids commercial" >&2
    echo "  use. Keep these files for yourself and do not commit them." >&2
fi

# The table: a header, then file, text, limit, source. Checked here so that a typo stops the
# run before anything is synthesised.
awk -F'\t' '
    NR == 1 { if ($1 != "file" || $2 != "text" || $3 != "limit_s") { print "narration.tsv: unexpected header"; bad = 1 }; next }
    NF != 4 { printf "narration.tsv line %d: %d columns, expected 4\n", NR, NF; bad = 1; next }
    $1 !~ /^([a-z]+\/)?[A-Za-z0-9_]+\.wav$/ { printf "narration.tsv line %d: odd file name %s\n", NR, $1; bad = 1 }
    $3 !~ /^[0-9]+(\.[0-9]+)?$/ || $3 <= 0 { printf "narration.tsv line %d: limit %s is not a positive number\n", NR, $3; bad = 1 }
    $2 ~ /[0-9<>&]|\.\.\.|…|bzw/ { printf "narration.tsv line %d: write digits, \"...\", abbreviations and <>& as spoken words\n", NR; bad = 1 }
    { k = tolower($1); if (k in seen) { printf "narration.tsv line %d: %s already on line %d (the program ignores letter case)\n", NR, $1, seen[k]; bad = 1 }; seen[k] = NR }
    END { exit bad }
' "$TABLE" >&2 || exit 1

# ------------------------------------------------------------------ helpers ---

# Text -> SSML for espeak-ng: lexicon words become [[phonemes]], "|" and "||" become pauses.
to_ssml() {
    printf '%s\n' "$1" | awk -F'\t' -v pause="$PAUSE_MS" -v longpause="$LONG_PAUSE_MS" '
        FNR == NR { if (FNR > 1) ph[$1] = $2; next }
        {
            n = split($0, w, " ")
            line = ""
            for (i = 1; i <= n; i++) {
                tok = w[i]
                if (tok == "|") { line = line " <break time=\"" pause "ms\"/>"; continue }
                if (tok == "||") { line = line " <break time=\"" longpause "ms\"/>"; continue }
                core = tok; lead = ""; tail = ""
                while (core ~ /^[,.;:!?]/) { lead = lead substr(core, 1, 1); core = substr(core, 2) }
                while (core ~ /[,.;:!?]$/) { tail = substr(core, length(core)) tail; core = substr(core, 1, length(core) - 1) }
                if (core in ph) tok = lead "[[" ph[core] "]]" tail
                line = line " " tok
            }
            print "<speak>" substr(line, 2) "</speak>"
        }' "$LEXICON" -
}

duration() { soxi -D "$1"; }

# SOUND SEED OUT [LENGTH [FADE_IN]]: a sound of sounds.awk as a float WAV file.
synth() {
    awk -v sound="$1" -v sr="$SOUND_SR" -v seed="$2" -v len="${4:-}" -v fadein="${5:-}" \
        -f "$HERE/sounds.awk" > "$TMP/synth.dat"
    "${SOX[@]}" "$TMP/synth.dat" "${FLOAT[@]}" "$3"
}

# Sample peak in dBFS.
peak_db() { sox "$1" -n stats 2>&1 | awk '/^Pk lev dB/ { print $4 }'; }

# RMS in dBFS over the sounding parts only (pauses and fades below -45 dBFS left out), so that a
# text with many pauses is not made louder than a single word.
active_rms_db() {
    sox "$1" -n silence -l 1 0.02 -45d -1 0.12 -45d stats 2>&1 | awk '/^RMS lev dB/ { print $4 }'
}

# IN OUT TARGET_RMS [nolimit]: bring the sounding parts to TARGET_RMS, tame the peaks with the
# limiter (unless "nolimit"), and keep below CEILING. The limiter lowers the RMS a little, so
# its gain is corrected against the result, at most twice.
level() {
    local in=$1 out=$2 target=$3 gain rms pk _
    gain=$(awk -v t="$target" -v r="$(active_rms_db "$in")" 'BEGIN { printf "%.3f", t - r }')
    if [[ ${4:-} == nolimit ]]; then
        gain=$(awk -v g="$gain" -v c="$CEILING" -v p="$(peak_db "$in")" \
            'BEGIN { m = c - 0.1 - p; printf "%.3f", g < m ? g : m }')
        "${SOX[@]}" "$in" "${FLOAT[@]}" "$out" gain "$gain"
        return
    fi
    for _ in 1 2 3; do
        "${SOX[@]}" "$in" "${FLOAT[@]}" "$TMP/level1.wav" \
            gain "$(awk -v g="$gain" 'BEGIN { print g - 12 }')" "${LIMITER[@]}"
        rms=$(active_rms_db "$TMP/level1.wav")
        awk -v t="$target" -v r="$rms" 'BEGIN { d = t - r; exit !(d > -0.2 && d < 0.2) }' && break
        gain=$(awk -v g="$gain" -v t="$target" -v r="$rms" 'BEGIN { printf "%.3f", g + t - r }')
    done
    pk=$(peak_db "$TMP/level1.wav")
    gain=$(awk -v c="$CEILING" -v p="$pk" 'BEGIN { g = c - 0.1 - p; printf "%.3f", g < 0 ? g : 0 }')
    "${SOX[@]}" "$TMP/level1.wav" "${FLOAT[@]}" "$out" gain "$gain"
}

# IN RATE OUT: float WAV -> final file: Ogg Vorbis, mono at RATE, no comments. Lossy coding may
# lift a peak by a few tenths of a dB; a file whose decoded peak lands above DECODED_CEILING is
# encoded once more that much softer.
finish() {
    local pk gain
    mkdir -p "$(dirname "$3")"
    "${SOX[@]}" "$1" --comment '' -r "$2" -c 1 -C "$VORBIS_QUALITY" "$3"
    pk=$(peak_db "$3")
    gain=$(awk -v c="$DECODED_CEILING" -v p="$pk" 'BEGIN { g = c - 0.05 - p; printf "%.3f", g < 0 ? g : 0 }')
    if [[ $gain != 0.000 ]]; then
        "${SOX[@]}" "$1" --comment '' -r "$2" -c 1 -C "$VORBIS_QUALITY" "$3" gain "$gain"
    fi
}

# TEXT RATE OUT: the processed voice, trimmed to its sound plus 30 ms lead-in, short fades.
voice() {
    local ssml
    ssml=$(to_ssml "$1")
    espeak-ng -v "$VOICE" -b 1 -m -s "$2" -p "$PITCH" -w "$TMP/raw.wav" "$ssml"
    "${SOX[@]}" "$TMP/raw.wav" "${FLOAT[@]}" "$TMP/fx.wav" "${VOICE_FX[@]}"
    "${SOX[@]}" "$TMP/fx.wav" "${FLOAT[@]}" "$TMP/trim.wav" \
        silence 1 0.005 -55d reverse silence 1 0.005 -60d reverse
    "${SOX[@]}" "$TMP/trim.wav" "${FLOAT[@]}" "$3" pad 0.03 fade q 0.01 -0 0.12
}

# The mantra: TEXT RATE OUT. The tone fades in for 0.6 s before the voice and rings 0.9 s after.
mantra() {
    local lead=0.6 after=0.9 sp len
    voice "$1" "$2" "$TMP/mantra_voice.wav"
    level "$TMP/mantra_voice.wav" "$TMP/mantra_voice_l.wav" "$SPEECH_RMS"
    sp=$(duration "$TMP/mantra_voice_l.wav")
    len=$(awk -v a="$lead" -v s="$sp" -v b="$after" 'BEGIN { printf "%.3f", a + s + b }')
    synth tone 7 "$TMP/tone_dry.wav" "$len" "$lead"
    "${SOX[@]}" "$TMP/tone_dry.wav" "${FLOAT[@]}" "$TMP/tone.wav" lowpass 1500
    level "$TMP/tone.wav" "$TMP/tone_l.wav" $((SPEECH_RMS - 15)) nolimit
    "${SOX[@]}" "$TMP/mantra_voice_l.wav" "${FLOAT[@]}" "$TMP/mantra_voice_p.wav" pad "$lead" "$after"
    "${SOX[@]}" -m "$TMP/tone_l.wav" "$TMP/mantra_voice_p.wav" "${FLOAT[@]}" "$TMP/mantra_mix.wav"
    level "$TMP/mantra_mix.wav" "$3" "$SPEECH_RMS" nolimit
}

# NAME OUT: one of the wordless sounds, levelled.
wordless() {
    local name=$1 out=$2
    case $name in
        gong)
            synth gong 11 "$TMP/dry.wav"
            "${SOX[@]}" "$TMP/dry.wav" "${FLOAT[@]}" "$TMP/w.wav" reverb 30 50 70 0 12 -10 fade q 0 -0 0.3
            level "$TMP/w.wav" "$out" -21 nolimit ;;
        noise)
            synth noise 23 "$TMP/dry.wav"
            "${SOX[@]}" "$TMP/dry.wav" "${FLOAT[@]}" "$TMP/w.wav" highpass 40 lowpass 6500
            level "$TMP/w.wav" "$out" -27 nolimit ;;
        wave)
            synth wave 31 "$TMP/dry.wav"
            "${SOX[@]}" "$TMP/dry.wav" "${FLOAT[@]}" "$TMP/w.wav" highpass 30 lowpass 8000 \
                reverb 15 60 60 0 0 -10 fade q 0 -0 0.3
            level "$TMP/w.wav" "$out" -23 nolimit ;;
    esac
}

# -------------------------------------------------------------------- build ---

STAGE="$TMP/Sound"
mkdir -p "$STAGE"
: > "$TMP/report.tsv"
errors=0

while IFS=$'\t' read -r file text limit source; do
    [[ $file == file ]] && continue
    if [[ -n $ONLY ]] && ! [[ $file =~ $ONLY ]]; then continue; fi

    # Aim a little below the limit: a step of N seconds may end up to a second early, because
    # the program compares whole seconds of the clock.
    target=$(awk -v l="$limit" 'BEGIN { h = l / 4; if (h > 1) h = 1; printf "%.3f", l - h }')
    rate=-
    case $file in
        start/noise.wav) wordless noise "$TMP/cand.wav" ;;
        start/wave.wav)  wordless wave "$TMP/cand.wav" ;;
        gong.wav)        wordless gong "$TMP/cand.wav" ;;
        *)
            for rate in "${RATES[@]}"; do
                if [[ $file == mantra.wav ]]; then
                    mantra "$text" "$rate" "$TMP/cand.wav"
                else
                    voice "$text" "$rate" "$TMP/voice.wav"
                    level "$TMP/voice.wav" "$TMP/cand.wav" "$SPEECH_RMS"
                fi
                awk -v d="$(duration "$TMP/cand.wav")" -v t="$target" 'BEGIN { exit !(d <= t) }' && break
            done ;;
    esac

    if [[ $text == \[* ]]; then rate_hz=$SOUND_SR; else rate_hz=$SPEECH_SR; fi
    stored=${file%.wav}.ogg
    finish "$TMP/cand.wav" "$rate_hz" "$STAGE/$stored"
    dur=$(duration "$STAGE/$stored")
    if awk -v d="$dur" -v l="$limit" 'BEGIN { exit !(d > l) }'; then
        printf 'TOO LONG  %-22s %6.2f s > %s s even at %s words/min (%s)\n' \
            "$file" "$dur" "$limit" "$rate" "$source" >&2
        errors=$((errors + 1))
    elif awk -v d="$dur" -v t="$target" 'BEGIN { exit !(d > t) }'; then
        printf 'tight     %-22s %6.2f s, limit %s s: fits, but with less than the usual headroom\n' \
            "$file" "$dur" "$limit" >&2
    fi
    printf '%s\t%s\t%s\t%s\t%s\t%s\n' "$file" "$dur" "$limit" "$rate" \
        "$(peak_db "$STAGE/$stored")" "$(active_rms_db "$STAGE/$stored")" >> "$TMP/report.tsv"
    printf '.' >&2
done < "$TABLE"
echo >&2

if ((errors)); then
    echo "generate.sh: $errors file(s) longer than their limit; nothing was written." >&2
    echo "  Shorten the text in $TABLE (or raise the fastest rate in RATES)." >&2
    exit 1
fi

# ------------------------------------------------------------------ install ---

if [[ -n $ONLY ]]; then
    (cd "$STAGE" && find . -type f -name '*.ogg' | while read -r f; do
        mkdir -p "$OUT/$(dirname "$f")"; cp "$f" "$OUT/$f"; done)
else
    # Only sound files are removed, so a mistyped --out cannot wipe anything else.
    mkdir -p "$OUT"
    find "$OUT" -type f \( -name '*.wav' -o -name '*.ogg' \) -delete
    find "$OUT" -mindepth 1 -type d -empty -delete
    cp -R "$STAGE/." "$OUT/"
fi

echo "file                       length   limit  words/min  peak dBFS  RMS dBFS"
awk -F'\t' '{ printf "%-24s %6.2f s %5s s  %9s  %9s  %8s\n", $1, $2, $3, $4, $5, $6; total += $2 }
    END { printf "%d files, %.1f s of sound\n", NR, total }' "$TMP/report.tsv"
du -sh "$OUT" | awk '{ print "size of " $2 ": " $1 }'

# The same checks the test runs.
if [[ -z $ONLY ]]; then
    bash "$HERE/check.sh" --dir "$OUT" --quiet
fi
