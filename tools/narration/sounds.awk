# Synthesises the wordless sounds sample by sample and prints them in sox's text format
# (".dat": a header, then "time value" per sample, values in -1..1).
#
#   awk -v sound=gong|noise|wave|tone -v sr=22050 [-v len=SECONDS] [-v seed=N] -f sounds.awk
#
# The random numbers come from our own Park-Miller generator (every product stays below 2^53,
# so any awk with IEEE doubles gives the same sequence), never from awk's rand(), whose
# sequence differs between mawk and gawk. With a fixed seed the output is the same every run.

BEGIN {
    PI = 3.14159265358979
    if (sr == "") sr = 22050
    if (seed == "") seed = 20090301
    rng = seed % 2147483646 + 1

    if (sound == "gong")       { if (len == "") len = 6.0; gong() }
    else if (sound == "noise") { if (len == "") len = 12.0; rustle() }
    else if (sound == "wave")  { if (len == "") len = 6.8; wave() }
    else if (sound == "tone")  { if (len == "") len = 6.0; if (fadein == "") fadein = 0.8; tone() }
    else { print "sounds.awk: unknown sound '" sound "'" > "/dev/stderr"; exit 2 }
}

# ------------------------------------------------------------------ helpers ---

function uniform() {                 # 0 < u < 1
    rng = (rng * 16807) % 2147483647
    return rng / 2147483647
}
function white() { return 2 * uniform() - 1 }

function header() {
    printf "; Sample Rate %d\n; Channels 1\n", sr
}
function out(i, v) {
    printf "%.6f %.7f\n", i / sr, v
}

# One-pole low-pass coefficient for a corner frequency.
function lpc(fc) { return 1 - exp(-2 * PI * fc / sr) }

# Raised-cosine ramp from 0 (at a) to 1 (at b).
function ramp(t, a, b) {
    if (t <= a) return 0
    if (t >= b) return 1
    return 0.5 - 0.5 * cos(PI * (t - a) / (b - a))
}

# RBJ band-pass (constant 0 dB peak gain); state lives in the arrays under the filter's name.
function bp_init(name, f, q,    w, alpha, a0) {
    w = 2 * PI * f / sr
    alpha = sin(w) / (2 * q)
    a0 = 1 + alpha
    BB0[name] = alpha / a0; BB2[name] = -alpha / a0
    BA1[name] = -2 * cos(w) / a0; BA2[name] = (1 - alpha) / a0
    BX1[name] = BX2[name] = BY1[name] = BY2[name] = 0
}
function bp(name, x,    y) {
    y = BB0[name] * x + BB2[name] * BX2[name] - BA1[name] * BY1[name] - BA2[name] * BY2[name]
    BX2[name] = BX1[name]; BX1[name] = x
    BY2[name] = BY1[name]; BY1[name] = y
    return y
}

# ---------------------------------------------------------------------- gong ---
# Inharmonic partials, each with its own exponential decay and a slightly detuned twin that
# makes it beat slowly; two middle partials bloom a little after the strike, as a real gong
# does; a cloud of faint high partials gives the metallic shimmer of the first second; the soft
# mallet is a short burst of dull noise. The last 1.6 s fade out smoothly.

function gong(    n, k, i, t, s, env, f0, nf, strike, lp, fade, a, f, tau, det, ph, ph2, bloom, u) {
    f0 = 131
    n = split("1.000 1.503 2.015 2.470 2.944 3.561 4.224 5.108 6.275 7.836", f, " ")
    split("1.00 0.70 0.55 0.42 0.36 0.28 0.22 0.16 0.12 0.08", a, " ")
    split("3.4 2.9 2.4 2.0 1.7 1.3 1.0 0.75 0.55 0.40", tau, " ")
    split("0 0 1 1 0 0 0 0 0 0", bloom, " ")
    for (k = n + 1; k <= n + 16; k++) {          # shimmer between about 1 and 4.5 kHz
        u = uniform()
        f[k] = 8.5 + 26 * u ^ 1.4
        a[k] = 0.06 * (1 - 0.6 * u)
        tau[k] = 0.12 + 0.5 * (1 - u)
        bloom[k] = 0
    }
    n += 16
    for (k = 1; k <= n; k++) {
        f[k] *= f0
        det[k] = 0.35 + 0.9 * uniform()          # beat rate of the twin, Hz
        ph[k] = 2 * PI * uniform()
        ph2[k] = 2 * PI * uniform()
    }
    nf = int(len * sr)
    lp = 0
    header()
    for (i = 0; i < nf; i++) {
        t = i / sr
        s = 0
        for (k = 1; k <= n; k++) {
            env = exp(-t / tau[k])
            if (env < 1e-4) continue
            if (bloom[k]) env *= 1 - 0.7 * exp(-t / 0.35)
            s += a[k] * env * (sin(2 * PI * f[k] * t + ph[k]) + 0.5 * sin(2 * PI * (f[k] + det[k]) * t + ph2[k]))
        }
        lp += lpc(1800) * (white() - lp)
        strike = 1.6 * lp * exp(-t / 0.012)
        s = (s + strike) * ramp(t, 0, 0.004)
        fade = 1 - ramp(t, len - 1.6, len)
        out(i, 0.12 * s * fade)
    }
}

# --------------------------------------------------------------------- noise ---
# A soft rustle that swells and dies away: a dull pink-noise body, an airy band around 3 kHz,
# and the crackle of leaves as tiny decaying noise grains whose density follows the swell.
# A slow random gust modulates the whole.

