#include "runtime/Pictures.h"
#include "runtime/DataFiles.h"

#include <QDir>
#include <QFile>
#include <QImageWriter>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdlib>

namespace {

const QString kData = QStringLiteral(QUILLET_SOURCE_DATA_DIR);

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

} // namespace

// ---- JPEG through libjpeg-turbo

TEST(JpegLoader, DecodesToTheSamePixelsAsQt) {
    const QString path = kData + QStringLiteral("/Pictures/Start/sunset.jpg");
    const rt::Picture ours = rt::decodeJpeg(path);
    ASSERT_TRUE(ours.ok()) << ours.error.toStdString();
    EXPECT_EQ(ours.image.format(), QImage::Format_RGB32);
    const QImage qt(path);
    ASSERT_FALSE(qt.isNull());
    ASSERT_EQ(ours.image.size(), qt.size());
    // Both use libjpeg; allow for a different upsampling or IDCT choice.
    int worst = 0;
    for (int y = 0; y < qt.height(); y += 7)
        for (int x = 0; x < qt.width(); x += 5) {
            const QRgb a = ours.image.pixel(x, y), b = qt.pixel(x, y);
            worst = std::max({worst, std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                              std::abs(qBlue(a) - qBlue(b))});
            ASSERT_EQ(qAlpha(a), 255);
        }
    EXPECT_LE(worst, 4);
}

TEST(JpegLoader, DamagedFilesAreToldInGermanWithLibjpegsMessage) {
    QTemporaryDir dir;
    const QByteArray good = fileBytes(kData + QStringLiteral("/Pictures/Start/sunset.jpg"));
    ASSERT_GT(good.size(), 2000);

    const QString truncated = dir.path() + QStringLiteral("/truncated.jpg");
    writeFile(truncated, good.left(good.size() / 2));
    rt::Picture p = rt::decodeJpeg(truncated);
    EXPECT_FALSE(p.ok());
    EXPECT_TRUE(p.error.startsWith(QStringLiteral("Die Datei endet vorzeitig")))
        << p.error.toStdString();
    EXPECT_TRUE(p.error.contains(QStringLiteral("Premature end"))) << p.error.toStdString();

    const QString text = dir.path() + QStringLiteral("/text.jpg");
    writeFile(text, "this is not a picture at all");
    p = rt::decodeJpeg(text);
    EXPECT_FALSE(p.ok());
    EXPECT_TRUE(p.error.startsWith(QStringLiteral("Die Datei ist kein JPEG-Bild")))
        << p.error.toStdString();
    EXPECT_TRUE(p.error.contains(QStringLiteral("Not a JPEG file"))) << p.error.toStdString();

    const QString headerOnly = dir.path() + QStringLiteral("/header.jpg");
    writeFile(headerOnly, good.left(300));
    EXPECT_FALSE(rt::decodeJpeg(headerOnly).ok());

    p = rt::decodeJpeg(dir.path() + QStringLiteral("/none.jpg"));
    EXPECT_FALSE(p.ok());
    EXPECT_TRUE(p.error.contains(QStringLiteral("nicht"))) << p.error.toStdString();

    const QString notBmp = dir.path() + QStringLiteral("/text.bmp");
    writeFile(notBmp, "this is not a picture at all");
    p = rt::decodePictureFile(notBmp);
    EXPECT_FALSE(p.ok());
    EXPECT_TRUE(p.error.startsWith(QStringLiteral("Das Bild"))) << p.error.toStdString();
}

// ---- finding and loading by the program's paths

