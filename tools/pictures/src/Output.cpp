#include "Output.h"

#include "Paint.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageWriter>
#include <QProcess>
#include <QSaveFile>
#include <QTemporaryDir>
#include <QTextStream>

#include <map>

namespace pic {

QColor keyColour() {
    return QColor(255, 0, 255);
}

QImage toKeyed(const QImage& transparent, QColor key, QColor edge) {
    const QImage src = transparent.convertToFormat(QImage::Format_ARGB32);
    QImage out(src.size(), QImage::Format_RGB32);
    const QRgb k = key.rgb() | 0xff000000u;
    for (int y = 0; y < src.height(); ++y) {
        const QRgb* in = reinterpret_cast<const QRgb*>(src.constScanLine(y));
        QRgb* o = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < src.width(); ++x) {
            const int a = qAlpha(in[x]);
            if (a < 128) {
                o[x] = k;
                continue;
            }
            const double t = a / 255.0;
            QRgb c = qRgb(int(qRed(in[x]) * t + edge.red() * (1 - t) + 0.5),
                          int(qGreen(in[x]) * t + edge.green() * (1 - t) + 0.5),
                          int(qBlue(in[x]) * t + edge.blue() * (1 - t) + 0.5));
            if ((c | 0xff000000u) == k)
                c = qRgb(qRed(c), 1, qBlue(c));
            o[x] = c | 0xff000000u;
        }
    }
    return out;
}

namespace {

// The picture with a palette of its own colours, in the order they first appear; null when it
// has more than 256.
QImage exactPalette(const QImage& rgb) {
    std::map<QRgb, int> index;
    QList<QRgb> table;
    QImage out(rgb.size(), QImage::Format_Indexed8);
    for (int y = 0; y < rgb.height(); ++y) {
        const QRgb* in = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        uchar* o = out.scanLine(y);
        for (int x = 0; x < rgb.width(); ++x) {
            const QRgb c = in[x] | 0xff000000u;
            auto [at, added] = index.try_emplace(c, int(table.size()));
            if (added) {
                if (table.size() == 256)
                    return {};
                table.append(c);
            }
            o[x] = uchar(at->second);
        }
    }
    out.setColorTable(table);
    return out;
}

// 256 colours for a picture that has more, by pngquant: its palette and its error diffusion keep
// shaded surfaces smooth where a plain nearest-colour reduction would show bands.
QImage quantised(const QImage& rgb, QString* error) {
    QTemporaryDir dir;
    const QString in = dir.filePath(QStringLiteral("in.png"));
    const QString out = dir.filePath(QStringLiteral("out.png"));
    if (!dir.isValid() || !rgb.save(in, "png")) {
        *error = QStringLiteral("cannot write a temporary picture");
        return {};
    }
    QProcess pngquant;
    pngquant.start(QStringLiteral("pngquant"),
                   {QStringLiteral("--speed"), QStringLiteral("1"), QStringLiteral("--strip"),
                    QStringLiteral("--force"), QStringLiteral("--output"), out,
                    QStringLiteral("256"), QStringLiteral("--"), in});
    if (!pngquant.waitForFinished(-1) || pngquant.exitStatus() != QProcess::NormalExit ||
        pngquant.exitCode() != 0) {
        *error = QStringLiteral("pngquant failed (is it installed?): %1 %2")
                     .arg(pngquant.errorString(),
                          QString::fromLocal8Bit(pngquant.readAllStandardError()).trimmed());
        return {};
    }
    QImage result(out, "png");
    if (result.format() != QImage::Format_Indexed8 || result.size() != rgb.size()) {
        *error = QStringLiteral("pngquant gave no palette picture");
        return {};
    }
    return result;
}

void putLe(QByteArray& b, quint32 v, int bytes) {
    for (int i = 0; i < bytes; ++i, v >>= 8)
        b.append(char(v & 0xff));
}

// One row in BMP's RLE8: runs of one index as (count, index); stretches without runs as
// absolute blocks (0, count, indices, padded to 16 bits), which need at least three indices.
void rle8Row(QByteArray& b, const uchar* row, int width) {
    int x = 0;
    while (x < width) {
        int run = 1;
        while (x + run < width && run < 255 && row[x + run] == row[x])
            ++run;
        if (run >= 2) {
            b.append(char(run)).append(char(row[x]));
            x += run;
            continue;
        }
        // A stretch up to the next run of three or more.
        int end = x + 1;
        while (end < width && end - x < 255 &&
               !(end + 2 < width && row[end] == row[end + 1] && row[end] == row[end + 2]))
            ++end;
        const int count = end - x;
        if (count < 3) {
            for (int i = x; i < end; ++i)
                b.append(char(1)).append(char(row[i]));
        } else {
            b.append(char(0)).append(char(count));
            b.append(reinterpret_cast<const char*>(row + x), count);
            if (count & 1)
                b.append(char(0));
        }
        x = end;
    }
    b.append(char(0)).append(char(0)); // end of the row
}

// An 8-bit palette picture as a BMP (BITMAPINFOHEADER, BI_RLE8), rows bottom-up.
QByteArray bmpRle8(const QImage& indexed) {
    QByteArray pixels;
    for (int y = indexed.height() - 1; y >= 0; --y)
        rle8Row(pixels, indexed.constScanLine(y), indexed.width());
    pixels.append(char(0)).append(char(1)); // end of the picture
    const QList<QRgb> table = indexed.colorTable();
    const quint32 offset = 14 + 40 + 4 * quint32(table.size());
    QByteArray b;
    b.append("BM");
    putLe(b, offset + quint32(pixels.size()), 4);
    putLe(b, 0, 4);
    putLe(b, offset, 4);
    putLe(b, 40, 4);
    putLe(b, quint32(indexed.width()), 4);
    putLe(b, quint32(indexed.height()), 4);
    putLe(b, 1, 2); // planes
    putLe(b, 8, 2); // bits per pixel
    putLe(b, 1, 4); // BI_RLE8
    putLe(b, quint32(pixels.size()), 4);
    putLe(b, 2835, 4); // 72 dpi
    putLe(b, 2835, 4);
    putLe(b, quint32(table.size()), 4); // colours used
    putLe(b, 0, 4);                     // all of them important
    for (QRgb c : table) {
        b.append(char(qBlue(c))).append(char(qGreen(c))).append(char(qRed(c))).append(char(0));
    }
    return b + pixels;
}

} // namespace

