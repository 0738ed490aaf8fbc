#pragma once

#include <QString>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace rt {

// A sound file decoded whole into memory: interleaved signed 16-bit samples in native byte order.
// Reads everything libsndfile reads (PCM of any width, float, u-law, a-law, ADPCM, FLAC, and Ogg
// Vorbis, the form the program's narration is stored in).
struct WavFile {
    std::vector<std::int16_t> samples;
    int sampleRate = 0;
    int channels = 0;

    std::size_t frames() const {
        return channels > 0 ? samples.size() / static_cast<std::size_t>(channels) : 0;
    }

    // The most samples (all channels) a sound may decode to: 32 Mi, which is more than eleven
    // minutes of 48 kHz stereo and far beyond any narration. A file whose header promises more,
    // or that decodes to more, is refused before the samples are held.
    static constexpr std::int64_t kMaxSamples = std::int64_t(32) << 20;

    // Decodes the file at `path` into `out`. On failure returns false, leaves `out` empty and puts
    // a German sentence for the user into `error` that names the path.
    static bool read(const QString& path, WavFile& out, QString& error);
};

} // namespace rt
