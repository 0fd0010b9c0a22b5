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
    // Lightest first: ink grows with the number, so that the first palette entries, often the
    // largest areas, stay light.
    {"dice2", 0x2821},  // 0 ⠡
    {"hair - core", 0x271B},  // 1 ✛
    {"saltire - core", 0x2715},  // 2 ✕
    {"dot", 0x25AA},  // 3 ▪
    {"r", 0x0072},  // 4 r
    {"Y", 0x0059},  // 5 Y
    {"1", 0x0031},  // 6 1
    {"lambda", 0x03BB},  // 7 λ
    {"J", 0x004A},  // 8 J
    {"7", 0x0037},  // 9 7
    {"k", 0x006B},  // 10 k
    {"t", 0x0074},  // 11 t
    {"u", 0x0075},  // 12 u
    {"C", 0x0043},  // 13 C
    {"V", 0x0056},  // 14 V
    {"X", 0x0058},  // 15 X
    {"%", 0x0025},  // 16 %
    {"K", 0x004B},  // 17 K
    {"2", 0x0032},  // 18 2
    {"3", 0x0033},  // 19 3
    {"4", 0x0034},  // 20 4
    {"a", 0x0061},  // 21 a
    {"6", 0x0036},  // 22 6
    {"9", 0x0039},  // 23 9
    {"&", 0x0026},  // 24 &
    {"m", 0x006D},  // 25 m
    {"kite", 0x25C7},  // 26 ◇
    {"cell", 0x25AB},  // 27 ▫
    {"corners", 0x2237},  // 28 ∷
    {"dice4", 0x2E2C},  // 29 ⸬
    {"A", 0x0041},  // 30 A
    {"b", 0x0062},  // 31 b
    {"d", 0x0064},  // 32 d
    {"wedge - rows", 0xE021},  // 33 private use
    {"wedge:v - rows", 0xE022},  // 34 private use
    {"hair", 0x253C},  // 35 ┼
    {"saltire", 0x2573},  // 36 ╳
    {"slash", 0x2571},  // 37 ╱
    {"slash:h", 0x2572},  // 38 ╲
    {"dice3", 0x22F1},  // 39 ⋱
    {"H", 0x0048},  // 40 H
    {"W", 0x0057},  // 41 W
    {"$", 0x0024},  // 42 $
    {"*", 0x002A},  // 43 *
    {"Omega", 0x03A9},  // 44 Ω
    {"Pi", 0x03A0},  // 45 Π
    {"peak", 0x25B3},  // 46 △
    {"peak:v", 0x25BD},  // 47 ▽
    {"peak:t", 0x25C1},  // 48 ◁
    {"peak:th", 0x25B7},  // 49 ▷
    {"chevron", 0x2227},  // 50 ∧
    {"chevron:v", 0x2228},  // 51 ∨
    {"chevron:t", 0x003C},  // 52 <
    {"chevron:th", 0x003E},  // 53 >
    {"E", 0x0045},  // 54 E
    {"pair", 0x003A},  // 55 :
    {"pair:t", 0x2025},  // 56 ‥
    {"gem - bar", 0xE039},  // 57 private use
    {"gem - bar:t", 0xE03A},  // 58 private use
    {"#", 0x0023},  // 59 #
    {"@", 0x0040},  // 60 @
    {"moon", 0x0028},  // 61 (
    {"moon:h", 0x0029},  // 62 )
    {"moon:t", 0x25E0},  // 63 ◠
    {"moon:tv", 0x25E1},  // 64 ◡
    {"wedge - dot", 0x27C1},  // 65 ⟁
    {"wedge:v - dot", 0x26DB},  // 66 ⛛
    {"gem - rows", 0xE043},  // 67 private use
    {"gem - rows:t", 0xE044},  // 68 private use
    {"box", 0x25A1},  // 69 □
    {"circle", 0x25CB},  // 70 ○
    {"gem - hair", 0x2756},  // 71 ❖
    {"plus - dot", 0x271C},  // 72 ✜
    {"cross - dot", 0x2718},  // 73 ✘
    {"dice5", 0x2059},  // 74 ⁙
    {"core", 0x25FC},  // 75 ◼
    {"gem & top + kite", 0x2B18},  // 76 ⬘
    {"gem & top:v + kite", 0x2B19},  // 77 ⬙
    {"gem & top:t + kite", 0x2B16},  // 78 ⬖
    {"gem & top:th + kite", 0x2B17},  // 79 ⬗
    {"corners + dot", 0x2E2D},  // 80 ⸭
    {"hair & core + corners", 0xE051},  // 81 private use
    {"saltire & core + corners", 0xE052},  // 82 private use
    {"ball & top", 0x2BCA},  // 83 ⯊
    {"ball & top:v", 0x2BCB},  // 84 ⯋
    {"ball & top:t", 0x25D6},  // 85 ◖
    {"ball & top:th", 0x25D7},  // 86 ◗
    {"bar", 0x25AC},  // 87 ▬
    {"bar:t", 0x25AE},  // 88 ▮
    {"triple", 0x2261},  // 89 ≡
    {"triple:t", 0x2980},  // 90 ⦀
    {"star - dot", 0x272B},  // 91 ✫
    {"waves", 0x1FB99},  // 92 🮙
    {"waves:h", 0x1FB98},  // 93 🮘
    {"pair + mid", 0x00F7},  // 94 ÷
    {"pair:t + mid:t", 0xE05F},  // 95 private use
    {"arrow", 0x2B06},  // 96 ⬆
    {"arrow:v", 0x2B07},  // 97 ⬇
    {"arrow:t", 0x2B05},  // 98 ⬅
    {"arrow:th", 0x27A1},  // 99 ➡
    {"ell", 0x2517},  // 100 ┗
    {"ell:h", 0x251B},  // 101 ┛
    {"ell:v", 0x250F},  // 102 ┏
    {"ell:hv", 0x2513},  // 103 ┓
    {"kite + spark", 0x25C8},  // 104 ◈
    {"kite + hair", 0x27D0},  // 105 ⟐
    {"gem & rows + kite", 0xE06A},  // 106 private use
    {"gem & rows:t + kite", 0xE06B},  // 107 private use
    {"wedge", 0x25B2},  // 108 ▲
    {"wedge:v", 0x25BC},  // 109 ▼
    {"wedge:t", 0x25C0},  // 110 ◀
    {"wedge:th", 0x25B6},  // 111 ▶
    {"tent + mid:v", 0x1F701},  // 112 🜁
    {"gem - dot", 0x29EB},  // 113 ⧫
    {"corners + cell", 0x26F6},  // 114 ⛶
    {"plus", 0x271A},  // 115 ✚
    {"cross", 0x2716},  // 116 ✖
    {"circle + dot", 0x2299},  // 117 ⊙
    {"saltire & ball + circle", 0x2297},  // 118 ⊗
    {"slash & ball + circle", 0x2298},  // 119 ⊘
    {"slash:h & ball + circle", 0x29B8},  // 120 ⦸
    {"hair + saltire", 0x2733},  // 121 ✳
    {"tent + dot:v", 0x25EC},  // 122 ◬
    {"pyramid & top:t + tent", 0x25ED},  // 123 ◭
    {"pyramid & top:th + tent", 0x25EE},  // 124 ◮
    {"ball - bar", 0xE07D},  // 125 private use
    {"ball - bar:t", 0xE07E},  // 126 private use
    {"ball & diag", 0xE07F},  // 127 private use
    {"ball & diag:h", 0xE080},  // 128 private use
    {"ball & diag:v", 0xE081},  // 129 private use
    {"ball & diag:hv", 0xE082},  // 130 private use
    {"twin", 0x2550},  // 131 ═
    {"twin:t", 0x2551},  // 132 ║
    {"star", 0x2605},  // 133 ★
    {"stripes", 0x2263},  // 134 ≣
    {"stripes:t", 0x1D363},  // 135 𝍣
    {"hook", 0x005A},  // 136 Z
    {"hook:h", 0xE089},  // 137 private use
    {"circle + loop", 0x25CE},  // 138 ◎
    {"square - hair", 0xE08B},  // 139 private use
    {"square - saltire", 0x26DD},  // 140 ⛝
    {"ball & waves + circle", 0xE08D},  // 141 private use
    {"ball & waves:h + circle", 0xE08E},  // 142 private use
    {"block - checks", 0x205C},  // 143 ⁜
    {"ball & quarter + circle", 0x25F4},  // 144 ◴
    {"ball & quarter:h + circle", 0x25F7},  // 145 ◷
    {"ball & quarter:v + circle", 0x25F5},  // 146 ◵
    {"ball & quarter:hv + circle", 0x25F6},  // 147 ◶
    {"circle + hair", 0x2295},  // 148 ⊕
    {"heart - dot", 0x2661},  // 149 ♡
    {"ball - rows", 0xE096},  // 150 private use
    {"ball - rows:t", 0xE097},  // 151 private use
    {"ball & top + circle", 0x25D3},  // 152 ◓
    {"ball & top:v + circle", 0x25D2},  // 153 ◒
    {"ball & top:t + circle", 0x25D0},  // 154 ◐
    {"ball & top:th + circle", 0x25D1},  // 155 ◑
    {"ball - pip", 0x2B58},  // 156 ⭘
    {"square - dot", 0x1F793},  // 157 🞓
    {"frame + dice2", 0xE09E},  // 158 private use
    {"frame + dice2:h", 0x2681},  // 159 ⚁
    {"gem", 0x25C6},  // 160 ◆
    {"tee", 0x22A4},  // 161 ⊤
    {"tee:v", 0x22A5},  // 162 ⊥
    {"tee:t", 0x22A2},  // 163 ⊢
    {"tee:th", 0x22A3},  // 164 ⊣
    {"frame + dot", 0x25A3},  // 165 ▣
    {"ball & rows + circle", 0x229C},  // 166 ⊜
    {"ball & rows:t + circle", 0x25CD},  // 167 ◍
    {"corners + core", 0xE0A8},  // 168 private use
    {"ball - pair", 0xE0A9},  // 169 private use
    {"ball - pair:t", 0x2689},  // 170 ⚉
    {"ball - hair", 0x26D2},  // 171 ⛒
    {"house - dot", 0x2B20},  // 172 ⬠
    {"glass", 0x29D7},  // 173 ⧗
    {"glass:t", 0x29D3},  // 174 ⧓
    {"checks", 0x1FB95},  // 175 🮕
    {"circle + pip", 0x25C9},  // 176 ◉
    {"frame + hair", 0x229E},  // 177 ⊞
    {"frame + saltire", 0x22A0},  // 178 ⊠
    {"frame + slash", 0x29C4},  // 179 ⧄
    {"frame + slash:h", 0x29C5},  // 180 ⧅
    {"bar & ball + circle", 0x2296},  // 181 ⊖
    {"bar:t & ball + circle", 0x29B6},  // 182 ⦶
    {"block & diag", 0x25E4},  // 183 ◤
    {"block & diag:h", 0x25E5},  // 184 ◥
    {"block & diag:v", 0x25E3},  // 185 ◣
    {"block & diag:hv", 0x25E2},  // 186 ◢
    {"cross + hair", 0x2734},  // 187 ✴
    {"plus + saltire", 0x2737},  // 188 ✷
    {"edge + dot", 0xE0BD},  // 189 private use
    {"edge:t + dot", 0xE0BE},  // 190 private use
    {"hair & core + edge", 0x2336},  // 191 ⌶
    {"hair & core + edge:t", 0x27DB},  // 192 ⟛
    {"edge + mid", 0x039E},  // 193 Ξ
    {"edge:t + mid:t", 0x2162},  // 194 Ⅲ
    {"saltire & core + edge", 0xE0C3},  // 195 private use
    {"saltire & core + edge:t", 0xE0C4},  // 196 private use
    {"ball & diag + circle", 0xE0C5},  // 197 private use
    {"ball & diag:h + circle", 0xE0C6},  // 198 private use
    {"ball & diag:v + circle", 0xE0C7},  // 199 private use
    {"ball & diag:hv + circle", 0xE0C8},  // 200 private use
    {"hair + saltire & ball + circle", 0x229B},  // 201 ⊛
    {"heart", 0x2665},  // 202 ♥
    {"block & quarter + frame", 0x25F0},  // 203 ◰
    {"block & quarter:h + frame", 0x25F3},  // 204 ◳
    {"block & quarter:v + frame", 0x25F1},  // 205 ◱
    {"block & quarter:hv + frame", 0x25F2},  // 206 ◲
    {"frame + cell", 0x29C8},  // 207 ⧈
    {"ball - saltire", 0x2B59},  // 208 ⭙
    {"ball - slash", 0xE0D1},  // 209 private use
    {"ball - slash:h", 0xE0D2},  // 210 private use
    {"block & waves + frame", 0x25A8},  // 211 ▨
    {"block & waves:h + frame", 0x25A7},  // 212 ▧
    {"frame + dice4", 0x2683},  // 213 ⚃
    {"block - hair - saltire", 0xE0D6},  // 214 private use
    {"square", 0x25A0},  // 215 ■
    {"ball - loop", 0x29BF},  // 216 ⦿
    {"frame + dice3", 0xE0D9},  // 217 private use
    {"frame + dice3:h", 0x2682},  // 218 ⚂
    {"ball - dot", 0x25D9},  // 219 ◙
    {"edge + cell", 0xE0DC},  // 220 private use
    {"edge:t + cell", 0xE0DD},  // 221 private use
    {"house", 0x2B1F},  // 222 ⬟
    {"block & top + frame", 0x2B12},  // 223 ⬒
    {"block & top:v + frame", 0x2B13},  // 224 ⬓
    {"block & top:t + frame", 0x25E7},  // 225 ◧
    {"block & top:th + frame", 0x25E8},  // 226 ◨
    {"frame + bar", 0x229F},  // 227 ⊟
    {"frame + bar:t", 0x25EB},  // 228 ◫
    {"block & rows + frame", 0x25A4},  // 229 ▤
    {"block & rows:t + frame", 0x25A5},  // 230 ▥
    {"house:v", 0x2BC2},  // 231 ⯂
    {"block - rows", 0x2630},  // 232 ☰
    {"block - rows:t", 0xE0E9},  // 233 private use
    {"edge:t + pair", 0xE0EA},  // 234 private use
    {"edge + pair:t", 0xE0EB},  // 235 private use
    {"block - core", 0x1F791},  // 236 🞑
    {"frame + core", 0x1F795},  // 237 🞕
    {"frame + dice5", 0x2684},  // 238 ⚄
    {"frame + hair + saltire", 0x29C6},  // 239 ⧆
    {"block & diag + frame", 0x25E9},  // 240 ◩
    {"block & diag:h + frame", 0x2B14},  // 241 ⬔
    {"block & diag:v + frame", 0x2B15},  // 242 ⬕
    {"block & diag:hv + frame", 0x25EA},  // 243 ◪
    {"ball", 0x25CF},  // 244 ●
    {"edge + core", 0xE0F5},  // 245 private use
    {"edge:t + core", 0xE0F6},  // 246 private use
    {"block - pair", 0xE0F7},  // 247 private use
    {"block - pair:t", 0xE0F8},  // 248 private use
    {"block - hair", 0x25A6},  // 249 ▦
    {"block - saltire", 0x274E},  // 250 ❎
    {"block - slash", 0xE0FB},  // 251 private use
    {"block - slash:h", 0x26DE},  // 252 ⛞
    {"block - cell", 0x1F796},  // 253 🞖
    {"block - dot", 0x25D8},  // 254 ◘
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
