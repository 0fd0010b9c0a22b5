// JPEG pictures for "Open Any Picture...".
#include "photo_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return FuzzPhoto(std::string_view("\xFF\xD8\xFF", 3), data, size);
}