bool writePicture(const QString& root, const Job& job, const QImage& image, Written* out,
                  QString* error) {
    const QString file = QDir(root).filePath(job.path);
    QDir().mkpath(QFileInfo(file).path());
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImage written;
    switch (job.format) {
    case Format::Jpeg: {
        written = image.convertToFormat(QImage::Format_RGB32);
        QImageWriter w(&buffer, "jpg");
        w.setQuality(75);
        w.setOptimizedWrite(true);
        w.setProgressiveScanWrite(false);
        if (!w.write(written)) {
            *error = w.errorString();
            return false;
        }
        break;
    }
    case Format::Bmp:
    case Format::KeyedBmp: {
        const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
        written = exactPalette(rgb);
        if (written.isNull())
            written = quantised(rgb, error);
        if (written.isNull())
            return false;
        buffer.write(bmpRle8(written));
        break;
    }
    case Format::Png: {
        written = image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32
                                                                : QImage::Format_RGB32);
        QImageWriter w(&buffer, "png");
        w.setCompression(100); // Qt counts 0 (none) .. 100 (smallest)
        if (!w.write(written)) {
            *error = w.errorString();
            return false;
        }
        break;
    }
    }
    buffer.close();
    // Leave an unchanged file alone, so a run that changes nothing changes no time stamps.
    QFile old(file);
    if (!(old.open(QIODevice::ReadOnly) && old.readAll() == bytes)) {
        old.close();
        QSaveFile f(file);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size() || !f.commit()) {
            *error = QStringLiteral("cannot write %1").arg(file);
            return false;
        }
    }
    // Read back what was written, so the checks see the file as the program will: a palette
    // picture in 32 bits, as the program's loader gives it.
    QImage back;
    back.loadFromData(bytes);
    if (back.format() == QImage::Format_Indexed8)
        back.convertTo(QImage::Format_RGB32);
    *out = {job.path, back.size(), job.format, bytes.size(), back};
    return true;
}

