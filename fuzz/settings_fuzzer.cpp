// The settings record: any file of at least 170 bytes is read as its first 170 bytes and decoded;
// a shorter one is set aside as damaged and never decoded. Encoding the decoded record must give
// back exactly the bytes that were read, so that saving unchanged settings changes no byte of
// the file (the password's bytes and the reserved words included). Bringing the record into the
// settings window's bounds leaves every value within them, and doing it again changes nothing.

#include "settings/SettingsBounds.h"
#include "settings/UDaten.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < std::size_t(kSettingsSize))
        return 0;
    SettingsBytes record{};
    std::copy_n(data, kSettingsSize, record.begin());

    const TSettings decoded = decodeSettings(record);
    const SettingsBytes encoded = encodeSettings(decoded);
    if (encoded != record) {
        for (int i = 0; i < kSettingsSize; ++i)
            if (encoded[std::size_t(i)] != record[std::size_t(i)])
                std::fprintf(stderr, "byte %d: read %u, written %u\n", i,
                             unsigned(record[std::size_t(i)]), unsigned(encoded[std::size_t(i)]));
        std::abort();
    }
    if (!(decodeSettings(encoded) == decoded)) {
        std::fprintf(stderr, "decoding the written record gives other settings\n");
        std::abort();
    }

    TSettings bounded = decoded;
    boundSettings(bounded);
    for (const SpinBounds& b : kSpinBounds) {
        const int value = bounded.*b.word;
        if (value > b.max || value < lowerBound(bounded, b)) {
            std::fprintf(stderr, "%s is %d after bounding, outside %d..%d\n", b.name, value,
                         lowerBound(bounded, b), b.max);
            std::abort();
        }
    }
    const TSettings once = bounded;
    if (!boundSettings(bounded).empty() || !(bounded == once)) {
        std::fprintf(stderr, "bounding the bounded record changed it again\n");
        std::abort();
    }
    return 0;
}
