#pragma once

#include <QColor>
#include <QImage>
#include <QString>

#include <functional>
#include <vector>

namespace pic {

enum class Format {
    Jpeg,     // quality 75, baseline
    Bmp,      // 8-bit palette, RLE8: the picture's own colours where it has at most 256
              // (lossless), else 256 chosen by pngquant
    KeyedBmp, // the same; the bottom-left pixel's colour is keyed out by the program
    Png       // keeps transparency
};

struct Job {
    QString path; // relative to the repository root
    Format format;
    std::function<QImage()> make;
};

struct Written {
    QString path;
    QSize size;
    Format format;
    qint64 bytes;
    QImage image; // as written (for the contact sheet and the checks)
};

// The colour keyed out of the figures and icons, and the colour their soft edges are blended
// against instead (so that no edge pixel comes near the key).
QColor keyColour();

// Turns a transparent picture into one for keying: pixels that are at least half covered are
// laid over `edge`, all others become the key colour. A covered pixel that happens to equal the
// key colour is nudged by one step.
QImage toKeyed(const QImage& transparent, QColor key, QColor edge);

// Writes one picture; returns false and sets `error` when it cannot.
bool writePicture(const QString& root, const Job& job, const QImage& image, Written* out,
                  QString* error);

// One line per file: path, width, height, format.
bool writeManifest(const QString& file, const std::vector<Written>& files, QString* error);

// All pictures on one sheet with their names.
QImage contactSheet(const std::vector<Written>& files);

} // namespace pic
