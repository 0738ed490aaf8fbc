#pragma once

#include <QString>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

struct sf_private_tag;
typedef struct sf_private_tag SNDFILE;
struct SF_INFO;

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

// A sound file opened and its header checked, to be decoded later, perhaps on another thread:
// WavFile::read in two steps. Opening costs a header's worth of reading; decoding is the work.
class SoundReader {
public:
    SoundReader();
    ~SoundReader();
    SoundReader(SoundReader&&) noexcept;
    SoundReader& operator=(SoundReader&&) noexcept;

    // Opens the file at `path`; on failure false and the German sentence, as WavFile::read.
    static bool open(const QString& path, SoundReader& out, QString& error);
    // Decodes the whole file into `out` and closes it; on failure false and the sentence.
    bool decode(WavFile& out, QString& error);

    int sampleRate() const;
    int channels() const;

private:
    struct Closer {
        void operator()(SNDFILE* file) const;
    };
    std::unique_ptr<SNDFILE, Closer> file_;
    std::unique_ptr<SF_INFO> info_;
    QString path_;
};

} // namespace rt
