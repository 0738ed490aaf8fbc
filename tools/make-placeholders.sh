#!/usr/bin/env bash
# Regenerates the placeholder pictures and sounds used until the real artwork
# exists:
#   data/Pictures/Start/*.jpg      start sequence, banner, sunset
#   data/Pictures/Icons/*.bmp      26x26 24-bit toolbar glyphs (colour key = bottom-left pixel)
#   data/Sound/**/*.wav            mono 16-bit 22050 Hz sounds
#   app/design/*.png               button glyphs and prompt pictures for the window design
#
# Needs: ImageMagick 6 (convert), sox, espeak-ng (German voice), DejaVu fonts.
# Output is deterministic: fixed random seeds, metadata stripped, single thread.
#
# Usage: bash tools/make-placeholders.sh

set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
DATA="$ROOT/data"
DESIGN="$ROOT/app/design"

FONT_DIR=/usr/share/fonts/truetype/dejavu
FONT="$FONT_DIR/DejaVuSans.ttf"
FONT_BOLD="$FONT_DIR/DejaVuSans-Bold.ttf"

# Colour key of the BMP icons. No glyph colour has a blue component of 0, so
# neither a glyph colour nor a blend of two glyph colours can equal the key.
KEY='#808000'

export LC_ALL=C
export MAGICK_THREAD_LIMIT=1   # multi-threaded filters may differ in the last bit

for tool in convert identify sox espeak-ng awk; do
    command -v "$tool" >/dev/null || { echo "missing tool: $tool" >&2; exit 1; }
done
for f in "$FONT" "$FONT_BOLD"; do
    [[ -r $f ]] || { echo "missing font: $f" >&2; exit 1; }
done
espeak-ng --voices=de | grep -q 'gmw/de' || { echo "espeak-ng has no German voice" >&2; exit 1; }

TMP="$(mktemp -d)"
trap 'rm -rf "$TMP"' EXIT

mkdir -p "$DATA/Pictures/Start" "$DATA/Pictures/Icons" "$DATA/Sound/start" "$DESIGN"

# Common output options.
JPEG_OPTS=(-strip -interlace none -sampling-factor 2x2 -quality 85)
# shellcheck disable=SC2054  # the comma belongs to the ImageMagick define
PNG_OPTS=(-strip -define png:exclude-chunks=date,time)

# ---------------------------------------------------------------- helpers ---

# lerp A B PERCENT -> integer between A and B
lerp() { echo $(( $1 + ($2 - $1) * $3 / 100 )); }

