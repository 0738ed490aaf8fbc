#pragma once

#include <QImage>
#include <QPixmap>
#include <QString>

#include <cstdint>
#include <vector>

namespace rt {

class DataFiles;

// Far above any picture Quillet ships (1280 x 720); a header that claims more belongs to a
// damaged or hostile file, and is refused before anything is allocated for it.
constexpr std::uint64_t kMaxPicturePixels = 64'000'000;

// A decoded picture, or the loader's reason why there is none.
struct Picture {
    QImage image;
    QString error; // empty on success
    bool ok() const { return error.isEmpty(); }
};

// Decodes a JPEG with libjpeg-turbo straight into the rows of a Format_RGB32 image. A damaged
// or truncated file gives libjpeg's own message; it never ends the process.
Picture decodeJpeg(const QString& absolutePath);

// Decodes a file by its extension: JPEG through decodeJpeg, everything else as a BMP through
// Qt's own reader (any depth, RLE4 and RLE8 too); a palette picture comes out in 32 bits, like
// a 24-bit one.
Picture decodePictureFile(const QString& absolutePath);

// One of the window design's PNG pictures linked into the program (":/design/…"), read by Qt's
// own PNG reader. Qt would otherwise load every image format plug-in installed to look at the
// file first, which costs the start-up milliseconds.
QImage designPicture(const QString& resourcePath);

// A button's glyph (26 pixels) drawn anew at twice the resolution, from the program's resources
// (":/design/glyphs/<name>@2x.png", `name` as the glyph's file is called without its ending):
// where a screen is scaled to more than 100 %; otherwise, or where there is none, a null pixmap.
QPixmap sharpGlyph(const QString& name);
// A design glyph of the program's resources, the sharper drawing where a screen needs it.
QPixmap designGlyph(const QString& resourcePath);

// Resolves a program path ("Pictures\Start\start1.jpg") and decodes it; a missing file or a
// decoding error becomes a German text that names the path.
Picture loadPicture(const DataFiles& files, const QString& programPath);

// Loads several pictures at once, spread over the processor's cores.
std::vector<Picture> loadPictures(const DataFiles& files, const std::vector<QString>& programPaths);

} // namespace rt
