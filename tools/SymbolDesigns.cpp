#include "SymbolDesigns.h"

#include <array>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>

namespace brodix {

namespace {

// Building blocks, drawn on the 9 x 9 glyph grid ('#' black).
struct Part {
    const char* name;
    std::array<const char*, kGlyphSize> rows;
};

// clang-format off
const Part kParts[] = {
    {"square", {".........", ".#######.", ".#######.", ".#######.", ".#######.", ".#######.", ".#######.", ".#######.", "........."}},
    {"box",    {".........", ".#######.", ".#.....#.", ".#.....#.", ".#.....#.", ".#.....#.", ".#.....#.", ".#######.", "........."}},
    {"wedge",  {".........", "....#....", "...###...", "...###...", "..#####..", "..#####..", ".#######.", ".#######.", "........."}},
    {"peak",   {".........", "....#....", "...#.#...", "...#.#...", "..#...#..", "..#...#..", ".#.....#.", ".#######.", "........."}},
    {"gem",    {"....#....", "...###...", "..#####..", ".#######.", "#########", ".#######.", "..#####..", "...###...", "....#...."}},
    {"kite",   {"....#....", "...#.#...", "..#...#..", ".#.....#.", "#.......#", ".#.....#.", "..#...#..", "...#.#...", "....#...."}},
    {"plus",   {".........", "...###...", "...###...", ".#######.", ".#######.", ".#######.", "...###...", "...###...", "........."}},
    {"cross",  {".........", ".##...##.", ".###.###.", "..#####..", "...###...", "..#####..", ".###.###.", ".##...##.", "........."}},
    {"bar",    {".........", ".........", ".........", "#########", "#########", "#########", ".........", ".........", "........."}},
    {"dot",    {".........", ".........", ".........", "...###...", "...###...", "...###...", ".........", ".........", "........."}},
    {"hair",   {"....#....", "....#....", "....#....", "....#....", "#########", "....#....", "....#....", "....#....", "....#...."}},
    {"saltire",{"#.......#", ".#.....#.", "..#...#..", "...#.#...", "....#....", "...#.#...", "..#...#..", ".#.....#.", "#.......#"}},
    {"slash",  {"........#", ".......##", "......##.", ".....##..", "....##...", "...##....", "..##.....", ".##......", "##......."}},
    {"frame",  {"#########", "#.......#", "#.......#", "#.......#", "#.......#", "#.......#", "#.......#", "#.......#", "#########"}},
    {"block",  {"#########", "#########", "#########", "#########", "#########", "#########", "#########", "#########", "#########"}},
    {"circle", {"...###...", ".##...##.", ".#.....#.", "#.......#", "#.......#", "#.......#", ".#.....#.", ".##...##.", "...###..."}},
    {"ball",   {"...###...", ".#######.", ".#######.", "#########", "#########", "#########", ".#######.", ".#######.", "...###..."}},
    {"core",   {".........", ".........", "..#####..", "..#####..", "..#####..", "..#####..", "..#####..", ".........", "........."}},
    {"pip",    {".........", ".........", "...###...", "..#####..", "..#####..", "..#####..", "...###...", ".........", "........."}},
    {"cell",   {".........", ".........", "..#####..", "..#...#..", "..#...#..", "..#...#..", "..#####..", ".........", "........."}},
    {"loop",   {".........", ".........", "...###...", "..#...#..", "..#...#..", "..#...#..", "...###...", ".........", "........."}},
    {"spark",  {".........", ".........", "....#....", "...###...", "..#####..", "...###...", "....#....", ".........", "........."}},
    {"twin",   {".........", "#########", "#########", ".........", ".........", ".........", "#########", "#########", "........."}},
    {"triple", {".........", "#########", ".........", ".........", "#########", ".........", ".........", "#########", "........."}},
    {"glass",  {".#######.", ".#######.", "..#####..", "...###...", "....#....", "...###...", "..#####..", ".#######.", ".#######."}},
    {"heart",  {".........", ".##...##.", "#########", "#########", "#########", ".#######.", "..#####..", "...###...", "....#...."}},
    {"star",   {"....#....", "....#....", "...###...", "#########", ".#######.", "..#####..", "..##.##..", ".##...##.", ".#.....#."}},
    {"checks", {"###...###", "###...###", "###...###", "...###...", "...###...", "...###...", "###...###", "###...###", "###...###"}},
    {"arrow",  {"....#....", "...###...", "..#####..", ".#######.", "...###...", "...###...", "...###...", "...###...", "........."}},
    {"tee",    {"#########", "#########", "...###...", "...###...", "...###...", "...###...", "...###...", "...###...", "..#####.."}},
    {"ell",    {".........", ".###.....", ".###.....", ".###.....", ".###.....", ".###.....", ".#######.", ".#######.", "........."}},
    {"house",  {"....#....", "...###...", "..#####..", ".#######.", "#########", ".#######.", ".#######.", ".#######.", ".#######."}},
    {"moon",   {"...###...", ".###.....", ".##......", "##.......", "##.......", "##.......", ".##......", ".###.....", "...###..."}},
    {"corners",{"##.....##", "##.....##", ".........", ".........", ".........", ".........", ".........", "##.....##", "##.....##"}},
    {"stripes",{".........", "#########", ".........", "#########", ".........", "#########", ".........", "#########", "........."}},
    {"chevron",{".........", ".........", "....#....", "...###...", "..##.##..", ".##...##.", "##.....##", "#.......#", "........."}},
    {"hook",   {".........", ".#######.", ".#######.", ".....##..", "....##...", "...##....", "..##.....", ".#######.", ".#######."}},
    {"pair",   {".........", "...###...", "...###...", "...###...", ".........", "...###...", "...###...", "...###...", "........."}},
    {"tent",   {"....#....", "...#.#...", "...#.#...", "..#...#..", "..#...#..", ".#.....#.", ".#.....#.", "#.......#", "#########"}},
    {"pyramid", {"....#....", "...###...", "...###...", "..#####..", "..#####..", ".#######.", ".#######.", "#########", "#########"}},
    // Regions that the combined shapes fill inside a closed outline.
    {"top",    {"#########", "#########", "#########", "#########", ".........", ".........", ".........", ".........", "........."}},
    {"diag",   {"#########", "########.", "#######..", "######...", "#####....", "####.....", "###......", "##.......", "#........"}},
    {"quarter", {"#####....", "#####....", "#####....", "#####....", "#####....", ".........", ".........", ".........", "........."}},
    {"waves",  {"#..#..#..", "..#..#..#", ".#..#..#.", "#..#..#..", "..#..#..#", ".#..#..#.", "#..#..#..", "..#..#..#", ".#..#..#."}},
    {"rows",   {".........", ".........", "#########", ".........", "#########", ".........", "#########", ".........", "........."}},
    {"mid",    {".........", ".........", ".........", ".........", "#########", ".........", ".........", ".........", "........."}},
    {"edge",   {"#########", "#########", ".........", ".........", ".........", ".........", ".........", "#########", "#########"}},
    {"dice2",  {".........", ".##......", ".##......", ".........", ".........", ".........", "......##.", "......##.", "........."}},
    {"dice3",  {".........", ".##......", ".##......", "...###...", "...###...", "...###...", "......##.", "......##.", "........."}},
    {"dice4",  {".........", ".##...##.", ".##...##.", ".........", ".........", ".........", ".##...##.", ".##...##.", "........."}},
    {"dice5",  {".........", ".##...##.", ".##...##.", "...###...", "...###...", "...###...", ".##...##.", ".##...##.", "........."}},
};

// Letters, digits and signs, 5 x 7, placed two pixels in and one down. Letters that a stitcher
// would take for a shape or another sign (O, I, 0, 2, 5, 8) are left out.
struct Letter {
    const char* name;
    std::array<const char*, 7> rows;
};

const Letter kLetters[] = {
    {"A", {"..#..", ".#.#.", "#...#", "#...#", "#####", "#...#", "#...#"}},
    {"B", {"####.", "#...#", "#...#", "####.", "#...#", "#...#", "####."}},
    {"C", {".###.", "#...#", "#....", "#....", "#....", "#...#", ".###."}},
    {"D", {"####.", "#...#", "#...#", "#...#", "#...#", "#...#", "####."}},
    {"E", {"#####", "#....", "#....", "####.", "#....", "#....", "#####"}},
    {"F", {"#####", "#....", "#....", "####.", "#....", "#....", "#...."}},
    {"G", {".###.", "#...#", "#....", "#.###", "#...#", "#...#", ".###."}},
    {"H", {"#...#", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"}},
    {"J", {"..###", "...#.", "...#.", "...#.", "...#.", "#..#.", ".##.."}},
    {"K", {"#...#", "#..#.", "#.#..", "##...", "#.#..", "#..#.", "#...#"}},
    {"L", {"#....", "#....", "#....", "#....", "#....", "#....", "#####"}},
    {"M", {"#...#", "##.##", "#.#.#", "#.#.#", "#...#", "#...#", "#...#"}},
    {"N", {"#...#", "#...#", "##..#", "#.#.#", "#..##", "#...#", "#...#"}},
    {"P", {"####.", "#...#", "#...#", "####.", "#....", "#....", "#...."}},
    {"Q", {".###.", "#...#", "#...#", "#...#", "#.#.#", "#..#.", ".##.#"}},
    {"R", {"####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"}},
    {"S", {".####", "#....", "#....", ".###.", "....#", "....#", "####."}},
    {"T", {"#####", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."}},
    {"U", {"#...#", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."}},
    {"V", {"#...#", "#...#", "#...#", "#...#", "#...#", ".#.#.", "..#.."}},
    {"W", {"#...#", "#...#", "#...#", "#.#.#", "#.#.#", "#.#.#", ".#.#."}},
    {"X", {"#...#", "#...#", ".#.#.", "..#..", ".#.#.", "#...#", "#...#"}},
    {"Y", {"#...#", "#...#", ".#.#.", "..#..", "..#..", "..#..", "..#.."}},
    {"Z", {"#####", "....#", "...#.", "..#..", ".#...", "#....", "#####"}},
    {"0", {".###.", "#...#", "#..##", "#.#.#", "##..#", "#...#", ".###."}},
    {"2", {".###.", "#...#", "....#", "...#.", "..#..", ".#...", "#####"}},
    {"5", {"#####", "#....", "####.", "....#", "....#", "#...#", ".###."}},
    {"8", {".###.", "#...#", "#...#", ".###.", "#...#", "#...#", ".###."}},
    {"1", {"..#..", ".##..", "..#..", "..#..", "..#..", "..#..", ".###."}},
    {"3", {"#####", "...#.", "..#..", "...#.", "....#", "#...#", ".###."}},
    {"4", {"...#.", "..##.", ".#.#.", "#..#.", "#####", "...#.", "...#."}},
    {"6", {"..##.", ".#...", "#....", "####.", "#...#", "#...#", ".###."}},
    {"7", {"#####", "....#", "...#.", "..#..", ".#...", ".#...", ".#..."}},
    {"9", {".###.", "#...#", "#...#", ".####", "....#", "...#.", ".##.."}},
    {"?", {".###.", "#...#", "....#", "...#.", "..#..", ".....", "..#.."}},
    {"!", {"..#..", "..#..", "..#..", "..#..", "..#..", ".....", "..#.."}},
    {"#", {".#.#.", ".#.#.", "#####", ".#.#.", "#####", ".#.#.", ".#.#."}},
    {"$", {"..#..", ".####", "#.#..", ".###.", "..#.#", "####.", "..#.."}},
    {"%", {"##...", "##..#", "...#.", "..#..", ".#...", "#..##", "...##"}},
    {"&", {".##..", "#..#.", "#.#..", ".#...", "#.#.#", "#..#.", ".##.#"}},
    {"@", {".###.", "#...#", "#.###", "#.#.#", "#.###", "#....", ".###."}},
    {"*", {".....", "#.#.#", ".###.", "#####", ".###.", "#.#.#", "....."}},
    {"Omega", {".###.", "#...#", "#...#", "#...#", ".#.#.", ".#.#.", "##.##"}},
    {"Sigma", {"#####", "#....", ".#...", "..#..", ".#...", "#....", "#####"}},
    {"Pi",    {"#####", ".#.#.", ".#.#.", ".#.#.", ".#.#.", ".#.#.", ".#.#."}},
    {"Phi",   {"..#..", ".###.", "#.#.#", "#.#.#", "#.#.#", ".###.", "..#.."}},
    {"Psi",   {"#.#.#", "#.#.#", "#.#.#", ".###.", "..#..", "..#..", "..#.."}},
    {"lambda",{"#....", ".#...", ".#...", "..#..", ".#.#.", ".#.#.", "#...#"}},
    {"a", {".....", ".....", ".###.", "....#", ".####", "#...#", ".####"}},
    {"b", {"#....", "#....", "####.", "#...#", "#...#", "#...#", "####."}},
    {"d", {"....#", "....#", ".####", "#...#", "#...#", "#...#", ".####"}},
    {"e", {".....", ".....", ".###.", "#...#", "#####", "#....", ".###."}},
    {"h", {"#....", "#....", "####.", "#...#", "#...#", "#...#", "#...#"}},
    {"k", {"#....", "#....", "#..#.", "#.#..", "##...", "#.#..", "#..#."}},
    {"n", {".....", ".....", "####.", "#...#", "#...#", "#...#", "#...#"}},
    {"r", {".....", ".....", "#.##.", "##..#", "#....", "#....", "#...."}},
    {"t", {".#...", ".#...", "####.", ".#...", ".#...", ".#..#", "..##."}},
    {"u", {".....", ".....", "#...#", "#...#", "#...#", "#..##", ".##.#"}},
    {"m", {".....", ".....", "##.#.", "#.#.#", "#.#.#", "#.#.#", "#.#.#"}},
};

// The sheet in cell order. A rule combines parts from left to right: "+" adds, "-" removes
// and "&" keeps only what both have. A part may be turned: ":v" flips it top to bottom, ":h"
// left to right, ":t" mirrors it on the main diagonal, in the order written.
const char* const kSymbols[] = {
    // Bold shapes, strongest first.
    "square", "box", "ball", "circle", "wedge", "peak", "gem", "kite", "plus", "cross",
    "wedge:v", "peak:v", "bar", "bar:t", "dot", "wedge:t", "wedge:th", "peak:t", "peak:th", "hair",
    "saltire", "slash", "slash:h", "block - core", "ball - pip", "cell", "twin", "twin:t", "glass",
    "glass:t", "heart", "star", "checks", "arrow", "arrow:v", "arrow:t", "arrow:th", "tee",
    "tee:v", "tee:t", "tee:th", "ell", "ell:h", "ell:v", "ell:hv", "house", "moon", "moon:h",
    "moon:t", "moon:tv", "corners", "stripes", "stripes:t", "triple", "triple:t", "chevron",
    "chevron:v", "chevron:t", "chevron:th", "hook", "hook:h", "dice2", "dice3", "dice4",
    "dice5", "core",
    // Letters, digits and signs that no shape or other letter resembles.
    "A", "C", "E", "H", "J", "K", "V", "W", "X", "Y", "1", "2", "3", "4", "6", "7",
    "9", "#", "$", "%", "&", "@", "*", "Omega", "Pi", "lambda", "a", "b", "d", "k",
    "r", "t", "u", "m",
    // Outlines half or partly filled.
    "block & top + frame", "block & top:v + frame", "block & top:t + frame",
    "block & top:th + frame", "block & diag + frame", "block & diag:h + frame",
    "block & diag:v + frame", "block & diag:hv + frame", "ball & top + circle",
    "ball & top:v + circle", "ball & top:t + circle", "ball & top:th + circle",
    "gem & top + kite", "gem & top:v + kite", "gem & top:t + kite", "gem & top:th + kite",
    "block & quarter + frame", "block & quarter:h + frame", "block & quarter:v + frame",
    "block & quarter:hv + frame", "ball & quarter + circle", "ball & quarter:h + circle",
    "ball & quarter:v + circle", "ball & quarter:hv + circle",
    // Outlines with a mark inside.
    "frame + dot", "circle + dot", "kite + spark", "frame + core", "circle + pip",
    "frame + hair", "circle + hair", "kite + hair", "frame + saltire", "saltire & ball + circle",
    "frame + cell", "circle + loop", "frame + slash", "frame + slash:h", "slash & ball + circle",
    "slash:h & ball + circle", "frame + bar", "frame + bar:t", "bar & ball + circle",
    "bar:t & ball + circle",
    // Solid shapes with a mark cut out.
    "block - dot", "ball - dot", "gem - dot", "block - hair", "ball - hair", "gem - hair",
    "block - saltire", "ball - saltire", "block - cell", "ball - loop", "block - slash",
    "block - slash:h", "ball - slash", "ball - slash:h", "plus - dot", "cross - dot",
    "square - dot", "square - hair", "square - saltire", "heart - dot", "star - dot",
    "house - dot", "wedge - dot", "wedge:v - dot",
    // Outlines filled with a pattern, and solid shapes striped white.
    "block & rows + frame", "block & rows:t + frame", "block & waves + frame",
    "block & waves:h + frame", "ball & rows + circle", "ball & rows:t + circle",
    "ball & waves + circle", "ball & waves:h + circle", "gem & rows + kite",
    "gem & rows:t + kite", "block - checks", "waves", "waves:h", "block - rows", "block - rows:t",
    "ball - rows", "ball - rows:t", "gem - rows", "gem - rows:t",
    // Solid pieces: half discs and corner triangles.
    "ball & top", "ball & top:v", "ball & top:t", "ball & top:th", "block & diag",
    "block & diag:h", "block & diag:v", "block & diag:hv",
    // Lines crossing.
    "hair + saltire", "cross + hair", "plus + saltire", "hair - core", "saltire - core",
    // Shapes between bars.
    "edge + dot", "edge:t + dot", "hair & core + edge", "hair & core + edge:t", "edge + cell",
    "edge:t + cell", "edge + mid", "edge:t + mid:t", "edge + core", "edge:t + core",
    "corners + dot", "corners + cell", "hair & core + corners", "saltire & core + corners",
    // Framed dice.
    "frame + dice2", "frame + dice3", "frame + dice4", "frame + dice5", "frame + dice2:h",
    "frame + dice3:h",
    // Pairs of dots, and the tall triangle.
    "pair", "pair:t", "pair + mid", "pair:t + mid:t", "block - pair", "block - pair:t", "ball - pair",
    "ball - pair:t", "edge:t + pair", "edge + pair:t", "tent + dot:v", "pyramid & top:t + tent",
    "pyramid & top:th + tent", "tent + mid:v",
    // More marks between bars, and striped triangles.
    "saltire & core + edge", "saltire & core + edge:t", "corners + core", "wedge - rows",
    "wedge:v - rows", "ball - bar", "ball - bar:t", "gem - bar", "gem - bar:t",
    "ball & diag + circle", "ball & diag:h + circle", "ball & diag:v + circle",
    "ball & diag:hv + circle", "frame + hair + saltire", "hair + saltire & ball + circle",
    "block - hair - saltire", "house:v", "ball & diag", "ball & diag:h", "ball & diag:v",
    "ball & diag:hv",
};
// clang-format on

Glyph FromRows(const char* name, const char* const* rows, int width, int height, int left,
               int top) {
    Glyph glyph;
    for (int y = 0; y < height; ++y) {
        const std::string row = rows[y];
        if (static_cast<int>(row.size()) != width) {
            throw std::logic_error(std::string("symbol part ") + name + ": row " +
                                   std::to_string(y) + " has " + std::to_string(row.size()) +
                                   " pixels");
        }
        for (int x = 0; x < width; ++x) {
            if (row[x] == '#')
                glyph.set((top + y) * kGlyphSize + left + x);
        }
    }
    return glyph;
}

Glyph Turned(const Glyph& glyph, char turn) {
    Glyph result;
    for (int y = 0; y < kGlyphSize; ++y) {
        for (int x = 0; x < kGlyphSize; ++x) {
            int sx = x;
            int sy = y;
            if (turn == 'v')
                sy = kGlyphSize - 1 - y;
            else if (turn == 'h')
                sx = kGlyphSize - 1 - x;
            else if (turn == 't')
                std::swap(sx, sy);
            else
                throw std::logic_error(std::string("unknown turn ") + turn);
            result[y * kGlyphSize + x] = glyph[sy * kGlyphSize + sx];
        }
    }
    return result;
}

class Designs {
  public:
    Designs() {
        for (const Part& part : kParts)
            Add(part.name, FromRows(part.name, part.rows.data(), 9, 9, 0, 0));
        for (const Letter& letter : kLetters) {
            Add(letter.name, FromRows(letter.name, letter.rows.data(), 5, 7, 2, 1));
        }
    }

    Glyph Evaluate(const std::string& rule) const {
        std::istringstream words(rule);
        std::string word;
        words >> word;
        Glyph glyph = Lookup(word);
        std::string op;
        while (words >> op) {
            if (!(words >> word))
                throw std::logic_error("rule ends in an operator: " + rule);
            const Glyph part = Lookup(word);
            if (op == "+")
                glyph |= part;
            else if (op == "-")
                glyph &= ~part;
            else if (op == "&")
                glyph &= part;
            else
                throw std::logic_error("unknown operator in rule: " + rule);
        }
        return glyph;
    }

  private:
    void Add(const std::string& name, const Glyph& glyph) {
        if (!m_parts.emplace(name, glyph).second)
            throw std::logic_error("part twice: " + name);
    }

    Glyph Lookup(const std::string& word) const {
        const auto colon = word.find(':');
        const auto found = m_parts.find(word.substr(0, colon));
        if (found == m_parts.end())
            throw std::logic_error("unknown symbol part: " + word);
        Glyph glyph = found->second;
        if (colon != std::string::npos) {
            for (char turn : word.substr(colon + 1))
                glyph = Turned(glyph, turn);
        }
        return glyph;
    }

    std::map<std::string, Glyph> m_parts;
};

}  // namespace

std::vector<Glyph> SymbolGlyphs(int count) {
    if (count > static_cast<int>(std::size(kSymbols))) {
        throw std::logic_error("the designs have " + std::to_string(std::size(kSymbols)) +
                               " symbols, the sheet needs " + std::to_string(count));
    }
    const Designs designs;
    std::vector<Glyph> glyphs;
    for (int k = 0; k < count; ++k)
        glyphs.push_back(designs.Evaluate(kSymbols[k]));
    return glyphs;
}

}  // namespace brodix
