#include "runtime/audio/WavFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <type_traits>
#include <vector>

namespace {

using rt::WavFile;

class WavFileTest : public ::testing::Test {
protected:
    QString path(const QString& name) const { return dir_.filePath(name); }

    // Writes interleaved 16-bit `samples` in `format`; they reach the file unchanged wherever the
    // format can hold them.
    QString write(const QString& name, int format, int channels, int rate,
                  const std::vector<std::int16_t>& samples) {
        const int subtype = format & SF_FORMAT_SUBMASK;
        if (subtype == SF_FORMAT_FLOAT || subtype == SF_FORMAT_DOUBLE) {
            std::vector<float> scaled(samples.begin(), samples.end());
            for (float& sample : scaled)
                sample /= 32768;
            return writeFrames(name, format, channels, rate, scaled.data(), scaled.size());
        }
        std::vector<int> wide(samples.begin(), samples.end());
        for (int& sample : wide)
            sample *= 65536; // libsndfile's int samples are 32 bits wide
        return writeFrames(name, format, channels, rate, wide.data(), wide.size());
    }

    template <typename Sample>
    QString writeFrames(const QString& name, int format, int channels, int rate,
                        const Sample* samples, std::size_t count) {
        const QString file = path(name);
        SF_INFO info{};
        info.samplerate = rate;
        info.channels = channels;
        info.format = format;
        SNDFILE* out = sf_open(QFile::encodeName(file).constData(), SFM_WRITE, &info);
        EXPECT_NE(out, nullptr) << sf_strerror(nullptr);
        if (!out)
            return file;
        const auto frames = static_cast<sf_count_t>(count) / channels;
        if constexpr (std::is_same_v<Sample, int>)
            EXPECT_EQ(sf_writef_int(out, samples, frames), frames);
        else
            EXPECT_EQ(sf_writef_float(out, samples, frames), frames);
        sf_close(out);
        return file;
    }

    static WavFile decode(const QString& file) {
        WavFile wav;
        QString error;
        EXPECT_TRUE(WavFile::read(file, wav, error)) << error.toStdString();
        EXPECT_TRUE(error.isEmpty());
        return wav;
    }

