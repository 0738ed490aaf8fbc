#pragma once

#include <QImage>

#include <cstdint>

// The colouring of the body picture during the relaxation: random samples in a rectangle turn
// pixels of exactly the body colour into the fill colour.

// A small, fast generator of uniform numbers (wyrand: one multiplication per 64 bits), seeded
// once per run. One draw gives both coordinates of a sample.
class SampleRandom {
public:
    explicit SampleRandom(std::uint64_t seed = 1) { Seed(seed); }
    void Seed(std::uint64_t seed) { state_ = seed; }
    // Uniform in lo..hi (inclusive), without bias.
    int Between(int lo, int hi);
    // Two independent uniform numbers, in xLo..xHi and yLo..yHi, without bias.
    void Pair(int xLo, int xHi, int yLo, int yHi, int& x, int& y);

private:
    std::uint64_t Next() {
        state_ += 0xa0761d6478bd642full;
        const __uint128_t t = __uint128_t(state_) * (state_ ^ 0xe7037ed1a0b428dbull);
        return std::uint64_t(t >> 64) ^ std::uint64_t(t);
    }
    std::uint32_t Reduce(std::uint32_t bits, std::uint32_t range);
    std::uint64_t state_;
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
