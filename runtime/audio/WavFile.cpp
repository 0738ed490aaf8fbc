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

// A RIFF WAVE file's data chunk: the bytes of sound its header promises and the bytes the file
// holds after the chunk's header. {-1, -1} for any other file.
struct DataChunk {
    std::int64_t promised = -1;
    std::int64_t held = -1;
};

DataChunk riffDataChunk(QFile& file) {
    const auto le32 = [](const QByteArray& b, int at) {
        return std::uint32_t(std::uint8_t(b[at])) | std::uint32_t(std::uint8_t(b[at + 1])) << 8 |
               std::uint32_t(std::uint8_t(b[at + 2])) << 16 |
               std::uint32_t(std::uint8_t(b[at + 3])) << 24;
    };
    const QByteArray head = file.read(12);
    if (head.size() < 12 || !head.startsWith("RIFF") || head.mid(8, 4) != "WAVE")
        return {};
    std::int64_t at = 12;
    const std::int64_t size = file.size();
    // A file has few chunks before its data; one of many small chunks is not followed further.
    for (int chunk = 0; chunk < 64 && at + 8 <= size; ++chunk) {
        if (!file.seek(at))
            return {};
        const QByteArray header = file.read(8);
        if (header.size() < 8)
            return {};
        const std::int64_t length = le32(header, 4);
        if (header.startsWith("data")) {
            // 0xFFFFFFFF is a stream's "length unknown": the data runs to the end.
            if (length == 0xFFFFFFFF)
                return {};
            return {length, size - (at + 8)};
        }
        at += 8 + length + (length & 1);
    }
    return {};
}

} // namespace

namespace {

QString cannotRead(const QString& path, const QString& reason) {
    return QStringLiteral("Die Tondatei „%1“ kann nicht gelesen werden: %2").arg(path, reason);
}

QString tooLong(std::int64_t frames, const SF_INFO& info) {
    return QStringLiteral("Die Tondatei ist beschädigt oder zu lang (%1 Minuten Ton angegeben, "
                          "höchstens %2 Minuten bei dieser Abtastrate)")
        .arg(frames / info.samplerate / 60)
        .arg(WavFile::kMaxSamples / info.channels / info.samplerate / 60);
}

} // namespace

void SoundReader::Closer::operator()(SNDFILE* file) const {
    sf_close(file);
}

SoundReader::SoundReader() = default;
SoundReader::~SoundReader() = default;
SoundReader::SoundReader(SoundReader&&) noexcept = default;
SoundReader& SoundReader::operator=(SoundReader&&) noexcept = default;

int SoundReader::sampleRate() const {
    return info_ ? info_->samplerate : 0;
}

int SoundReader::channels() const {
    return info_ ? info_->channels : 0;
}

bool SoundReader::open(const QString& path, SoundReader& out, QString& error) {
    out = SoundReader();
    if (!QFileInfo::exists(path)) {
        error = QStringLiteral("Die Tondatei „%1“ wurde nicht gefunden.").arg(path);
        return false;
    }
    {
        QFile raw(path);
        if (raw.open(QIODevice::ReadOnly)) {
            const DataChunk data = riffDataChunk(raw);
            if (data.promised > data.held) {
                error = cannotRead(path, QStringLiteral("Die Tondatei ist beschädigt (ihr Kopf "
                                                        "verspricht %1 Bytes Ton, die Datei "
                                                        "enthält %2)")
                                             .arg(data.promised)
                                             .arg(std::max<std::int64_t>(data.held, 0)));
                return false;
            }
        }
    }

    auto info = std::make_unique<SF_INFO>();
    std::unique_ptr<SNDFILE, Closer> file(
        sf_open(QFile::encodeName(path).constData(), SFM_READ, info.get()));
    if (!file || info->channels <= 0 || info->samplerate <= 0) {
        error = cannotRead(path, germanReason(file.get()));
        return false;
    }
    // What the header promises, before anything is held; a compressed file can promise any
    // length in a few bytes.
    if (info->frames > 0 && info->frames != SF_COUNT_MAX &&
        info->frames > WavFile::kMaxSamples / info->channels) {
        error = cannotRead(path, tooLong(info->frames, *info));
        return false;
    }
    out.file_ = std::move(file);
    out.info_ = std::move(info);
    out.path_ = path;
    return true;
}

bool SoundReader::decode(WavFile& out, QString& error) {
    out = WavFile();
    if (!file_) {
        error = cannotRead(path_, QStringLiteral("Die Datei ist nicht geöffnet"));
        return false;
    }
    const SF_INFO& info = *info_;
    const auto refuse = [&](const QString& reason) {
        error = cannotRead(path_, reason);
        file_.reset();
        return false;
    };

    // Integer files are normalised to [-1, 1) when read as float; float files are taken as they
    // are and clipped. Reading float files as short instead would not scale them at all (or
    // scale them to their own peak), so everything goes through float.
    sf_command(file_.get(), SFC_SET_NORM_FLOAT, nullptr, SF_TRUE);

    const auto channels = static_cast<std::size_t>(info.channels);
    constexpr sf_count_t kChunkFrames = 8192;
    std::vector<float> chunk(static_cast<std::size_t>(kChunkFrames) * channels);
    std::vector<std::int16_t> samples;
    if (info.frames > 0 && info.frames != SF_COUNT_MAX)
        samples.reserve(static_cast<std::size_t>(info.frames) * channels);
    for (;;) {
        const sf_count_t got = sf_readf_float(file_.get(), chunk.data(), kChunkFrames);
        if (got <= 0)
            break;
        // A file that did not tell its length, or told it wrong, ends where the limit is.
        if (std::int64_t(samples.size() / channels) + got > WavFile::kMaxSamples / info.channels)
            return refuse(tooLong(std::int64_t(samples.size() / channels) + got, info));
        const std::size_t count = static_cast<std::size_t>(got) * channels;
        std::transform(chunk.begin(), chunk.begin() + static_cast<std::ptrdiff_t>(count),
                       std::back_inserter(samples), toInt16);
    }
    if (sf_error(file_.get()) != SF_ERR_NO_ERROR)
        return refuse(germanReason(file_.get()));
    // An Ogg file cut off before its first page of sound knows no length and gives no sound,
    // without an error from libsndfile.
    if (samples.empty() && info.frames == SF_COUNT_MAX)
        return refuse(QStringLiteral("Die Tondatei ist beschädigt (sie endet vor dem Ton)"));

    out.samples = std::move(samples);
    out.sampleRate = info.samplerate;
    out.channels = info.channels;
    file_.reset();
    return true;
}

bool WavFile::read(const QString& path, WavFile& out, QString& error) {
    out = WavFile();
    SoundReader reader;
    return SoundReader::open(path, reader, error) && reader.decode(out, error);
}

} // namespace rt
