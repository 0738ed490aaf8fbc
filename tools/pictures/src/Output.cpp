#include "Output.h"

#include "Paint.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageWriter>
#include <QSaveFile>
#include <QTextStream>

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
        w.setQuality(85);
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
        written = image.convertToFormat(QImage::Format_RGB888);
        QImageWriter w(&buffer, "bmp");
        if (!w.write(written)) {
            *error = w.errorString();
            return false;
        }
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
    // Read back what was written, so the checks see the file as the program will.
    QImage back;
    back.loadFromData(bytes);
    *out = {job.path, back.size(), job.format, bytes.size(), back};
    return true;
}

bool writeManifest(const QString& file, const std::vector<Written>& files, QString* error) {
    QByteArray text;
    text += "# Pictures made by tools/pictures (bash tools/pictures/generate.sh).\n";
    text += "# path width height format\n";
    for (const Written& w : files) {
        const char* kind = w.format == Format::Jpeg       ? "jpeg"
                           : w.format == Format::Bmp      ? "bmp24"
                           : w.format == Format::KeyedBmp ? "bmp24-keyed"
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