// Pictures whose header claims billions of pixels are refused from the header, before the
// loader reserves memory for them.
TEST(PictureLoaders, RefuseHeadersThatClaimHugePictures) {
    QTemporaryDir dir;
    QImage small(8, 8, QImage::Format_RGB32);
    small.fill(Qt::red);

    const QString jpeg = dir.filePath("huge.jpg");
    ASSERT_TRUE(small.save(jpeg, "JPG"));
    QFile f(jpeg);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    QByteArray bytes = f.readAll();
    const qsizetype sof = bytes.indexOf(QByteArray("\xff\xc0", 2));
    ASSERT_GT(sof, 0);
    // Height and width follow the marker, its length and the sample precision.
    const quint16 height = 63'000, width = 16'397;
    bytes[sof + 5] = char(height >> 8);
    bytes[sof + 6] = char(height & 0xff);
    bytes[sof + 7] = char(width >> 8);
    bytes[sof + 8] = char(width & 0xff);
    f.seek(0);
    f.write(bytes);
    f.close();
    rt::Picture p = rt::decodePictureFile(jpeg);
    EXPECT_FALSE(p.ok());
    EXPECT_TRUE(p.error.contains("16397 × 63000")) << p.error.toStdString();
    EXPECT_TRUE(p.image.isNull());

    const QString bmp = dir.filePath("huge.bmp");
    ASSERT_TRUE(small.save(bmp, "BMP"));
    QFile b(bmp);
    ASSERT_TRUE(b.open(QIODevice::ReadWrite));
    QByteArray header = b.read(54);
    const qint32 side = 20'000;
    for (int at : {18, 22})
        for (int i = 0; i < 4; ++i)
            header[at + i] = char((side >> (8 * i)) & 0xff);
    b.seek(0);
    b.write(header);
    b.close();
    p = rt::decodePictureFile(bmp);
    EXPECT_FALSE(p.ok());
    EXPECT_TRUE(p.error.contains("Megapixel")) << p.error.toStdString();
}

TEST(ProgramPaths, ResolvedWhateverTheLetterCaseAndSeparator) {
    const rt::DataFiles files(QStringList{kData});
    const QString expected = kData + QStringLiteral("/Pictures/Start/start1.jpg");
    EXPECT_EQ(files.resolve(QStringLiteral("Pictures\\Start\\start1.jpg")), expected);
    EXPECT_EQ(files.resolve(QStringLiteral("pictures\\START\\Start1.JPG")), expected);
    EXPECT_EQ(files.resolve(QStringLiteral("Pictures/Start/start1.jpg")), expected);
    EXPECT_TRUE(files.resolve(QStringLiteral("Pictures\\Start\\nothing.jpg")).isEmpty());
    EXPECT_TRUE(files.resolve(QStringLiteral("Pictures\\Start")).isEmpty()) << "not a file";
}

TEST(ProgramPaths, TheFirstFolderWithTheTopFolderWins) {
    QTemporaryDir work;
    writeFile(work.path() + QStringLiteral("/Sound/gong.wav"), "x");
    const rt::DataFiles files(QStringList{work.path(), kData});
    EXPECT_EQ(files.resolve(QStringLiteral("Sound\\gong.wav")),
              work.path() + QStringLiteral("/Sound/gong.wav"));
    // The working folder has no Pictures folder: pictures come from the data folder.
    EXPECT_EQ(files.resolve(QStringLiteral("Pictures\\Start\\sunset.jpg")),
              kData + QStringLiteral("/Pictures/Start/sunset.jpg"));
    // A sound missing from the working folder's Sound folder is missing.
    EXPECT_TRUE(files.resolve(QStringLiteral("Sound\\mantra.wav")).isEmpty());
    EXPECT_EQ(files.describe(QStringLiteral("Sound\\mantra.wav")),
              work.path() + QStringLiteral("/Sound/mantra.wav"));
}

