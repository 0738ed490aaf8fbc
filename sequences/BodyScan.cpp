#include "sequences/BodyScan.h"

namespace {
std::uint32_t rotl(std::uint32_t x, int k) {
    return (x << k) | (x >> (32 - k));
}
} // namespace

void SampleRandom::Seed(std::uint64_t seed) {
    // splitmix64 spreads any seed over the whole state.
    for (auto& word : s_) {
        seed += 0x9e3779b97f4a7c15ull;
        std::uint64_t z = seed;
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
        word = std::uint32_t((z ^ (z >> 31)) >> 16);
    }
    if ((s_[0] | s_[1] | s_[2] | s_[3]) == 0)
        s_[0] = 1;
}

std::uint32_t SampleRandom::Next() {
    const std::uint32_t result = rotl(s_[1] * 5, 7) * 9;
    const std::uint32_t t = s_[1] << 9;
    s_[2] ^= s_[0];
    s_[3] ^= s_[1];
    s_[1] ^= s_[2];
    s_[0] ^= s_[3];
    s_[2] ^= t;
    s_[3] = rotl(s_[3], 11);
    return result;
}

int SampleRandom::Between(int lo, int hi) {
    const std::uint32_t range = std::uint32_t(hi - lo) + 1u;
    // Lemire's multiply-and-shift, rejecting the few values that would favour some results.
    std::uint64_t m = std::uint64_t(Next()) * range;
    std::uint32_t low = std::uint32_t(m);
    if (low < range) {
        const std::uint32_t threshold = std::uint32_t(-range) % range;
        while (low < threshold) {
            m = std::uint64_t(Next()) * range;
            low = std::uint32_t(m);
        }
    }
    return lo + int(m >> 32);
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
    for (int i = 0; i < count; ++i) {
        const int x = random.Between(rect.xLo, rect.xHi);
        const int y = random.Between(rect.yLo, rect.yHi);
        lastX = std::uint16_t(x);
        lastY = std::uint16_t(y);
        if (!bits || x < 0 || y < 0 || x >= w || y >= h)
            continue;
        auto* pixel = reinterpret_cast<QRgb*>(bits + y * stride) + x;
        if ((*pixel | 0xff000000u) == body) {
            *pixel = fillColour | 0xff000000u;
            ++changed;
        }
    }
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
