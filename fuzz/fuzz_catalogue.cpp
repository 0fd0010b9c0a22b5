// Any bytes as a thread catalogue: the first byte picks the kind (odd: a GIMP palette, even:
// XML), the rest is the file. A clean error or a catalogue, never a crash; a catalogue read is
// then snapped to, where the pruned search must find what trying every thread finds, and its
// first name is fitted into a column of the printed key.
#include <cairo.h>
#include <fontconfig/fontconfig.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "PdfCanvas.h"
#include "threads/ThreadCatalogue.h"

namespace {

using namespace brodix;

// A few picture colours, the catalogue's own first one among them, with every other thread
// left out once: the first of equal colours is found, or the next where it is left out.
void CheckSnapping(const threads::ThreadCatalogue& catalogue) {
    const ColourMatcher& matcher = *catalogue.matcher;
    const std::vector<TColor> colours = catalogue.Colours();
    std::vector<std::uint8_t> alive(colours.size(), 1);
    for (std::size_t i = 0; i < alive.size(); i += 2)
        alive[i] = 0;
    const std::vector<LabColour> labs = ToLab(colours);
    for (const TColor query : {colours.front(), TColor{0x808080}, TColor{0x1060C0}}) {
        const LabColour lab = ToLab(query);
        for (const bool some : {false, true}) {
            int best = -1;
            double bestDelta = 0;
            for (std::size_t k = 0; k < labs.size(); ++k) {
                if (some && alive[k] == 0)
                    continue;
                const double d = DeltaE00(lab, labs[k]);
                if (best < 0 || d < bestDelta) {
                    best = static_cast<int>(k);
                    bestDelta = d;
                }
            }
            const auto found = some ? matcher.Nearest(lab, alive) : matcher.Nearest(lab);
            if (found.index != best)
                __builtin_trap();
        }
    }
}

void CheckFitting(const threads::ThreadCatalogue& catalogue, std::uint8_t width) {
    // One canvas for the run; at its end the canvas and the font caches of cairo and
    // fontconfig are let go, which the leak check would otherwise report.
    static std::unique_ptr<print::detail::PdfCanvas> canvas;
    if (!canvas) {
        canvas = std::make_unique<print::detail::PdfCanvas>(print::Paper::A4);
        std::atexit([] {
            canvas.reset();
            cairo_debug_reset_static_data();
            FcFini();
        });
    }
    print::detail::PdfCanvas& pdf = *canvas;
    const std::string& name = catalogue.threads.front().name;
    const std::string fitted = pdf.Fitted(name, 8, width);
    // Whole (with damaged UTF-8 mended) or cut with an ellipsis, it fits; only the ellipsis
    // alone may be wider than a very narrow column.
    if (fitted.size() > 3 && pdf.TextWidth(fitted, 8) > width)
        __builtin_trap();
    if (fitted.size() > name.size() * 3 + 3)
        __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const std::string path = (data[0] & 1) != 0 ? "fuzz.gpl" : "fuzz.xml";
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
    try {
        const threads::ThreadCatalogue catalogue = threads::ParseCatalogue(path, text);
        if (catalogue.threads.empty() ||
            catalogue.matcher->Size() != static_cast<int>(catalogue.threads.size()))
            __builtin_trap();
        CheckSnapping(catalogue);
        CheckFitting(catalogue, data[0]);
    } catch (const Exception&) {
    }
    return 0;
}