// The program names its narration "….wav"; it is stored as "….ogg". A WAV file of the name, made
// by hand, comes first.
TEST(ProgramPaths, ANarrationIsFoundAsTheOggFileOfItsName) {
    QTemporaryDir work;
    writeFile(work.path() + QStringLiteral("/Sound/atmen/eins.ogg"), "x");
    writeFile(work.path() + QStringLiteral("/Sound/gong.ogg"), "x");
    writeFile(work.path() + QStringLiteral("/Sound/gong.wav"), "x");
    writeFile(work.path() + QStringLiteral("/Pictures/bild.ogg"), "x");
    const rt::DataFiles files(QStringList{work.path()});
    EXPECT_EQ(files.resolve(QStringLiteral("Sound\\Atmen\\EINS.WAV")),
              work.path() + QStringLiteral("/Sound/atmen/eins.ogg"));
    EXPECT_EQ(files.resolve(QStringLiteral("Sound\\gong.wav")),
              work.path() + QStringLiteral("/Sound/gong.wav"));
    // Only the file's own ending stands in; nothing else becomes something else.
    EXPECT_TRUE(files.resolve(QStringLiteral("Pictures\\bild.jpg")).isEmpty());
    EXPECT_TRUE(files.resolve(QStringLiteral("Sound\\zwei.wav")).isEmpty());
}

// Started from a folder with pictures of the user's own (the home folder's `Pictures`), the
// program still finds its own.
TEST(ProgramPaths, TheWorkingFolderDoesNotHideTheProgramsData) {
    QTemporaryDir home;
    writeFile(home.path() + QStringLiteral("/Pictures/holiday.jpg"), "x");
    writeFile(home.path() + QStringLiteral("/Sound/song.wav"), "x");
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(home.path()));
    const rt::DataFiles files = rt::DataFiles::standard();
    const QString sunset = files.resolve(QStringLiteral("Pictures\\Start\\sunset.jpg"));
    const QString gong = files.resolve(QStringLiteral("Sound\\gong.wav"));
    QDir::setCurrent(before);
    EXPECT_FALSE(files.roots().contains(home.path()));
    for (const QString& found : {sunset, gong}) {
        EXPECT_FALSE(found.isEmpty());
        EXPECT_FALSE(found.startsWith(home.path())) << found.toStdString();
    }
}

TEST(ProgramPaths, LoadErrorsAreGermanAndNameTheFile) {
    QTemporaryDir work;
    writeFile(work.path() + QStringLiteral("/Pictures/broken.jpg"), "not a jpeg");
    const rt::DataFiles files(QStringList{work.path()});
    rt::Picture p = rt::loadPicture(files, QStringLiteral("Pictures\\missing.jpg"));
    EXPECT_FALSE(p.ok());
    EXPECT_TRUE(p.error.contains(QStringLiteral("wurde nicht gefunden")));
    EXPECT_TRUE(p.error.contains(QStringLiteral("Pictures/missing.jpg")));
    p = rt::loadPicture(files, QStringLiteral("Pictures\\broken.jpg"));
    EXPECT_FALSE(p.ok());
    EXPECT_TRUE(p.error.contains(QStringLiteral("kann nicht geladen werden")));
    EXPECT_TRUE(p.error.contains(QStringLiteral("Not a JPEG file")));
}

TEST(ProgramPaths, ManyPicturesAtOnceKeepTheirOrder) {
    const rt::DataFiles files(QStringList{kData});
    std::vector<QString> paths;
    for (int n = 1; n <= 12; ++n)
        paths.push_back(QStringLiteral("Pictures\\Start\\start%1.jpg").arg(n));
    paths.push_back(QStringLiteral("Pictures\\Start\\none.jpg"));
    const std::vector<rt::Picture> pictures = rt::loadPictures(files, paths);
    ASSERT_EQ(pictures.size(), paths.size());
    for (int n = 1; n <= 12; ++n) {
        const rt::Picture single = rt::loadPicture(files, paths[size_t(n - 1)]);
        EXPECT_EQ(pictures[size_t(n - 1)].image, single.image) << n;
    }
    EXPECT_FALSE(pictures.back().ok());
}

TEST(ProgramPaths, BitmapsLoadThroughQt) {
    const rt::DataFiles files(QStringList{kData});
    const rt::Picture p = rt::loadPicture(files, QStringLiteral("Pictures\\Icons\\uhr.bmp"));
    ASSERT_TRUE(p.ok()) << p.error.toStdString();
    EXPECT_FALSE(p.image.isNull());
}
