// Any bytes as a sequence of changes by hand and undos on a small pattern: after each, the counts
// add up, every stitch names a row and no colour's symbols move; undoing everything gives back
// the pattern as made.
#include <cstddef>
#include <cstdint>
#include <variant>
#include <vector>

#include "pattern/PatternEdits.h"
#include "pattern_edit_checks.h"

namespace {

using namespace brodix;

// 6 x 5 stitches of up to 8 colours, white among them, chosen by the first bytes.
Pattern Made(const std::uint8_t*& data, const std::uint8_t* end) {
    const TColor colours[] = {
        clWhite,          clBlack,          RGB(200, 30, 30),   RGB(170, 20, 20),
        RGB(30, 60, 200), RGB(20, 140, 40), RGB(250, 250, 250), RGB(90, 90, 90)};
    std::vector<TColor> stitches;
    for (int i = 0; i < 30; ++i)
        stitches.push_back(colours[(data < end ? *data++ : i) % 8]);
    return Pattern(std::get<Census>(CountStitches(6, 5, stitches)), {}, "fuzz.bmp");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::uint8_t* end = data + size;
    const Pattern made = Made(data, end);
    PatternEditor editor(made);
    const threads::Thread threads[] = {
        {"1", "Green", RGB(20, 140, 40)}, {"2", "White", clWhite}, {"3", "Red", RGB(200, 30, 30)}};
    while (end - data >= 3) {
        const int op = data[0] % 9;
        const int rows = static_cast<int>(editor.Document().Colours().size());
        const int k = data[1] % rows;
        const int other = data[2] % rows;
        const TPoint points[] = {{data[1] % 7, data[2] % 6}, {data[2] % 6, data[1] % 5}};
        const bool flag = (data[0] / 9) % 2 != 0;
        data += 3;
        const SymbolsOfRows before = SymbolsOf(editor.Document());
        switch (op) {
            case 0:
                editor.Paint(points, k, flag);
                break;
            case 1:
                editor.Fill(points[0], k);
                break;
            case 2:
                editor.Erase(points, flag);
                break;
            case 3:
                editor.Merge(k, other);
                break;
            case 4:
                editor.Remove(k, flag);
                break;
            case 5:
                editor.ChangeThread(k, threads[other % 3], flag);
                break;
            case 6:
                editor.AddThread(threads[other % 3]);
                break;
            case 7:
                editor.Undo();
                break;
            default:
                editor.Redo();
                break;
        }
        if (!PatternFault(editor.Document()).empty() ||
            !SymbolsStayed(before, SymbolsOf(editor.Document())))
            __builtin_trap();
    }
    while (editor.CanUndo())
        editor.Undo();
    if (!(editor.Document() == made))
        __builtin_trap();
    return 0;
}
