// The JPEG loader on any bytes: it must give a picture or libjpeg's reason, never end the
// process, and a picture it gives must have the size of its rows filled.

#include "InputFile.h"
#include "runtime/Pictures.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {
volatile unsigned pixelSum;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static fuzz::InputFile file(".jpg");
    const rt::Picture picture = rt::decodeJpeg(file.write(data, size));
    if (picture.ok()) {
        const QImage& image = picture.image;
        if (image.isNull() ||
            std::uint64_t(image.width()) * std::uint64_t(image.height()) > rt::kMaxPicturePixels) {
            std::fprintf(stderr, "a picture of %dx%d was accepted\n", image.width(),
                         image.height());
            std::abort();
        }
        // Touch every pixel, so that rows the decoder did not fill show up under the sanitizers.
        unsigned sum = 0;
        for (int y = 0; y < image.height(); ++y) {
            const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
            for (int x = 0; x < image.width(); ++x)
                sum += row[x];
        }
        pixelSum = sum;
    } else if (!picture.image.isNull()) {
        std::fprintf(stderr, "a failed decoding left a picture behind\n");
        std::abort();
    }
    return 0;
}
