#pragma once

#include <QImage>

#include <cstdint>

// The colouring of the body picture during the relaxation: random samples in a rectangle turn
// pixels of exactly the body colour into the fill colour.

// A small, fast generator of uniform numbers (xoshiro128**), seeded once per run.
class SampleRandom {
public:
    explicit SampleRandom(std::uint64_t seed = 1) { Seed(seed); }
    void Seed(std::uint64_t seed);
    // Uniform in lo..hi (inclusive), without bias.
    int Between(int lo, int hi);

private:
    std::uint32_t Next();
    std::uint32_t s_[4];
};

struct SampleRect {
    int xLo, xHi, yLo, yHi; // inclusive
};

// Draws `count` samples, x first then y, into lastX/lastY. Samples outside the picture are
// skipped. Returns how many pixels changed.
int ColourSamples(QImage& picture, const SampleRect& rect, int count, QRgb bodyColour,
                  QRgb fillColour, SampleRandom& random, std::uint16_t& lastX,
                  std::uint16_t& lastY);

// round(numerator × d ÷ denominator), halves to the even neighbour, in exact integers.
int RoundedShare(int numerator, int denominator, int d);