# mix '#rrggbb' '#rrggbb' PERCENT -> '#rrggbb'
mix() {
    local a=${1#\#} b=${2#\#} p=$3 out='#' i
    for i in 0 2 4; do
        out+=$(printf '%02x' "$(lerp $((16#${a:i:2})) $((16#${b:i:2})) "$p")")
    done
    echo "$out"
}

# three-stop vertical gradient: W H TOP MID BOTTOM SPLIT(y of MID) OUT
vgradient3() {
    local w=$1 h=$2 top=$3 mid=$4 bot=$5 split=$6 out=$7
    convert -size "${w}x${split}" "gradient:${top}-${mid}" \
            -size "${w}x$((h - split))" "gradient:${mid}-${bot}" \
            -append +repage "$out"
}

# Text with a soft shadow: IMG X Y POINTSIZE FONT COLOUR TEXT (gravity SouthWest)
shadow_text() {
    local img=$1 x=$2 y=$3 pt=$4 font=$5 col=$6 text=$7
    convert "$img" \
        \( -size "$(identify -format '%wx%h' "$img")" xc:none -gravity SouthWest \
           -font "$font" -pointsize "$pt" -fill 'rgba(0,0,0,0.55)' \
           -annotate "+$((x + 2))+$((y - 2))" "$text" -blur 0x2 \) -composite \
        -gravity SouthWest -font "$font" -pointsize "$pt" -fill "$col" \
        -annotate "+${x}+${y}" "$text" "$img"
}

# ------------------------------------------------------ start sequence ------
# Frame 1 is an office in cool grey-blue; by frame 11 the desk has faded out and
# a golden sky, a sun and green hills have faded in.

W=1280 H=720 HORIZON=430

# Desk layer (opaque, faded per frame).
convert -size ${W}x${H} xc:none \
    -fill '#b4bcc6' -draw 'rectangle 120,90 420,330' \
    -fill '#cfe0ee' -draw 'rectangle 135,105 405,315' \
    -stroke '#b4bcc6' -strokewidth 10 -draw 'line 270,105 270,315' -draw 'line 135,210 405,210' \
    -stroke none \
    -fill '#3b4654' -draw 'roundrectangle 530,300 750,450 8,8' \
    -fill '#93adc6' -draw 'rectangle 542,312 738,438' \
    -fill '#3b4654' -draw 'rectangle 625,450 655,478' -draw 'rectangle 590,474 690,482' \
    -fill '#5d4c40' -draw 'rectangle 360,482 920,506' \
    -fill '#4e3f35' -draw 'rectangle 385,506 410,660' -draw 'rectangle 870,506 895,660' \
    -fill '#6c5a4c' -draw 'rectangle 700,506 860,600' \
    -fill '#4e3f35' -draw 'rectangle 770,545 790,553' \
    -blur 0x1.2 "$TMP/desk.png"

# Hills layer (opaque, faded in).
convert -size ${W}x${H} xc:none \
    -fill '#6f9c4a' -draw 'ellipse 1000,820 620,330 0,360' \
    -fill '#5a8a3c' -draw 'ellipse 260,800 640,300 0,360' \
    -fill '#4a7a33' -draw 'ellipse 760,900 700,300 0,360' \
    -blur 0x2 "$TMP/hills.png"

for i in $(seq 1 11); do
    p=$(( (i - 1) * 10 ))          # 0 .. 100 : progress towards nature
    top=$(mix '#6b7e95' '#f0c46a' "$p")
    mid=$(mix '#a3b0bf' '#fbe7a9' "$p")
    bot=$(mix '#c4cbd3' '#6e9a45' "$p")
    frame="$TMP/start$i.png"
    vgradient3 $W $H "$top" "$mid" "$bot" $HORIZON "$frame"

    # Sun: rises and brightens with progress.
    sy=$(lerp 360 210 "$p")
    sun_op=$(awk -v p="$p" 'BEGIN { printf "%.2f", p / 100 }')
    desk_op=$(awk -v p="$p" 'BEGIN { printf "%.2f", 1 - p / 100 }')
    convert "$frame" \
        \( -size $((W / 4))x$((H / 4)) xc:none -fill '#fff2b0' \
           -draw "circle 245,$((sy / 4)) 245,$(( (sy - 130) / 4 ))" -blur 0x10 -resize ${W}x${H}! \
           -channel A -evaluate multiply "$(awk -v o="$sun_op" 'BEGIN { print o * 0.6 }')" +channel \) -composite \
        \( -size ${W}x${H} xc:none -fill '#ffd45c' -draw "circle 980,$sy 980,$((sy - 70))" -blur 0x1.5 \
           -channel A -evaluate multiply "$sun_op" +channel \) -composite \
        \( "$TMP/hills.png" -channel A -evaluate multiply "$sun_op" +channel \) -composite \
        \( "$TMP/desk.png" -channel A -evaluate multiply "$desk_op" +channel \) -composite \
        "$frame"
    shadow_text "$frame" 40 64 44 "$FONT_BOLD" '#ffffff' 'Quillet'
    shadow_text "$frame" 42 30 22 "$FONT" '#f4f4f4' "Start – Bild $i von 11"
    convert "$frame" "${JPEG_OPTS[@]}" "$DATA/Pictures/Start/start$i.jpg"
done

# ------------------------------------------------------------- banner -------
convert -size 1280x240 'gradient:#2a3a4c-#1b2633' \
    -fill '#7fa7c9' -draw 'rectangle 0,0 1279,3' -draw 'rectangle 0,236 1279,239' \
    \( -size 1280x240 xc:none -gravity center -font "$FONT" -pointsize 46 \
       -fill 'rgba(0,0,0,0.6)' -annotate +2+3 'Bitte lesen Sie zuerst die Hinweise unter HILFE' -blur 0x2 \) \
    -composite \
    -gravity center -font "$FONT" -pointsize 46 -fill '#eef2f5' \
    -annotate +0+0 'Bitte lesen Sie zuerst die Hinweise unter HILFE' \
    "${JPEG_OPTS[@]}" "$DATA/Pictures/Start/start12.jpg"

# ------------------------------------------------------------- sunset -------
convert -size 1280x250 'gradient:#0c1c4a-#563a7c' -size 1280x250 'gradient:#563a7c-#e2704a' \
        -size 1280x220 'gradient:#e2704a-#ffb452' -append +repage "$TMP/sunset.png"
convert "$TMP/sunset.png" \
    \( -size 320x180 xc:none -fill '#ffc070' -draw 'circle 160,143 160,95' -blur 0x15 -resize 1280x720! \
       -channel A -evaluate multiply 0.75 +channel \) -composite \
    \( -size 1280x720 xc:none -fill '#ffe08c' -draw 'circle 640,572 640,496' -blur 0x1.5 \) -composite \
    \( -size 1280x720 xc:none \
       -fill '#3a2540' -draw 'ellipse 250,770 580,200 0,360' -draw 'ellipse 1080,760 540,180 0,360' \
       -fill '#22162a' -draw 'ellipse 700,850 780,230 0,360' \
       -blur 0x1.5 \) -composite \
    "$TMP/sunset.png"
shadow_text "$TMP/sunset.png" 40 30 24 "$FONT" '#f6e6d0' 'Quillet – Sonnenuntergang'
convert "$TMP/sunset.png" "${JPEG_OPTS[@]}" "$DATA/Pictures/Start/sunset.jpg"

# -------------------------------------------------------------- glyphs ------
# Glyphs are drawn at 104x104 (4x) on a transparent canvas and scaled down.
G=104
canvas() { convert -size ${G}x${G} xc:none "$@"; }
# MVG prefix for round line ends and joins (such settings last for one -draw only).
R='stroke-linecap round stroke-linejoin round'

glyph_lunge() {  # COLOUR OUT
    canvas -fill "$1" -stroke none \
        -draw "$R ellipse 31,64 17,28 0,360" -draw "$R ellipse 73,64 17,28 0,360" \
        -fill none -stroke "$1" -strokewidth 7 \
        -draw "$R line 52,10 52,42" -draw "$R polyline 36,54 52,40 68,54" "$2"
}
glyph_yoga() {
    canvas -fill "$1" -stroke none -draw "$R circle 52,20 52,10" \
        -fill none -stroke "$1" -strokewidth 8 \
        -draw "$R line 52,34 52,64" -draw "$R polyline 26,8 52,40 78,8" \
        -draw "$R polyline 34,94 52,64 70,94" "$2"
}
glyph_augen() {
    canvas -fill none -stroke "$1" -strokewidth 7 \
        -draw "$R path 'M 8,52 Q 52,8 96,52 Q 52,96 8,52 Z'" \
        -stroke none -fill "$1" -draw "$R circle 52,52 52,35" "$TMP/eye.png"
    # pupil highlight punched out of the iris
    convert "$TMP/eye.png" \( -size ${G}x${G} xc:none -fill black -draw "$R circle 58,45 58,39" \) \
        -compose DstOut -composite "$2"
}
glyph_entsp() {
    convert \( -size ${G}x${G} xc:none -fill "$1" -draw "$R circle 46,54 46,14" \) \
            \( -size ${G}x${G} xc:none -fill black -draw "$R circle 66,40 66,6" \) \
            -compose DstOut -composite -compose Over \
            -fill "$1" -draw "$R polygon 84,10 87,19 96,22 87,25 84,34 81,25 72,22 81,19" \
            -draw "$R circle 94,48 94,43" "$2"
}
glyph_clock() {  # FACE RIM HANDS OUT
    canvas -fill "$1" -stroke "$2" -strokewidth 8 -draw "$R circle 52,52 52,10" \
        -stroke "$2" -strokewidth 5 \
        -draw "$R line 52,18 52,24" -draw "$R line 86,52 80,52" -draw "$R line 52,86 52,80" -draw "$R line 18,52 24,52" \
        -stroke "$3" -strokewidth 7 -draw "$R line 52,52 52,26" -strokewidth 6 -draw "$R line 52,52 71,62" \
        -stroke none -fill "$3" -draw "$R circle 52,52 52,46" "$4"
}
glyph_close() {  # white X on a red disc
    canvas -fill '#c8302c' -stroke '#8e1c1a' -strokewidth 4 -draw "$R circle 52,52 52,5" \
        -fill none -stroke '#fff8f0' -strokewidth 12 \
        -draw "$R line 33,33 71,71" -draw "$R line 71,33 33,71" "$1"
}
glyph_back() {
    canvas -fill none -stroke "$1" -strokewidth 12 \
        -draw "$R path 'M 88,80 L 88,62 Q 88,44 70,44 L 22,44'" \
        -draw "$R polyline 42,22 20,44 42,66" "$2"
}

# Highlighted look: the glyph, a little smaller, on a bright orange-yellow disc.
highlight() {  # GLYPH_PNG OUT
    convert -size ${G}x${G} xc:none -fill '#ffb21e' -stroke '#f07a10' -strokewidth 4 \
        -draw "$R circle 52,52 52,3" \
        \( "$1" -resize 76x76 \) -gravity center -composite "$2"
}

# 104x104 RGBA -> 26x26 24-bit BMP on the key colour, hard alpha edge so that
# every background pixel is exactly the key colour.
to_bmp() {  # IN OUT
    convert "$1" -filter Box -resize 26x26 -channel A -threshold 50% +channel \
        -background "$KEY" -flatten -alpha off -type TrueColor "BMP3:$2"
    local corner
    corner=$(convert "$2" -format '%[hex:p{0,25}]' info:)
    [[ ${corner,,} == "${KEY#\#}" || ${corner,,} == "${KEY#\#}ff" ]] \
        || { echo "$2: bottom-left pixel is #$corner, not the key colour" >&2; exit 1; }
}
# 104x104 RGBA -> 26x26 PNG with soft transparent edges.
to_png26() {  # IN OUT
    convert "$1" -filter Box -resize 26x26 "${PNG_OPTS[@]}" "PNG32:$2"
}

ICONS="$DATA/Pictures/Icons"
NORMAL='#2e5c8a'   # calm steel blue
HOT='#5a2a10'      # dark brown on the orange disc

for name in lunge yoga augen entsp; do
    "glyph_$name" "$NORMAL" "$TMP/$name.png"
    to_bmp "$TMP/$name.png" "$ICONS/$name.bmp"
    "glyph_$name" "$HOT" "$TMP/${name}_hot.png"
    highlight "$TMP/${name}_hot.png" "$TMP/${name}2.png"
    to_bmp "$TMP/${name}2.png" "$ICONS/${name}2.bmp"
done
glyph_close "$TMP/close.png";                                   to_bmp "$TMP/close.png" "$ICONS/close.bmp"
glyph_back "$NORMAL" "$TMP/zuruck.png";                         to_bmp "$TMP/zuruck.png" "$ICONS/zuruck.bmp"
glyph_clock '#f1f1ec' '#5c6672' '#2f3944' "$TMP/uhr.png";       to_bmp "$TMP/uhr.png" "$ICONS/uhr.bmp"
convert -size ${G}x${G} xc:none -fill '#bff0b0' -draw "$R circle 52,52 52,1" "$TMP/uhr2_glow.png"
glyph_clock '#e4fbdc' '#23983c' '#145a1e' "$TMP/uhr2_face.png"
convert "$TMP/uhr2_glow.png" "$TMP/uhr2_face.png" -composite "$TMP/uhr2.png"
to_bmp "$TMP/uhr2.png" "$ICONS/uhr2.bmp"

# ------------------------------------------------------ window design -------
INK='#34495e'

canvas -fill none -stroke "$INK" -strokewidth 7 \
    -draw "$R rectangle 8,8 96,96" -draw "$R rectangle 24,24 80,80" \
    -fill "$INK" -stroke none -draw "$R rectangle 38,38 66,66" "$TMP/size.png"
to_png26 "$TMP/size.png" "$DESIGN/size.png"

canvas -fill none -stroke "$INK" -strokewidth 7 -draw "$R circle 52,52 52,6" \
    -stroke none -fill "$INK" -font "$FONT_BOLD" -pointsize 70 -gravity center \
    -annotate +0+2 '?' "$TMP/hilfe.png"
to_png26 "$TMP/hilfe.png" "$DESIGN/hilfe.png"

canvas -fill none -stroke "$INK" -strokewidth 7 \
    -draw "$R line 14,26 90,26" -draw "$R line 14,52 90,52" -draw "$R line 14,78 90,78" \
    -stroke none -fill "$INK" \
    -draw "$R circle 36,26 36,13" -draw "$R circle 68,52 68,39" -draw "$R circle 46,78 46,65" \
    -fill '#ffffff' \
    -draw "$R circle 36,26 36,20" -draw "$R circle 68,52 68,46" -draw "$R circle 46,78 46,72" "$TMP/menue.png"
to_png26 "$TMP/menue.png" "$DESIGN/menue.png"

canvas -fill none -stroke "$INK" -strokewidth 7 -draw "$R circle 52,52 52,6" \
    -stroke none -fill "$INK" -draw "$R circle 52,28 52,20" \
    -draw "$R roundrectangle 45,42 59,80 3,3" -draw "$R rectangle 38,42 52,48" -draw "$R rectangle 38,76 66,82" \
    "$TMP/impres.png"
to_png26 "$TMP/impres.png" "$DESIGN/impres.png"

glyph_clock '#f1f1ec' "$INK" '#222c36' "$TMP/uhr_design.png"
to_png26 "$TMP/uhr_design.png" "$DESIGN/uhr_design.png"

# train.png: sun, a stretching figure and "Zeit für eine Übung".
convert -size 333x132 'gradient:#fff3d2-#d6efc6' \
    -fill none -stroke '#8cbf72' -strokewidth 2 -draw "$R roundrectangle 2,2 330,129 12,12" \
    -stroke '#f2b53a' -strokewidth 3 \
    -draw "$R line 62,14 62,6" -draw "$R line 84,23 90,17" -draw "$R line 40,23 34,17" \
    -draw "$R line 93,45 101,45" -draw "$R line 31,45 23,45" \
    -stroke none -fill '#ffcf4d' -draw "$R circle 62,45 62,25" \
    -fill none -stroke '#2f6e3a' -strokewidth 5 \
    -draw "$R line 62,78 62,104" -draw "$R polyline 44,56 62,84 80,56" -draw "$R polyline 50,124 62,104 74,124" \
    -stroke none -fill '#2f6e3a' -draw "$R circle 62,68 62,60" \
    \( -size 200x110 -background none -stroke none -fill '#3c4a2a' -font "$FONT_BOLD" -pointsize 28 \
       -gravity center caption:'Zeit für eine Übung' \) \
    -gravity NorthWest -geometry +120+11 -composite \
    "${PNG_OPTS[@]}" "PNG24:$DESIGN/train.png"

# dog.png: calm reminder with a pause symbol and "Kurz durchatmen".
convert -size 335x168 'gradient:#e6eef9-#c7d7ee' \
    -fill none -stroke '#8aa6cf' -strokewidth 2 -draw "$R roundrectangle 2,2 332,165 12,12" \
    -stroke '#4a6fa5' -strokewidth 6 -fill '#f4f8fd' -draw "$R circle 80,84 80,38" \
    -stroke none -fill '#4a6fa5' -draw "$R roundrectangle 64,62 75,106 3,3" -draw "$R roundrectangle 85,62 96,106 3,3" \
    \( -size 176x110 -background none -stroke none -fill '#2f4a6e' -font "$FONT_BOLD" -pointsize 26 \
       -gravity center caption:'Kurz durchatmen' \) \
    -gravity NorthWest -geometry +148+14 -composite \
    "${PNG_OPTS[@]}" "PNG24:$DESIGN/dog.png"

# --------------------------------------------------------------- sounds -----
SR=22050
SOX=(sox -R --no-show-progress)
WAV_OUT=(--comment '' -r "$SR" -c 1 -b 16 -e signed-integer)

# Soft swelling rustle: pink + brown noise, low-passed, slow swell in and out.
"${SOX[@]}" -n "${WAV_OUT[@]}" "$DATA/Sound/start/noise.wav" \
    synth 4 pinknoise synth 4 brownnoise mix \
    lowpass 1800 lowpass 2400 highpass 60 \
    fade h 1.6 4 1.8 norm -3

# Wave on a shore: a rumbling swell that rises, breaks and runs out.
"${SOX[@]}" -n -r $SR -c 1 -b 16 "$TMP/wave_low.wav" \
    synth 5 brownnoise highpass 45 lowpass 500 fade h 2.2 5 2.6
"${SOX[@]}" -n -r $SR -c 1 -b 16 "$TMP/wave_hiss.wav" \
    synth 5 pinknoise bandpass 1800 1.2q lowpass 3500 fade q 2.8 5 2.2 tremolo 6 25
"${SOX[@]}" -m -v 1.0 "$TMP/wave_low.wav" -v 0.9 "$TMP/wave_hiss.wav" "${WAV_OUT[@]}" \
    "$DATA/Sound/start/wave.wav" tremolo 0.5 20 fade 0.05 5 0.4 norm -3

# Gong: inharmonic partials with their own exponential decays, written as
# sample text so the envelope is exact.
awk -v sr=$SR -v len=4 'BEGIN {
    pi = 3.14159265358979
    n = split("110 263 397 531 689", f, " ")
    split("1.00 0.55 0.35 0.25 0.12", a, " ")
    split("1.70 1.10 0.75 0.50 0.35", tau, " ")
    print "; Sample Rate " sr
    print "; Channels 1"
    for (i = 0; i < sr * len; i++) {
        t = i / sr
        s = 0
        for (k = 1; k <= n; k++)
            s += a[k] * exp(-t / tau[k]) * sin(2 * pi * f[k] * t + k)
        attack = (t < 0.008) ? t / 0.008 : 1
        printf "%.6f %.6f\n", t, 0.3 * attack * s
    }
}' > "$TMP/gong.dat"
"${SOX[@]}" "$TMP/gong.dat" "${WAV_OUT[@]}" "$DATA/Sound/gong.wav" \
    fade 0 4 0.6 norm -3