bool writeManifest(const QString& file, const std::vector<Written>& files, QString* error) {
    QByteArray text;
    text += "# Pictures made by tools/pictures (bash tools/pictures/generate.sh).\n";
    text += "# path width height format\n";
    for (const Written& w : files) {
        const char* kind = w.format == Format::Jpeg       ? "jpeg"
                           : w.format == Format::Bmp      ? "bmp8-rle"
                           : w.format == Format::KeyedBmp ? "bmp8-rle-keyed"
                                                          : "png";
        text += QStringLiteral("%1 %2 %3 %4\n")
                    .arg(w.path)
                    .arg(w.size.width())
                    .arg(w.size.height())
                    .arg(QLatin1String(kind))
                    .toUtf8();
    }
    QSaveFile f(file);
    if (!f.open(QIODevice::WriteOnly) || f.write(text) != text.size() || !f.commit()) {
        *error = QStringLiteral("cannot write %1").arg(file);
        return false;
    }
    return true;
}

QImage contactSheet(const std::vector<Written>& files) {
    const int cols = 8, cellW = 300, thumbH = 170, labelH = 34, gap = 12;
    const int rows = int((files.size() + cols - 1) / cols);
    QImage sheet(cols * (cellW + gap) + gap, rows * (thumbH + labelH + gap) + gap,
                 QImage::Format_RGB32);
    sheet.fill(QColor(0x3a, 0x3d, 0x44));
    QPainter p(&sheet);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    for (size_t i = 0; i < files.size(); ++i) {
        const Written& w = files[i];
        const int cx = gap + int(i % cols) * (cellW + gap);
        const int cy = gap + int(i / cols) * (thumbH + labelH + gap);
        // Checkerboard behind transparent pictures and keyed figures.
        QImage shown = w.image;
        if (w.format == Format::KeyedBmp && !shown.isNull()) {
            shown = shown.convertToFormat(QImage::Format_ARGB32);
            const QRgb key = shown.pixel(0, shown.height() - 1) | 0xff000000u;
            for (int y = 0; y < shown.height(); ++y) {
                QRgb* row = reinterpret_cast<QRgb*>(shown.scanLine(y));
                for (int x = 0; x < shown.width(); ++x)
                    if ((row[x] | 0xff000000u) == key)
                        row[x] = 0;
            }
        }
        QSizeF s = shown.size();
        s.scale(cellW, thumbH, Qt::KeepAspectRatio);
        if (shown.width() <= 40 && shown.height() <= 40)
            s = QSizeF(shown.width() * 4, shown.height() * 4);
        const QRectF target(cx + (cellW - s.width()) / 2, cy + (thumbH - s.height()) / 2, s.width(),
                            s.height());
        for (int y = 0; y < int(s.height()); y += 10)
            for (int x = 0; x < int(s.width()); x += 10)
                p.fillRect(QRectF(target.left() + x, target.top() + y,
                                  std::min(10.0, s.width() - x), std::min(10.0, s.height() - y)),
                           ((x + y) / 10) % 2 ? QColor(0xcc, 0xcc, 0xcc)
                                              : QColor(0xf4, 0xf4, 0xf4));
        p.drawImage(target, shown);
        p.setPen(QColor(0xee, 0xee, 0xee));
        p.setFont(uiFont(12));
        const QString name = w.path.section(QLatin1Char('/'), -2);
        p.drawText(QRectF(cx, cy + thumbH + 2, cellW, 16), Qt::AlignHCenter, name);
        p.setPen(QColor(0xb0, 0xb4, 0xba));
        p.setFont(uiFont(11));
        p.drawText(QRectF(cx, cy + thumbH + 17, cellW, 16), Qt::AlignHCenter,
                   QStringLiteral("%1 x %2, %3 KB")
                       .arg(w.size.width())
                       .arg(w.size.height())
                       .arg((w.bytes + 512) / 1024));
    }
    return sheet;
}

} // namespace pic
