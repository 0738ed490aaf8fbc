// The settings record: any file of at least 170 bytes is read as its first 170 bytes and decoded;
// a shorter one is set aside as damaged and never decoded. Encoding the decoded record must give
// back exactly the bytes that were read, so that saving unchanged settings changes no byte of
// the file (the password's bytes and the reserved words included).

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
    return 0;
}
