#pragma once
// Any bytes as a picture for "Open Any Picture...": decoded and fitted, or refused with a clean
// error. The format's signature is put in front so that every input reaches its decoder.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "photo/Photo.h"
#include "raster/Exceptions.h"
#include "raster/TBitmap.h"

inline int FuzzPhoto(std::string_view signature, const std::uint8_t* data, std::size_t size) {
    using namespace brodix;
    std::vector<std::uint8_t> bytes(signature.begin(), signature.end());
    bytes.insert(bytes.end(), data, data + size);
    // The real decode cap: a small input that declares a picture up to it must cost what it
    // holds, which the target's memory limit (fuzz/NAME.options) holds it to.
    PhotoOptions options;
    options.fit =
        StitchSize{1 + static_cast<int>(size % 7) * 30, 1 + static_cast<int>(size % 5) * 40};
    try {
        const auto bitmap = ReadPhoto(bytes, options, "fuzz");
        if (bitmap->Width() > options.fit->width || bitmap->Height() > options.fit->height)
            __builtin_trap();
    } catch (const Exception&) {
    }
    return 0;
}
