// Feeds arbitrary bytes to the stored-picture decoder. A refusal is the
// expected outcome for almost every input; anything else that escapes, or any
// out-of-bounds read the sanitizers see, is a fault.
//
//   cmake -S . -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DMIRAVEL_FUZZ=ON
//   cmake --build build-fuzz --target picture_decoder_fuzz
//   mkdir -p corpus && build-fuzz/picture_decoder_fuzz corpus build-fuzz/generated/records
//
// The encoder writes every distinct real record to generated/records, which
// makes a good seed: mutations of a valid record reach the deep checks.

#include "forms/runtime_error.h"
#include "scene/picture.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        const miravel::Picture picture = miravel::decodeStoredPicture({data, size}, "Fuzz");
        // A picture that decoded must keep the pixel contract the painter relies on.
        for (int i = 0; i < miravel::Picture::Size * miravel::Picture::Size; ++i) {
            const std::uint32_t p = picture.argb()[i];
            if (p != 0 && (p >> 24) != 0xFF) std::abort();
        }
    } catch (const forms::RuntimeError& e) {
        if (e.number() != 481) std::abort();
    }
    return 0;
}
