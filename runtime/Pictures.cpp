#include "runtime/Pictures.h"

#include "runtime/DataFiles.h"
#include "runtime/SafeFile.h"

#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImageReader>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <thread>

#include <jerror.h>
#include <jpeglib.h>

namespace rt {

namespace {

struct JpegError {
    jpeg_error_mgr mgr;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
    int code = 0; // libjpeg's message code of the failure
};

// The common reasons in German, libjpeg's own words after them.
QString germanJpegReason(const JpegError& err) {
    QString german;
    switch (err.code) {
    case JWRN_JPEG_EOF:
    case JERR_INPUT_EOF:
        german = QStringLiteral("Die Datei endet vorzeitig, das Bild ist unvollständig");
        break;
    case JERR_NO_SOI:
        german = QStringLiteral("Die Datei ist kein JPEG-Bild");
        break;
    case JERR_OUT_OF_MEMORY:
        german = QStringLiteral("Für das Bild ist nicht genug Speicher frei");
        break;
    default:
        german = QStringLiteral("Das Bild ist beschädigt");
        break;
    }
    return err.message[0] ? german + QStringLiteral(" (") + QString::fromLocal8Bit(err.message) +
                                QLatin1Char(')')
                          : german;
}

[[noreturn]] void jpegFail(j_common_ptr cinfo) {
    auto* err = reinterpret_cast<JpegError*>(cinfo->err);
    err->code = cinfo->err->msg_code;
    (*cinfo->err->format_message)(cinfo, err->message);
    std::longjmp(err->jump, 1);
}

// Warnings are ignored, except the ones that mean the picture is incomplete: a truncated file
// would otherwise decode into a half-grey picture without a word.
void jpegMessage(j_common_ptr cinfo, int level) {
    if (level < 0 &&
        (cinfo->err->msg_code == JWRN_JPEG_EOF || cinfo->err->msg_code == JWRN_HIT_MARKER))
        jpegFail(cinfo);
}

QByteArray tooLarge(std::uint64_t width, std::uint64_t height) {
    return QStringLiteral("Das Bild ist laut seinem Kopf %1 × %2 Bildpunkte groß, mehr als die "
                          "%3 Megapixel, die Quillet annimmt; es ist vermutlich beschädigt.")
        .arg(width)
        .arg(height)
        .arg(kMaxPicturePixels / 1'000'000)
        .toLocal8Bit();
}

// Kept free of C++ objects with destructors between setjmp and the calls that may jump.
bool decodeJpegFile(std::FILE* f, QImage* out, JpegError* err) {
    jpeg_decompress_struct cinfo;
    cinfo.err = jpeg_std_error(&err->mgr);
    err->mgr.error_exit = jpegFail;
    err->mgr.emit_message = jpegMessage;
    err->message[0] = '\0';
    if (setjmp(err->jump)) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_stdio_src(&cinfo, f);
    jpeg_read_header(&cinfo, TRUE);
    // The header alone may claim any size: refuse before a pixel is allocated.
    if (std::uint64_t(cinfo.image_width) * cinfo.image_height > kMaxPicturePixels) {
        std::snprintf(err->message, sizeof err->message, "%s",
                      tooLarge(cinfo.image_width, cinfo.image_height).constData());
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    cinfo.out_color_space = JCS_EXT_BGRX; // the bytes of Format_RGB32 on little-endian machines
    jpeg_start_decompress(&cinfo);
    *out = QImage(int(cinfo.output_width), int(cinfo.output_height), QImage::Format_RGB32);
    if (out->isNull()) {
        std::snprintf(err->message, sizeof err->message,
                      "Für das Bild (%u × %u Bildpunkte) ist nicht genug Speicher frei",
                      cinfo.output_width, cinfo.output_height);
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    while (cinfo.output_scanline < cinfo.output_height) {
        // Several rows per call, straight into the picture's own rows.
        JSAMPROW rows[16];
        const JDIMENSION first = cinfo.output_scanline;
        const JDIMENSION count = std::min<JDIMENSION>(16, cinfo.output_height - first);
        for (JDIMENSION i = 0; i < count; ++i)
            rows[i] = out->scanLine(int(first + i));
        jpeg_read_scanlines(&cinfo, rows, count);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return true;
}

// The width and height a BMP's header claims (the height's sign only says which way the rows
// run); none for anything else.
QSize bmpHeaderSize(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QByteArray h = f.read(26);
    if (h.size() < 26 || !h.startsWith("BM"))
        return {};
    auto int32At = [&](int at) {
        return qint32(quint32(quint8(h[at])) | quint32(quint8(h[at + 1])) << 8 |
                      quint32(quint8(h[at + 2])) << 16 | quint32(quint8(h[at + 3])) << 24);
    };
    if (int32At(14) == 12) // the old OS/2 header: two 16-bit sizes
        return QSize(quint8(h[18]) | quint8(h[19]) << 8, quint8(h[20]) | quint8(h[21]) << 8);
    const qint64 width = int32At(18);
    const qint64 height = int32At(22);
    return QSize(int(std::min<qint64>(std::abs(width), INT32_MAX)),
                 int(std::min<qint64>(std::abs(height), INT32_MAX)));
}

static_assert(Q_BYTE_ORDER == Q_LITTLE_ENDIAN,
              "JCS_EXT_BGRX matches Format_RGB32 only on little-endian");

} // namespace

Picture decodeJpeg(const QString& absolutePath) {
    Picture result;
    std::FILE* f = std::fopen(QFile::encodeName(absolutePath).constData(), "rb");
    if (!f) {
        result.error = systemReason(errno);
        return result;
    }
    JpegError err;
    QImage image;
    const bool ok = decodeJpegFile(f, &image, &err);
    std::fclose(f);
    if (ok)
        result.image = std::move(image);
    else if (err.code == 0) // refused by the program itself, already in German
        result.error = QString::fromLocal8Bit(err.message);
    else
        result.error = germanJpegReason(err);
    return result;
}

Picture decodePictureFile(const QString& absolutePath) {
    const QString lower = absolutePath.toLower();
    if (lower.endsWith(QLatin1String(".jpg")) || lower.endsWith(QLatin1String(".jpeg")))
        return decodeJpeg(absolutePath);
    Picture result;
    const QSize claimed = bmpHeaderSize(absolutePath);
    if (std::uint64_t(claimed.width()) * std::uint64_t(claimed.height()) > kMaxPicturePixels) {
        result.error = QString::fromLocal8Bit(tooLarge(claimed.width(), claimed.height()));
        return result;
    }
    QImageReader reader(absolutePath, "bmp");
    reader.setAutoDetectImageFormat(false); // Qt's own BMP reader, no plug-in asked
    // Qt's own ceiling for what a decoder may allocate, in MiB: the same limit, at 4 bytes a pixel.
    reader.setAllocationLimit(int(kMaxPicturePixels * 4 / (1024 * 1024)));
    if (!reader.read(&result.image)) {
        QString german;
        switch (reader.error()) {
        case QImageReader::FileNotFoundError:
            german = QStringLiteral("Die Datei wurde nicht gefunden");
            break;
        case QImageReader::UnsupportedFormatError:
            german = QStringLiteral("Das Bildformat wird nicht erkannt");
            break;
        case QImageReader::DeviceError:
            german = QStringLiteral("Die Datei kann nicht gelesen werden");
            break;
        default:
            german = QStringLiteral("Das Bild ist beschädigt");
            break;
        }
        result.error = german + QStringLiteral(" (") + reader.errorString() + QLatin1Char(')');
    } else if (result.image.format() == QImage::Format_Indexed8 ||
               result.image.format() == QImage::Format_Mono) {
        // A palette picture (the program's own are 8-bit RLE) becomes what a 24-bit one gives,
        // so that everything drawn on it or keyed out of it works on 32-bit pixels.
        result.image.convertTo(result.image.hasAlphaChannel() ? QImage::Format_ARGB32
                                                              : QImage::Format_RGB32);
    }
    return result;
}

QImage designPicture(const QString& resourcePath) {
    QImageReader reader(resourcePath, "png");
    reader.setAutoDetectImageFormat(false);
    return reader.read();
}

QPixmap sharpGlyph(const QString& name) {
    if (qApp == nullptr || qApp->devicePixelRatio() <= 1.0)
        return {};
    QImage image = designPicture(QStringLiteral(":/design/glyphs/%1@2x.png").arg(name));
    if (image.isNull())
        return {};
    image.setDevicePixelRatio(2.0);
    return QPixmap::fromImage(std::move(image));
}

QPixmap designGlyph(const QString& resourcePath) {
    QPixmap sharp = sharpGlyph(QFileInfo(resourcePath).completeBaseName());
    return sharp.isNull() ? QPixmap::fromImage(designPicture(resourcePath)) : sharp;
}

Picture loadPicture(const DataFiles& files, const QString& programPath) {
    const QString path = files.resolve(programPath);
    Picture result;
    if (path.isEmpty()) {
        result.error =
            QStringLiteral("Das Bild „%1“ wurde nicht gefunden.").arg(files.describe(programPath));
        return result;
    }
    result = decodePictureFile(path);
    if (!result.ok())
        result.error =
            QStringLiteral("Das Bild „%1“ kann nicht geladen werden:\n%2").arg(path, result.error);
    return result;
}

std::vector<Picture> loadPictures(const DataFiles& files,
                                  const std::vector<QString>& programPaths) {
    std::vector<Picture> results(programPaths.size());
    std::atomic<size_t> next{0};
    auto work = [&] {
        for (size_t i = next++; i < programPaths.size(); i = next++)
            results[i] = loadPicture(files, programPaths[i]);
    };
    const unsigned helpers =
        std::min<unsigned>(std::max(1u, std::thread::hardware_concurrency()) - 1,
                           unsigned(programPaths.size() > 1 ? programPaths.size() - 1 : 0));
    std::vector<std::thread> threads;
    threads.reserve(helpers);
    for (unsigned i = 0; i < helpers; ++i)
        threads.emplace_back(work);
    work();
    for (auto& t : threads)
        t.join();
    return results;
}

} // namespace rt
