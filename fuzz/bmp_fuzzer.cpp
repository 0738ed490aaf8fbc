// A picture file with a .bmp name, as the program reads its icons and masks: the header check
// for oversized pictures, then Qt's image reader.

#include "InputFile.h"
#include "runtime/Pictures.h"

#include <QCoreApplication>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    // Qt's image reader finds its format plug-ins through the application object.
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static fuzz::InputFile file(".bmp");
    const rt::Picture picture = rt::decodePictureFile(file.write(data, size));
    if (picture.ok() && picture.image.isNull()) {
        std::fprintf(stderr, "a picture without pixels was accepted\n");
        std::abort();
    }
    if (picture.ok() &&
        std::uint64_t(picture.image.width()) * std::uint64_t(picture.image.height()) >
            rt::kMaxPicturePixels) {
        std::fprintf(stderr, "a picture of %dx%d was accepted\n", picture.image.width(),
                     picture.image.height());
        std::abort();
    }
    return 0;
}