function rustle(    i, t, nf, w, b0, b1, b2, b3, b4, b5, b6, pink, body, air, hp, crack, genv, gdec, rate, swell, gust, gt, v) {
    nf = int(len * sr)
    b0 = b1 = b2 = b3 = b4 = b5 = b6 = 0
    body = hp = genv = 0
    gust = 0; gt = 0
    gdec = exp(-1 / (0.008 * sr))
    bp_init("air", 3000, 0.7)
    header()
    for (i = 0; i < nf; i++) {
        t = i / sr
        w = white()
        # Paul Kellet's pink filter
        b0 = 0.99886 * b0 + w * 0.0555179; b1 = 0.99332 * b1 + w * 0.0750759
        b2 = 0.96900 * b2 + w * 0.1538520; b3 = 0.86650 * b3 + w * 0.3104856
        b4 = 0.55000 * b4 + w * 0.5329522; b5 = -0.7616 * b5 - w * 0.0168980
        pink = (b0 + b1 + b2 + b3 + b4 + b5 + b6 + w * 0.5362) * 0.11
        b6 = w * 0.115926
        body += lpc(900) * (pink - body)
        air = bp("air", white())

        # swell: up over 6 s, a short crest, down to silence at the end
        swell = ramp(t, 0, 6.0) * (1 - ramp(t, 7.5, len))
        # slow gusts: a random target every ~0.7 s, approached smoothly
        if (i % int(0.7 * sr) == 0) gt = white()
        gust += (0.6 / sr) * (gt - gust) * 4
        # leaf crackle: grains at 10..140 per second
        rate = 10 + 130 * swell
        if (uniform() < rate / sr) genv += 0.4 + 0.6 * uniform()
        genv *= gdec
        v = white()
        hp += lpc(2500) * (v - hp)
        crack = (v - hp) * genv

        out(i, 0.35 * swell * (1 + 0.3 * gust) * (0.55 * body + 0.30 * air + 0.45 * crack))
    }
}

# ---------------------------------------------------------------------- wave ---
# One wave on a shore: the swell approaches as a low rumble while its crest begins to spill
# with a rising hiss, breaks at about 2.4 s with a broad, soft crash, runs up the beach as a
# fizzing wash full of small bubbles, and draws back with a mid-range hiss while the fizz dies
# away.

function wave(    i, t, nf, w, brown, rumble, pink, crash, lp1, hp1, fizz, bub, benv, bdec, back, env_a, env_s, env_c, env_w, env_b, tb, v, fade) {
    nf = int(len * sr)
    brown = rumble = crash = lp1 = hp1 = benv = 0
    bdec = exp(-1 / (0.004 * sr))
    bp_init("back", 700, 0.8)
    tb = 2.4                                  # moment of breaking
    header()
    for (i = 0; i < nf; i++) {
        t = i / sr
        w = white()
        brown = 0.995 * brown + 0.05 * w
        rumble += lpc(320) * (brown - rumble)
        pink = white()
        crash += lpc(2600) * (pink - crash)
        v = white()
        lp1 += lpc(6500) * (v - lp1)
        hp1 += lpc(1800) * (lp1 - hp1)
        fizz = lp1 - hp1

        env_a = ramp(t, 0, tb) * (t < tb ? 1 : exp(-(t - tb) / 1.3))          # rumble of the swell
        env_s = ramp(t, tb - 1.0, tb) * (t < tb ? 0.5 : 0.5 * exp(-(t - tb) / 0.5))  # spilling crest
        env_c = ramp(t, tb - 0.1, tb + 0.3) * (t < tb + 0.3 ? 1 : exp(-(t - tb - 0.3) / 0.8))
        env_w = ramp(t, tb - 0.2, tb + 0.6) * (t < tb + 0.6 ? 1 : exp(-(t - tb - 0.6) / 1.2))
        env_b = exp(-((t - 4.5) / 0.9) ^ 2)                                   # backwash

        # bubbles: short clicks of fizz, densest just after the break
        if (uniform() < (30 + 400 * env_w) / sr) benv += 0.3 + 0.7 * uniform()
        benv *= bdec
        bub = fizz * benv

        back = bp("back", white())
        fade = 1 - ramp(t, len - 1.0, len)
        out(i, 0.2 * fade * (2.6 * rumble * env_a + 0.5 * fizz * env_s + 0.9 * crash * env_c + 0.5 * fizz * env_w + 0.6 * bub * env_w + 0.35 * back * env_b))
    }
}

# ---------------------------------------------------------------------- tone ---
# The soft tone under the mantra: a low G with its fifth and octave, each beating slowly with a
# detuned twin, breathing gently; fades in over `fadein` seconds (0.8 by default) and out over
# the last 1.4 s.

function tone(    i, t, nf, n, k, f, a, ph, s, env) {
    nf = int(len * sr)
    n = split("196 294 392 588", f, " ")
    split("1.0 0.45 0.25 0.08", a, " ")
    for (k = 1; k <= n; k++) ph[k] = 2 * PI * uniform()
    header()
    for (i = 0; i < nf; i++) {
        t = i / sr
        s = 0
        for (k = 1; k <= n; k++)
            s += a[k] * (sin(2 * PI * f[k] * t + ph[k]) + 0.6 * sin(2 * PI * (f[k] + 0.23 * k) * t))
        env = ramp(t, 0, fadein) * (1 - ramp(t, len - 1.4, len)) * (0.85 + 0.15 * sin(2 * PI * 0.17 * t))
        out(i, 0.2 * s * env)
    }
}
