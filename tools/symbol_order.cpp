// Chooses the order of the symbol sheet and measures it.
//
//   symbol_order            the sheet's symbols (engine/src/SymbolCharacters.cpp) in the order
//                           the likeness measure chooses, as lines of that list, and what
//                           breaks the sheet's rules
//   symbol_order SHEET.bmp  for the first K symbols of a drawn sheet, K = 2, 4, ... 255: the
//                           closest pair, its distance and the ink of the first K
#include <cstdio>
#include <exception>
#include <span>
#include <string>
#include <vector>

#include "SymbolDesigns.h"
#include "engine/SymbolLikeness.h"
#include "engine/SymbolSheet.h"
#include "raster/TImage.h"

namespace {

using namespace brodix;

// Pixels two symbols of the sheet differ in at least, as drawn.
constexpr std::size_t kLeastPixelsApart = 8;

void PrintOrder() {
    const std::vector<SymbolInk> symbols = SymbolGlyphs();
    const std::span<const SheetSymbol> sheet = SheetSymbols();
    // The light mark stays first: the order starts from the sheet's symbol 0.
    const std::vector<int> order = FarthestFirstOrder(symbols, 0);
    for (std::size_t k = 0; k < order.size(); ++k) {
        const SheetSymbol& symbol = sheet[static_cast<std::size_t>(order[k])];
        std::printf("    {\"%s\", 0x%04X},  // %zu %s\n", symbol.design,
                    static_cast<unsigned>(symbol.character), k, SymbolText(order[k]).c_str());
    }
    for (std::size_t a = 0; a < symbols.size(); ++a) {
        const std::size_t ink = symbols[a].count();
        if (ink <= 4 || ink >= symbols[a].size())
            std::printf("! %s: %zu pixels of ink\n", sheet[a].design, ink);
        if (IsDotTexture(symbols[a]))
            std::printf("! %s: a dot texture\n", sheet[a].design);
        for (std::size_t b = a + 1; b < symbols.size(); ++b) {
            const std::size_t apart = (symbols[a] ^ symbols[b]).count();
            if (apart < kLeastPixelsApart) {
                std::printf("! %s and %s: %zu pixels apart\n", sheet[a].design, sheet[b].design,
                            apart);
            }
        }
    }
}

void PrintFigures(const char* file) {
    TImage image;
    image.Picture().LoadFromFile(file);
    const TBitmap& sheet = image.Picture().Bitmap();
    std::vector<SymbolInk> symbols;
    for (int k = 0; k < kSymbolCount; ++k)
        symbols.push_back(SymbolInkOf(sheet, k));
    std::printf("K    closest pair        distance  ink of the first K\n");
    for (const int count : {2, 4, 8, 16, 32, 40, 64, 255}) {
        const ClosestSymbols closest = ClosestAmongFirst(symbols, count);
        std::size_t ink = 0;
        for (int k = 0; k < count; ++k)
            ink += symbols[static_cast<std::size_t>(k)].count();
        std::printf("%-4d %3d %-6s %3d %-6s  %.3f     %.1f px\n", count, closest.first,
                    SymbolText(closest.first).c_str(), closest.second,
                    SymbolText(closest.second).c_str(), closest.distance,
                    static_cast<double>(ink) / count);
    }
}

}  // namespace

int main(int argc, char** argv) {
    try {
        if (argc == 1)
            PrintOrder();
        else if (argc == 2)
            PrintFigures(argv[1]);
        else {
            std::fprintf(stderr, "usage: %s [SHEET.bmp]\n", argv[0]);
            return 2;
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s: %s\n", argv[0], error.what());
        return 1;
    }
    return 0;
}
