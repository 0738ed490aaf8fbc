// Decoding a full-screen JPEG: the program's loader against the plainest fast use of
// libjpeg-turbo (same file, same output pixel format, several rows per call, plain buffer).
#include "runtime/Pictures.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QImage>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <jpeglib.h>

namespace {

// A 1920x1080 photo-like picture (smooth gradients and fine texture), written once per run.
QString testJpeg() {
    static const QString path = [] {
        const QString p = QDir::tempPath() + QStringLiteral("/quillet-bench-1920x1080.jpg");
        const int w = 1920, h = 1080;
        std::vector<unsigned char> rgb(size_t(w) * h * 3);
        unsigned seed = 12345;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                seed = seed * 1103515245u + 12345u;
                const int noise = int((seed >> 16) & 31) - 16;
                unsigned char* px = &rgb[(size_t(y) * w + x) * 3];
                px[0] =
                    (unsigned char)std::clamp(int(128 + 100 * std::sin(x / 150.0)) + noise, 0, 255);
                px[1] = (unsigned char)std::clamp(int(y * 255 / h) + noise, 0, 255);
                px[2] = (unsigned char)std::clamp(int(200 - x * 150 / w) + noise, 0, 255);
            }
        std::FILE* f = std::fopen(QFile::encodeName(p).constData(), "wb");
        jpeg_compress_struct c;
        jpeg_error_mgr err;
        c.err = jpeg_std_error(&err);
        jpeg_create_compress(&c);
        jpeg_stdio_dest(&c, f);
        c.image_width = w;
        c.image_height = h;
        c.input_components = 3;
        c.in_color_space = JCS_RGB;
        jpeg_set_defaults(&c);
        jpeg_set_quality(&c, 85, TRUE);
        jpeg_start_compress(&c, TRUE);
        while (c.next_scanline < c.image_height) {
            JSAMPROW row = &rgb[size_t(c.next_scanline) * w * 3];
            jpeg_write_scanlines(&c, &row, 1);
        }
        jpeg_finish_compress(&c);
        jpeg_destroy_compress(&c);
        std::fclose(f);
        return p;
    }();
    return path;
}

void BM_ProgramLoader(benchmark::State& state) {
    const QString path = testJpeg();
    for (auto _ : state) {
        rt::Picture p = rt::decodeJpeg(path);
        if (!p.ok())
            state.SkipWithError("decode failed");
        benchmark::DoNotOptimize(p.image.constBits());
    }
}
BENCHMARK(BM_ProgramLoader)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_LibjpegReference(benchmark::State& state) {
    const QByteArray path = QFile::encodeName(testJpeg());
    for (auto _ : state) {
        std::FILE* f = std::fopen(path.constData(), "rb");
        jpeg_decompress_struct c;
        jpeg_error_mgr err;
        c.err = jpeg_std_error(&err);
        jpeg_create_decompress(&c);
        jpeg_stdio_src(&c, f);
        jpeg_read_header(&c, TRUE);
        c.out_color_space = JCS_EXT_BGRX;
        jpeg_start_decompress(&c);
        const size_t stride = size_t(c.output_width) * 4;
        auto* buffer = static_cast<unsigned char*>(std::malloc(stride * c.output_height));
        while (c.output_scanline < c.output_height) {
            JSAMPROW rows[16];
            for (int i = 0; i < 16; ++i)
                rows[i] =
                    buffer + stride * std::min<size_t>(c.output_scanline + i, c.output_height - 1);
            jpeg_read_scanlines(&c, rows, 16);
        }
        jpeg_finish_decompress(&c);
        jpeg_destroy_decompress(&c);
        std::fclose(f);
        benchmark::DoNotOptimize(buffer);
        std::free(buffer);
    }
}
BENCHMARK(BM_LibjpegReference)->Unit(benchmark::kMillisecond)->MinTime(2.0);

} // namespace

BENCHMARK_MAIN();
