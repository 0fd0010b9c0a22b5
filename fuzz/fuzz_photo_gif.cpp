// GIF pictures for "Open Any Picture...".
#include "photo_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return FuzzPhoto(std::string_view("GIF89a", 6), data, size);
}
