// The sound-file reader on any bytes: samples or a German reason, never a crash, and what it
// gives must be whole frames of a rate and a channel count it can play.

#include "InputFile.h"
#include "runtime/audio/WavFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static fuzz::InputFile file(".wav");
    rt::WavFile wav;
    QString error;
    const bool ok = rt::WavFile::read(file.write(data, size), wav, error);
    if (ok) {
        if (wav.channels <= 0 || wav.sampleRate <= 0 ||
            wav.samples.size() % std::size_t(wav.channels) != 0) {
            std::fprintf(stderr, "read %zu samples, %d channels at %d Hz\n", wav.samples.size(),
                         wav.channels, wav.sampleRate);
            std::abort();
        }
    } else if (error.isEmpty() || !wav.samples.empty()) {
        std::fprintf(stderr, "a failed read without a reason or with samples left\n");
        std::abort();
    }
    return 0;
}
