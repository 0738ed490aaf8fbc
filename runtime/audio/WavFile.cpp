#include "runtime/audio/WavFile.h"

#include <QFile>
#include <QFileInfo>

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <memory>

namespace rt {

namespace {

struct SndFileCloser {
    void operator()(SNDFILE* file) const { sf_close(file); }
};

// Full scale of the float samples libsndfile hands out is [-1, 1); 16-bit PCM read this way
// comes back bit for bit.
std::int16_t toInt16(float sample) {
    if (std::isnan(sample))
        return 0;
    const float scaled = std::nearbyint(sample * 32768.0f);
    if (scaled < -32768.0f)
        return -32768;
    if (scaled > 32767.0f)
        return 32767;
    return static_cast<std::int16_t>(scaled);
}

// The common reasons in German, libsndfile's own words after them.
QString germanReason(SNDFILE* file) {
    QString german;
    switch (sf_error(file)) {
    case SF_ERR_UNRECOGNISED_FORMAT:
        german = QStringLiteral("Das Tonformat wird nicht unterstützt");
        break;
    case SF_ERR_SYSTEM:
        german = QStringLiteral("Die Datei kann nicht gelesen werden");
        break;
    case SF_ERR_MALFORMED_FILE:
        german = QStringLiteral("Die Tondatei ist beschädigt");
        break;
    case SF_ERR_UNSUPPORTED_ENCODING:
        german = QStringLiteral("Die Kodierung der Tondatei wird nicht unterstützt");
        break;
    default:
        german = QStringLiteral("Die Tondatei ist nicht lesbar");
        break;
    }
    return german + QStringLiteral(" (") + QString::fromLocal8Bit(sf_strerror(file)) +
           QLatin1Char(')');
}

} // namespace

bool WavFile::read(const QString& path, WavFile& out, QString& error) {
    out = WavFile();
    if (!QFileInfo::exists(path)) {
        error = QStringLiteral("Die Tondatei „%1“ wurde nicht gefunden.").arg(path);
        return false;
    }

    SF_INFO info{};
    std::unique_ptr<SNDFILE, SndFileCloser> file(
        sf_open(QFile::encodeName(path).constData(), SFM_READ, &info));
    if (!file || info.channels <= 0 || info.samplerate <= 0) {
        error = QStringLiteral("Die Tondatei „%1“ kann nicht gelesen werden: %2")
                    .arg(path, germanReason(file.get()));
        return false;
    }

    // Integer files are normalised to [-1, 1) when read as float; float files are taken as they
    // are and clipped. Reading float files as short instead would not scale them at all (or
    // scale them to their own peak), so everything goes through float.
    sf_command(file.get(), SFC_SET_NORM_FLOAT, nullptr, SF_TRUE);

    const auto channels = static_cast<std::size_t>(info.channels);
    constexpr sf_count_t kChunkFrames = 8192;
    std::vector<float> chunk(static_cast<std::size_t>(kChunkFrames) * channels);
    std::vector<std::int16_t> samples;
    if (info.frames > 0 && info.frames < SF_COUNT_MAX)
        samples.reserve(static_cast<std::size_t>(info.frames) * channels);
    for (;;) {
        const sf_count_t got = sf_readf_float(file.get(), chunk.data(), kChunkFrames);
        if (got <= 0)
            break;
        const std::size_t count = static_cast<std::size_t>(got) * channels;
        std::transform(chunk.begin(), chunk.begin() + static_cast<std::ptrdiff_t>(count),
                       std::back_inserter(samples), toInt16);
    }
    if (sf_error(file.get()) != SF_ERR_NO_ERROR) {
        error = QStringLiteral("Die Tondatei „%1“ kann nicht gelesen werden: %2")
                    .arg(path, germanReason(file.get()));
        return false;
    }

    out.samples = std::move(samples);
    out.sampleRate = info.samplerate;
    out.channels = info.channels;
    return true;
}

} // namespace rt
