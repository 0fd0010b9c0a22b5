#include "engine/SymbolSheet.h"

#include <array>
#include <stdexcept>
#include <string>

#include "raster/Utf8.h"

namespace brodix {

namespace {

// The designs are rules over the parts of tools/SymbolDesigns.cpp, which explains them. Where a
// symbol has no look-alike, its code is U+E000 plus its number, so that it stays the same when
// others gain one.
// clang-format off
constexpr std::array<SheetSymbol, kSymbolCount> kSheetSymbols = {{
    // Bold shapes, strongest first.
    {"square", 0x25A0},  // 0 ■
    {"box", 0x25A1},  // 1 □
    {"ball", 0x25CF},  // 2 ●
    {"circle", 0x25CB},  // 3 ○
    {"wedge", 0x25B2},  // 4 ▲
    {"peak", 0x25B3},  // 5 △
    {"gem", 0x25C6},  // 6 ◆
    {"kite", 0x25C7},  // 7 ◇
    {"plus", 0x271A},  // 8 ✚
    {"cross", 0x2716},  // 9 ✖
    {"wedge:v", 0x25BC},  // 10 ▼
    {"peak:v", 0x25BD},  // 11 ▽
    {"bar", 0x25AC},  // 12 ▬
    {"bar:t", 0x25AE},  // 13 ▮
    {"dot", 0x25AA},  // 14 ▪
    {"wedge:t", 0x25C0},  // 15 ◀
    {"wedge:th", 0x25B6},  // 16 ▶
    {"peak:t", 0x25C1},  // 17 ◁
    {"peak:th", 0x25B7},  // 18 ▷
    {"hair", 0x253C},  // 19 ┼
    {"saltire", 0x2573},  // 20 ╳
    {"slash", 0x2571},  // 21 ╱
    {"slash:h", 0x2572},  // 22 ╲
    {"block - core", 0x1F791},  // 23 🞑
    {"ball - pip", 0x2B58},  // 24 ⭘
    {"cell", 0x25AB},  // 25 ▫
    {"twin", 0x2550},  // 26 ═
    {"twin:t", 0x2551},  // 27 ║
    {"glass", 0x29D7},  // 28 ⧗
    {"glass:t", 0x29D3},  // 29 ⧓
    {"heart", 0x2665},  // 30 ♥
    {"star", 0x2605},  // 31 ★
    {"checks", 0x1FB95},  // 32 🮕
    {"arrow", 0x2B06},  // 33 ⬆
    {"arrow:v", 0x2B07},  // 34 ⬇
    {"arrow:t", 0x2B05},  // 35 ⬅
    {"arrow:th", 0x27A1},  // 36 ➡
    {"tee", 0x22A4},  // 37 ⊤
    {"tee:v", 0x22A5},  // 38 ⊥
    {"tee:t", 0x22A2},  // 39 ⊢
    {"tee:th", 0x22A3},  // 40 ⊣
    {"ell", 0x2517},  // 41 ┗
    {"ell:h", 0x251B},  // 42 ┛
    {"ell:v", 0x250F},  // 43 ┏
    {"ell:hv", 0x2513},  // 44 ┓
    {"house", 0x2B1F},  // 45 ⬟
    {"moon", 0x0028},  // 46 (
    {"moon:h", 0x0029},  // 47 )
    {"moon:t", 0x25E0},  // 48 ◠
    {"moon:tv", 0x25E1},  // 49 ◡
    {"corners", 0x2237},  // 50 ∷
    {"stripes", 0x2263},  // 51 ≣
    {"stripes:t", 0x1D363},  // 52 𝍣
    {"triple", 0x2261},  // 53 ≡
    {"triple:t", 0x2980},  // 54 ⦀
    {"chevron", 0x2227},  // 55 ∧
    {"chevron:v", 0x2228},  // 56 ∨
    {"chevron:t", 0x003C},  // 57 <
    {"chevron:th", 0x003E},  // 58 >
    {"hook", 0x005A},  // 59 Z
    {"hook:h", 0xE03C},  // 60 private use
    {"dice2", 0x2821},  // 61 ⠡
    {"dice3", 0x22F1},  // 62 ⋱
    {"dice4", 0x2E2C},  // 63 ⸬
    {"dice5", 0x2059},  // 64 ⁙
    {"core", 0x25FC},  // 65 ◼
    // Letters, digits and signs that no shape or other letter resembles.
    {"A", 0x0041},  // 66 A
    {"C", 0x0043},  // 67 C
    {"E", 0x0045},  // 68 E
    {"H", 0x0048},  // 69 H
    {"J", 0x004A},  // 70 J
    {"K", 0x004B},  // 71 K
    {"V", 0x0056},  // 72 V
    {"W", 0x0057},  // 73 W
    {"X", 0x0058},  // 74 X
    {"Y", 0x0059},  // 75 Y
    {"1", 0x0031},  // 76 1
    {"2", 0x0032},  // 77 2
    {"3", 0x0033},  // 78 3
    {"4", 0x0034},  // 79 4
    {"6", 0x0036},  // 80 6
    {"7", 0x0037},  // 81 7
    {"9", 0x0039},  // 82 9
    {"#", 0x0023},  // 83 #
    {"$", 0x0024},  // 84 $
    {"%", 0x0025},  // 85 %
    {"&", 0x0026},  // 86 &
    {"@", 0x0040},  // 87 @
    {"*", 0x002A},  // 88 *
    {"Omega", 0x03A9},  // 89 Ω
    {"Pi", 0x03A0},  // 90 Π
    {"lambda", 0x03BB},  // 91 λ
    {"a", 0x0061},  // 92 a
    {"b", 0x0062},  // 93 b
    {"d", 0x0064},  // 94 d
    {"k", 0x006B},  // 95 k
    {"r", 0x0072},  // 96 r
    {"t", 0x0074},  // 97 t
    {"u", 0x0075},  // 98 u
    {"m", 0x006D},  // 99 m
    // Outlines half or partly filled.
    {"block & top + frame", 0x2B12},  // 100 ⬒
    {"block & top:v + frame", 0x2B13},  // 101 ⬓
    {"block & top:t + frame", 0x25E7},  // 102 ◧
    {"block & top:th + frame", 0x25E8},  // 103 ◨
    {"block & diag + frame", 0x25E9},  // 104 ◩
    {"block & diag:h + frame", 0x2B14},  // 105 ⬔
    {"block & diag:v + frame", 0x2B15},  // 106 ⬕
    {"block & diag:hv + frame", 0x25EA},  // 107 ◪
    {"ball & top + circle", 0x25D3},  // 108 ◓
    {"ball & top:v + circle", 0x25D2},  // 109 ◒
    {"ball & top:t + circle", 0x25D0},  // 110 ◐
    {"ball & top:th + circle", 0x25D1},  // 111 ◑
    {"gem & top + kite", 0x2B18},  // 112 ⬘
    {"gem & top:v + kite", 0x2B19},  // 113 ⬙
    {"gem & top:t + kite", 0x2B16},  // 114 ⬖
    {"gem & top:th + kite", 0x2B17},  // 115 ⬗
    {"block & quarter + frame", 0x25F0},  // 116 ◰
    {"block & quarter:h + frame", 0x25F3},  // 117 ◳
    {"block & quarter:v + frame", 0x25F1},  // 118 ◱
    {"block & quarter:hv + frame", 0x25F2},  // 119 ◲
    {"ball & quarter + circle", 0x25F4},  // 120 ◴
    {"ball & quarter:h + circle", 0x25F7},  // 121 ◷
    {"ball & quarter:v + circle", 0x25F5},  // 122 ◵
    {"ball & quarter:hv + circle", 0x25F6},  // 123 ◶
    // Outlines with a mark inside.
    {"frame + dot", 0x25A3},  // 124 ▣
    {"circle + dot", 0x2299},  // 125 ⊙
    {"kite + spark", 0x25C8},  // 126 ◈
    {"frame + core", 0x1F795},  // 127 🞕
    {"circle + pip", 0x25C9},  // 128 ◉
    {"frame + hair", 0x229E},  // 129 ⊞
    {"circle + hair", 0x2295},  // 130 ⊕
    {"kite + hair", 0x27D0},  // 131 ⟐
    {"frame + saltire", 0x22A0},  // 132 ⊠
    {"saltire & ball + circle", 0x2297},  // 133 ⊗
    {"frame + cell", 0x29C8},  // 134 ⧈
    {"circle + loop", 0x25CE},  // 135 ◎
    {"frame + slash", 0x29C4},  // 136 ⧄
    {"frame + slash:h", 0x29C5},  // 137 ⧅
    {"slash & ball + circle", 0x2298},  // 138 ⊘
    {"slash:h & ball + circle", 0x29B8},  // 139 ⦸
    {"frame + bar", 0x229F},  // 140 ⊟
    {"frame + bar:t", 0x25EB},  // 141 ◫
    {"bar & ball + circle", 0x2296},  // 142 ⊖
    {"bar:t & ball + circle", 0x29B6},  // 143 ⦶
    // Solid shapes with a mark cut out.
    {"block - dot", 0x25D8},  // 144 ◘
    {"ball - dot", 0x25D9},  // 145 ◙
    {"gem - dot", 0x29EB},  // 146 ⧫
    {"block - hair", 0x25A6},  // 147 ▦
    {"ball - hair", 0x26D2},  // 148 ⛒
    {"gem - hair", 0x2756},  // 149 ❖
    {"block - saltire", 0x274E},  // 150 ❎
    {"ball - saltire", 0x2B59},  // 151 ⭙
    {"block - cell", 0x1F796},  // 152 🞖
    {"ball - loop", 0x29BF},  // 153 ⦿
    {"block - slash", 0xE09A},  // 154 private use
    {"block - slash:h", 0x26DE},  // 155 ⛞
    {"ball - slash", 0xE09C},  // 156 private use
    {"ball - slash:h", 0xE09D},  // 157 private use
    {"plus - dot", 0x271C},  // 158 ✜
    {"cross - dot", 0x2718},  // 159 ✘
    {"square - dot", 0x1F793},  // 160 🞓
    {"square - hair", 0xE0A1},  // 161 private use
    {"square - saltire", 0x26DD},  // 162 ⛝
    {"heart - dot", 0x2661},  // 163 ♡
    {"star - dot", 0x272B},  // 164 ✫
    {"house - dot", 0x2B20},  // 165 ⬠
    {"wedge - dot", 0x27C1},  // 166 ⟁
    {"wedge:v - dot", 0x26DB},  // 167 ⛛
    // Outlines filled with a pattern, and solid shapes striped white.
    {"block & rows + frame", 0x25A4},  // 168 ▤
    {"block & rows:t + frame", 0x25A5},  // 169 ▥
    {"block & waves + frame", 0x25A8},  // 170 ▨
    {"block & waves:h + frame", 0x25A7},  // 171 ▧
    {"ball & rows + circle", 0x229C},  // 172 ⊜
    {"ball & rows:t + circle", 0x25CD},  // 173 ◍
    {"ball & waves + circle", 0xE0AE},  // 174 private use
    {"ball & waves:h + circle", 0xE0AF},  // 175 private use
    {"gem & rows + kite", 0xE0B0},  // 176 private use
    {"gem & rows:t + kite", 0xE0B1},  // 177 private use
    {"block - checks", 0x205C},  // 178 ⁜
    {"waves", 0x1FB99},  // 179 🮙
    {"waves:h", 0x1FB98},  // 180 🮘
    {"block - rows", 0x2630},  // 181 ☰
    {"block - rows:t", 0xE0B6},  // 182 private use
    {"ball - rows", 0xE0B7},  // 183 private use
    {"ball - rows:t", 0xE0B8},  // 184 private use
    {"gem - rows", 0xE0B9},  // 185 private use
    {"gem - rows:t", 0xE0BA},  // 186 private use
    // Solid pieces: half discs and corner triangles.
    {"ball & top", 0x2BCA},  // 187 ⯊
    {"ball & top:v", 0x2BCB},  // 188 ⯋
    {"ball & top:t", 0x25D6},  // 189 ◖
    {"ball & top:th", 0x25D7},  // 190 ◗
    {"block & diag", 0x25E4},  // 191 ◤
    {"block & diag:h", 0x25E5},  // 192 ◥
    {"block & diag:v", 0x25E3},  // 193 ◣
    {"block & diag:hv", 0x25E2},  // 194 ◢
    // Lines crossing.
    {"hair + saltire", 0x2733},  // 195 ✳
    {"cross + hair", 0x2734},  // 196 ✴
    {"plus + saltire", 0x2737},  // 197 ✷
    {"hair - core", 0x271B},  // 198 ✛
    {"saltire - core", 0x2715},  // 199 ✕
    // Shapes between bars.
    {"edge + dot", 0xE0C8},  // 200 private use
    {"edge:t + dot", 0xE0C9},  // 201 private use
    {"hair & core + edge", 0x2336},  // 202 ⌶
    {"hair & core + edge:t", 0x27DB},  // 203 ⟛
    {"edge + cell", 0xE0CC},  // 204 private use
    {"edge:t + cell", 0xE0CD},  // 205 private use
    {"edge + mid", 0x039E},  // 206 Ξ
    {"edge:t + mid:t", 0x2162},  // 207 Ⅲ
    {"edge + core", 0xE0D0},  // 208 private use
    {"edge:t + core", 0xE0D1},  // 209 private use
    {"corners + dot", 0x2E2D},  // 210 ⸭
    {"corners + cell", 0x26F6},  // 211 ⛶
    {"hair & core + corners", 0xE0D4},  // 212 private use
    {"saltire & core + corners", 0xE0D5},  // 213 private use
    // Framed dice.
    {"frame + dice2", 0xE0D6},  // 214 private use
    {"frame + dice3", 0xE0D7},  // 215 private use
    {"frame + dice4", 0x2683},  // 216 ⚃
    {"frame + dice5", 0x2684},  // 217 ⚄
    {"frame + dice2:h", 0x2681},  // 218 ⚁
    {"frame + dice3:h", 0x2682},  // 219 ⚂
    // Pairs of dots, and the tall triangle.
    {"pair", 0x003A},  // 220 :
    {"pair:t", 0x2025},  // 221 ‥
    {"pair + mid", 0x00F7},  // 222 ÷
    {"pair:t + mid:t", 0xE0DF},  // 223 private use
    {"block - pair", 0xE0E0},  // 224 private use
    {"block - pair:t", 0xE0E1},  // 225 private use
    {"ball - pair", 0xE0E2},  // 226 private use
    {"ball - pair:t", 0x2689},  // 227 ⚉
    {"edge:t + pair", 0xE0E4},  // 228 private use
    {"edge + pair:t", 0xE0E5},  // 229 private use
    {"tent + dot:v", 0x25EC},  // 230 ◬
    {"pyramid & top:t + tent", 0x25ED},  // 231 ◭
    {"pyramid & top:th + tent", 0x25EE},  // 232 ◮
    {"tent + mid:v", 0x1F701},  // 233 🜁
    // More marks between bars, and striped triangles.
    {"saltire & core + edge", 0xE0EA},  // 234 private use
    {"saltire & core + edge:t", 0xE0EB},  // 235 private use
    {"corners + core", 0xE0EC},  // 236 private use
    {"wedge - rows", 0xE0ED},  // 237 private use
    {"wedge:v - rows", 0xE0EE},  // 238 private use
    {"ball - bar", 0xE0EF},  // 239 private use
    {"ball - bar:t", 0xE0F0},  // 240 private use
    {"gem - bar", 0xE0F1},  // 241 private use
    {"gem - bar:t", 0xE0F2},  // 242 private use
    {"ball & diag + circle", 0xE0F3},  // 243 private use
    {"ball & diag:h + circle", 0xE0F4},  // 244 private use
    {"ball & diag:v + circle", 0xE0F5},  // 245 private use
    {"ball & diag:hv + circle", 0xE0F6},  // 246 private use
    {"frame + hair + saltire", 0x29C6},  // 247 ⧆
    {"hair + saltire & ball + circle", 0x229B},  // 248 ⊛
    {"block - hair - saltire", 0xE0F9},  // 249 private use
    {"house:v", 0x2BC2},  // 250 ⯂
    {"ball & diag", 0xE0FB},  // 251 private use
    {"ball & diag:h", 0xE0FC},  // 252 private use
    {"ball & diag:v", 0xE0FD},  // 253 private use
    {"ball & diag:hv", 0xE0FE},  // 254 private use
}};
// clang-format on

}  // namespace

std::span<const SheetSymbol> SheetSymbols() {
    return kSheetSymbols;
}

char32_t SymbolCharacter(int k) {
    if (k < 0 || k >= kSymbolCount)
        throw std::out_of_range("no symbol " + std::to_string(k) + " on the sheet");
    return kSheetSymbols[static_cast<std::size_t>(k)].character;
}

std::string SymbolText(int k) {
    return Utf8Of(SymbolCharacter(k));
}

}  // namespace brodix
