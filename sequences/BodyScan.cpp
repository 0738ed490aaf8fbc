#include "sequences/BodyScan.h"

// Lemire's multiply-and-shift maps 32 random bits onto 0..range-1; the few values that would
// favour some results are drawn again.
std::uint32_t SampleRandom::Reduce(std::uint32_t bits, std::uint32_t range) {
    std::uint64_t m = std::uint64_t(bits) * range;
    if (std::uint32_t(m) < range) {
        const std::uint32_t threshold = std::uint32_t(-range) % range;
        while (std::uint32_t(m) < threshold)
            m = std::uint64_t(std::uint32_t(Next())) * range;
    }
    return std::uint32_t(m >> 32);
}

int SampleRandom::Between(int lo, int hi) {
    return lo + int(Reduce(std::uint32_t(Next() >> 32), std::uint32_t(hi - lo) + 1u));
}

void SampleRandom::Pair(int xLo, int xHi, int yLo, int yHi, int& x, int& y) {
    const std::uint64_t r = Next();
    x = xLo + int(Reduce(std::uint32_t(r >> 32), std::uint32_t(xHi - xLo) + 1u));
    y = yLo + int(Reduce(std::uint32_t(r), std::uint32_t(yHi - yLo) + 1u));
}

int ColourSamples(QImage& picture, const SampleRect& rect, int count, QRgb bodyColour,
                  QRgb fillColour, SampleRandom& random, std::uint16_t& lastX,
                  std::uint16_t& lastY) {
    if (count <= 0)
        return 0;
    const int w = picture.width();
    const int h = picture.height();
    const qsizetype stride = picture.bytesPerLine();
    uchar* bits = w > 0 ? picture.bits() : nullptr; // detaches once, not per pixel
    const QRgb body = bodyColour | 0xff000000u;
    int changed = 0;
    int x = lastX, y = lastY;
    for (int i = 0; i < count; ++i) {
        random.Pair(rect.xLo, rect.xHi, rect.yLo, rect.yHi, x, y);
        if (!bits || x < 0 || y < 0 || x >= w || y >= h)
            continue;
        auto* pixel = reinterpret_cast<QRgb*>(bits + y * stride) + x;
        if ((*pixel | 0xff000000u) == body) {
            *pixel = fillColour | 0xff000000u;
            ++changed;
        }
    }
    lastX = std::uint16_t(x);
    lastY = std::uint16_t(y);
    return changed;
}

int RoundedShare(int numerator, int denominator, int d) {
    const long long p = (long long)numerator * d;
    long long q = p / denominator;
    const long long r = p % denominator;
    if (2 * r > denominator || (2 * r == denominator && (q & 1)))
        ++q;
    return int(q);
}