# Mantra: slow, low German voice over a quiet warm drone.
espeak-ng -v de -s 120 -p 30 -a 120 -w "$TMP/speech_raw.wav" 'Ich bin ganz ruhig und entspannt.'
"${SOX[@]}" "$TMP/speech_raw.wav" -r $SR -c 1 -b 16 "$TMP/speech.wav" \
    lowpass 6000 pad 0.8 1.0
speech_len=$(soxi -D "$TMP/speech.wav")
"${SOX[@]}" -n -r $SR -c 1 -b 16 "$TMP/drone.wav" \
    synth "$speech_len" sine 110 synth "$speech_len" sine mix 165 \
    tremolo 0.3 30 lowpass 400 fade h 0.8 "$speech_len" 1.0
"${SOX[@]}" -m -v 1.0 "$TMP/speech.wav" -v 0.12 "$TMP/drone.wav" "${WAV_OUT[@]}" \
    "$DATA/Sound/mantra.wav" fade 0.02 "$speech_len" 0.3 norm -3

# --------------------------------------------------------------- report -----
echo "placeholders written:"
( cd "$ROOT" && find data app/design -type f \( -name '*.jpg' -o -name '*.bmp' -o -name '*.png' -o -name '*.wav' \) \
    | sort | while read -r f; do printf '  %-40s %7d bytes\n' "$f" "$(stat -c %s "$f")"; done )
