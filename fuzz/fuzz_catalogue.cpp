// Any bytes as a thread catalogue: the first byte picks the kind (odd: a GIMP palette, even:
// XML), the rest is the file. A clean error or a catalogue, never a crash.
#include <cstddef>
#include <cstdint>
#include <string>

#include "threads/ThreadCatalogue.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace brodix;
    if (size == 0)
        return 0;
    const std::string path = (data[0] & 1) != 0 ? "fuzz.gpl" : "fuzz.xml";
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
    try {
        const threads::ThreadCatalogue catalogue = threads::ParseCatalogue(path, text);
        if (catalogue.threads.empty() ||
            catalogue.matcher->Size() != static_cast<int>(catalogue.threads.size()))
            __builtin_trap();
    } catch (const Exception&) {
    }
    return 0;
}
