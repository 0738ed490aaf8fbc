// The program's own pictures and narration: every file the code can load exists, decodes, has
// the format its name says and, for narration, fits the time its step gives it. The lists come
// from the code's tables, not from here.
#include "runtime/DataFiles.h"
#include "app/UMainBoard.h"
#include "runtime/Pictures.h"
#include "runtime/audio/WavFile.h"
#include "sequences/UProcAtm.h"
#include "sequences/UProcAug.h"
#include "sequences/UProcEnt.h"
#include "sequences/UProcYog.h"

#include <QFile>
#include <QHash>
#include <gtest/gtest.h>

namespace {

const QString kData = QStringLiteral(QUILLET_SOURCE_DATA_DIR);

QStringList everyFileTheCodeLoads() {
    return TFMainBoard::DataFilesUsed() + TFProcAtm::DataFilesUsed() + TFProcYog::DataFilesUsed() +
           TFProcAug::DataFilesUsed() + TFProcEnt::DataFilesUsed();
}

// Narration limits in seconds, from the narration generator's table.
QHash<QString, double> narrationLimits() {
    QHash<QString, double> limits;
    QFile f(QStringLiteral(QUILLET_SOURCE_DATA_DIR "/../tools/narration/narration.tsv"));
    if (!f.open(QIODevice::ReadOnly))
        return limits;
    f.readLine(); // header
    while (!f.atEnd()) {
        const QStringList cols = QString::fromUtf8(f.readLine()).split(QLatin1Char('\t'));
        if (cols.size() >= 3)
            limits.insert(cols[0].toLower(), cols[2].toDouble());
    }
    return limits;
}

} // namespace

TEST(ProgramData, EveryFileTheCodeLoadsIsThereAndDecodes) {
    const rt::DataFiles files(QStringList{kData});
    const QHash<QString, double> limits = narrationLimits();
    ASSERT_FALSE(limits.isEmpty());
    const QStringList all = everyFileTheCodeLoads();
    ASSERT_GT(all.size(), 80);
    for (const QString& programPath : all) {
        SCOPED_TRACE(programPath.toStdString());
        const QString path = files.resolve(programPath);
        ASSERT_FALSE(path.isEmpty()) << "missing";
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray head = file.read(4);
        const QString lower = programPath.toLower();
        if (lower.endsWith(QLatin1String(".jpg"))) {
            EXPECT_TRUE(head.startsWith("\xff\xd8")) << "not a JPEG";
            const rt::Picture p = rt::loadPicture(files, programPath);
            EXPECT_TRUE(p.ok()) << p.error.toStdString();
        } else if (lower.endsWith(QLatin1String(".bmp"))) {
            EXPECT_TRUE(head.startsWith("BM")) << "not a BMP";
            const rt::Picture p = rt::loadPicture(files, programPath);
            EXPECT_TRUE(p.ok()) << p.error.toStdString();
            // Stored as 8-bit palette RLE8; drawn on and keyed in 32 bits.
            EXPECT_EQ(p.image.format(), QImage::Format_RGB32);
        } else {
            ASSERT_TRUE(lower.endsWith(QLatin1String(".wav")));
            // Stored as Ogg Vorbis under the program's name with ".ogg".
            EXPECT_TRUE(path.endsWith(QLatin1String(".ogg"))) << path.toStdString();
            EXPECT_TRUE(head.startsWith("OggS")) << "not an Ogg file";
            rt::WavFile wav;
            QString error;
            ASSERT_TRUE(rt::WavFile::read(path, wav, error)) << error.toStdString();
            EXPECT_EQ(wav.channels, 1);
            const QString key = lower.mid(6).replace(QLatin1Char('\\'), QLatin1Char('/'));
            ASSERT_TRUE(limits.contains(key)) << "no limit for " << key.toStdString();
            EXPECT_LE(double(wav.frames()) / wav.sampleRate, limits.value(key));
        }
    }
}

TEST(ProgramData, BodyPictureKeepsWhatTheBodyScanReliesOn) {
    const rt::Picture body = rt::loadPicture(rt::DataFiles(QStringList{kData}),
                                             QStringLiteral("Pictures\\Entsp\\body.bmp"));
    ASSERT_TRUE(body.ok()) << body.error.toStdString();
    const QImage& img = body.image;
    ASSERT_TRUE(img.valid(104, 40));
    const QRgb bodyColour = img.pixel(104, 40);
    const QRgb fill = TFProcEnt::EntFillColour;
    // The filling must show: the body colour is clearly another colour.
    EXPECT_GT(std::abs(qRed(bodyColour) - qRed(fill)) +
                  std::abs(qGreen(bodyColour) - qGreen(fill)) +
                  std::abs(qBlue(bodyColour) - qBlue(fill)),
              120);
    // Every rectangle the scan samples lies on the body: most of its pixels are body colour.
    for (const SampleRect& r : TFProcEnt::SampleRects()) {
        int inBody = 0, all = 0;
        for (int y = r.yLo; y <= r.yHi; ++y)
            for (int x = r.xLo; x <= r.xHi; ++x) {
                ++all;
                inBody += img.valid(x, y) && img.pixel(x, y) == bodyColour;
            }
        EXPECT_GT(inBody * 2, all) << r.xLo << ".." << r.xHi << " x " << r.yLo << ".." << r.yHi;
    }
}
