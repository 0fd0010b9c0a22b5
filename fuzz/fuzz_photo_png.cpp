// PNG pictures for "Open Any Picture...".
#include "photo_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return FuzzPhoto(std::string_view("\x89PNG\r\n\x1A\n", 8), data, size);
}