    QTemporaryDir dir_;
};

// Full scale in the file is full scale in 16 bits, whatever the file's own sample format.
TEST_F(WavFileTest, DecodesEverySampleFormatToFullScale16Bit) {
    // Multiples of 256, so that even 8 bits hold them exactly.
    const std::vector<std::int16_t> values{0, 16384, -16384, 2560, -32768, 32512};
    struct Case {
        const char* name;
        int format;
    };
    for (const Case& c : {Case{"pcm8.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_U8},
                          Case{"pcm16.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16},
                          Case{"pcm24.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_24},
                          Case{"pcm32.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_32},
                          Case{"float.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT},
                          Case{"double.wav", SF_FORMAT_WAV | SF_FORMAT_DOUBLE}}) {
        SCOPED_TRACE(c.name);
        const WavFile wav = decode(write(c.name, c.format, 1, 22050, values));
        EXPECT_EQ(wav.sampleRate, 22050);
        EXPECT_EQ(wav.channels, 1);
        EXPECT_EQ(wav.samples, values);
    }
}

TEST_F(WavFileTest, FloatBeyondFullScaleIsClipped) {
    const float values[] = {1.5f, -2.0f, 0.25f, NAN};
    const WavFile wav =
        decode(writeFrames("loud.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 1, 44100, values, 4));
    EXPECT_EQ(wav.samples, (std::vector<std::int16_t>{32767, -32768, 8192, 0}));
}

TEST_F(WavFileTest, StereoStaysInterleavedAndLongFilesArriveWhole) {
    // Longer than anything read in one go: a rising ramp left, a falling one right.
    constexpr int kFrames = 100'003;
    std::vector<std::int16_t> values;
    for (int i = 0; i < kFrames; ++i) {
        values.push_back(static_cast<std::int16_t>(i % 30'000));
        values.push_back(static_cast<std::int16_t>(-(i % 30'000)));
    }
    const WavFile wav =
        decode(write("stereo.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2, 48000, values));
    EXPECT_EQ(wav.sampleRate, 48000);
    EXPECT_EQ(wav.channels, 2);
    ASSERT_EQ(wav.frames(), static_cast<std::size_t>(kFrames));
    for (int i = 0; i < kFrames; ++i) {
        ASSERT_EQ(wav.samples[2 * i], i % 30'000) << "frame " << i;
        ASSERT_EQ(wav.samples[2 * i + 1], -(i % 30'000)) << "frame " << i;
    }
}

TEST_F(WavFileTest, CompressedFormatsDecodeCloseToTheOriginal) {
    std::vector<std::int16_t> tone;
    for (int i = 0; i < 4000; ++i)
        tone.push_back(
            static_cast<std::int16_t>(std::lrint(16384 * std::sin(2 * M_PI * 440 * i / 8000.0))));
    struct Case {
        const char* name;
        int format;
    };
    for (const Case& c : {Case{"ulaw.wav", SF_FORMAT_WAV | SF_FORMAT_ULAW},
                          Case{"alaw.wav", SF_FORMAT_WAV | SF_FORMAT_ALAW},
                          Case{"ima.wav", SF_FORMAT_WAV | SF_FORMAT_IMA_ADPCM},
                          Case{"msadpcm.wav", SF_FORMAT_WAV | SF_FORMAT_MS_ADPCM}}) {
        SCOPED_TRACE(c.name);
        const WavFile wav = decode(write(c.name, c.format, 1, 8000, tone));
        // ADPCM pads the last block, so there may be a few more frames than written.
        ASSERT_GE(wav.samples.size(), tone.size());
        double worst = 0;
        // The adaptive codecs need a few samples to find the level.
        for (std::size_t i = 100; i < tone.size(); ++i)
            worst = std::max(worst, std::abs(double(wav.samples[i]) - tone[i]));
        EXPECT_LT(worst, 0.05 * 32768);
    }
}

// The narration is stored as Ogg Vorbis: every frame comes back, at the file's own rate, close
// to what went in. An Ogg file cut short has no end-of-stream page, so libsndfile knows no length:
// it gives what it holds, and one cut before its first page of sound is refused.
TEST_F(WavFileTest, OggVorbisDecodesWholeAndACutFileGivesWhatItHolds) {
    constexpr int kRate = 16000;
    // A tone that rises and falls in pitch, long enough for several pages of sound.
    std::vector<std::int16_t> tone;
    double phase = 0;
    for (int i = 0; i < 10 * kRate; ++i) {
        phase += 2 * M_PI * (300 + 200 * std::sin(2 * M_PI * i / kRate)) / kRate;
        tone.push_back(static_cast<std::int16_t>(std::lrint(8000 * std::sin(phase))));
    }
    const QString file = write("tone.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS, 1, kRate, tone);
    const WavFile wav = decode(file);
    EXPECT_EQ(wav.sampleRate, kRate);
    EXPECT_EQ(wav.channels, 1);
    ASSERT_EQ(wav.samples.size(), tone.size());
    double error = 0, signal = 0;
    for (std::size_t i = 0; i < tone.size(); ++i) {
        error += std::pow(double(wav.samples[i]) - tone[i], 2);
        signal += std::pow(double(tone[i]), 2);
    }
    EXPECT_GT(10 * std::log10(signal / error), 20.0) << "signal to noise in dB";

    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    const QByteArray whole = f.readAll();
    ASSERT_TRUE(f.resize(whole.size() * 2 / 3));
    f.close();
    const WavFile cut = decode(file);
    EXPECT_GT(cut.samples.size(), tone.size() / 3);
    EXPECT_LT(cut.samples.size(), tone.size());

    // The first two pages hold the headers, the third the first sound.
    const int third = whole.indexOf("OggS", whole.indexOf("OggS", whole.indexOf("OggS") + 1) + 1);
    ASSERT_GT(third, 0);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(whole.left(third + 40));
    f.close();
    WavFile empty;
    QString reason;
    EXPECT_FALSE(WavFile::read(file, empty, reason));
    EXPECT_TRUE(reason.contains(QStringLiteral("beschädigt"))) << reason.toStdString();
    EXPECT_TRUE(empty.samples.empty());
}

TEST_F(WavFileTest, EmptyFileGivesNoSamples) {
    const WavFile wav = decode(write("empty.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1, 44100, {}));
    EXPECT_EQ(wav.sampleRate, 44100);
    EXPECT_TRUE(wav.samples.empty());
    EXPECT_EQ(wav.frames(), 0u);
}

TEST_F(WavFileTest, ErrorsNameThePath) {
    WavFile wav;
    QString error;

    const QString missing = path("Übung fehlt.wav");
    EXPECT_FALSE(WavFile::read(missing, wav, error));
    EXPECT_EQ(error, QStringLiteral("Die Tondatei „%1“ wurde nicht gefunden.").arg(missing));

    const QString text = path("notes.wav");
    QFile file(text);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("Dies ist keine Tondatei, sondern ein Text.\n");
    file.close();
    wav.sampleRate = 1; // must be cleared
    error.clear();
    EXPECT_FALSE(WavFile::read(text, wav, error));
    const QString prefix =
        QStringLiteral("Die Tondatei „%1“ kann nicht gelesen werden: ").arg(text);
    EXPECT_TRUE(error.startsWith(prefix)) << error.toStdString();
    EXPECT_GT(error.size(), prefix.size()) << "libsndfile's reason is missing";
    EXPECT_TRUE(error.mid(prefix.size()).startsWith(QStringLiteral("Das Tonformat wird nicht")))
        << "the reason comes in German first: " << error.toStdString();
    EXPECT_EQ(wav.sampleRate, 0);
    EXPECT_TRUE(wav.samples.empty());

    error.clear();
    EXPECT_FALSE(WavFile::read(dir_.path(), wav, error));
    EXPECT_TRUE(error.startsWith(
        QStringLiteral("Die Tondatei „%1“ kann nicht gelesen werden: ").arg(dir_.path())))
        << error.toStdString();
}

// ---- files that promise more than they hold

// Sets the total of samples in a FLAC file's stream header (36 bits after rate, channels, width).
void setFlacTotal(const QString& file, std::uint64_t total) {
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    QByteArray bytes = f.readAll();
    ASSERT_TRUE(bytes.startsWith("fLaC"));
    std::uint64_t field = 0;
    for (int i = 18; i < 26; ++i)
        field = field << 8 | std::uint8_t(bytes[i]);
    field = (field & ~((std::uint64_t(1) << 36) - 1)) | total;
    for (int i = 25; i >= 18; --i, field >>= 8)
        bytes[i] = char(field & 0xff);
    f.seek(0);
    f.write(bytes);
}

TEST_F(WavFileTest, ACompressedFileThatPromisesDaysOfSoundIsRefusedFromItsHeader) {
    const std::vector<std::int16_t> tone(2205, 1000);
    for (const char* name : {"huge.flac", "huge.wav"}) {
        SCOPED_TRACE(name);
        const QString file = write(name, SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 1, 22050, tone);
        setFlacTotal(file, (std::uint64_t(1) << 36) - 1); // 36 days at 22 050 Hz, in 1 kB
        WavFile wav;
        QString error;
        EXPECT_FALSE(WavFile::read(file, wav, error)); // and nothing of that size is reserved
        EXPECT_TRUE(error.contains(QStringLiteral("beschädigt oder zu lang (51942 Minuten Ton")))
            << error.toStdString();
        EXPECT_TRUE(wav.samples.empty());
    }
}

TEST_F(WavFileTest, ASoundThatDecodesBeyondTheLimitIsRefusedWhileReading) {
    // Silence compresses to almost nothing, and a stream may leave its length open (0).
    constexpr int kRate = 48000;
    const std::int64_t frames = WavFile::kMaxSamples / 2 + kRate;
    const std::vector<std::int16_t> silence(std::size_t(frames) * 2, 0);
    const QString file = write("long.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 2, kRate, silence);
    setFlacTotal(file, 0);
    WavFile wav;
    QString error;
    EXPECT_FALSE(WavFile::read(file, wav, error));
    EXPECT_TRUE(error.contains(QStringLiteral("höchstens 5 Minuten bei dieser Abtastrate")))
        << error.toStdString();
    EXPECT_TRUE(wav.samples.empty());
}

TEST_F(WavFileTest, AWaveFileCutShortIsRefusedAndOneOfOpenLengthIsRead) {
    const std::vector<std::int16_t> tone(8000, 1000);
    const QString file = write("cut.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1, 8000, tone);
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    const QByteArray whole = f.readAll();
    const int data = whole.indexOf("data");
    ASSERT_GT(data, 0);

    // Streamed files write 0xFFFFFFFF for "until the end".
    f.seek(data + 4);
    f.write("\xff\xff\xff\xff", 4);
    f.flush();
    EXPECT_EQ(decode(file).samples.size(), tone.size());

    // The header still promises 16 000 bytes, the file holds 6 000 of them.
    f.seek(data + 4);
    f.write(whole.mid(data + 4, 4));
    f.resize(data + 8 + 6000);
    f.close();
    WavFile wav;
    QString error;
    EXPECT_FALSE(WavFile::read(file, wav, error));
    EXPECT_TRUE(error.endsWith(
        QStringLiteral("Die Tondatei ist beschädigt (ihr Kopf verspricht 16000 Bytes Ton, die "
                       "Datei enthält 6000)")))
        << error.toStdString();
}

} // namespace
