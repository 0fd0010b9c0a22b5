#include "engine/SymbolSheet.h"

#include <array>
#include <stdexcept>
#include <string>

#include "raster/Utf8.h"

namespace brodix {

namespace {

// The designs are rules over the parts of tools/SymbolDesigns.cpp, which explains them. Each
// symbol looks like the character that stands for it.
// clang-format off
constexpr std::array<SheetSymbol, kSymbolCount> kSheetSymbols = {{
    // In the order FarthestFirstOrder (engine/SymbolLikeness.h) chooses, from the light mark:
    // tools/symbol_order prints these lines.
    {"dot", 0x25AA},  // 0 ▪
    {"integral", 0x222B},  // 1 ∫
    {"tilde", 0x007E},  // 2 ~
    {"u", 0x0075},  // 3 u
    {"bracket:h", 0x005D},  // 4 ]
    {"Y", 0x0059},  // 5 Y
    {"lambda", 0x03BB},  // 6 λ
    {"kite", 0x25C7},  // 7 ◇
    {"hair", 0x253C},  // 8 ┼
    {"slash:h", 0x2572},  // 9 ╲
    {"saltire", 0x2573},  // 10 ╳
    {"male", 0x2642},  // 11 ♂
    {"invertedquestion", 0x00BF},  // 12 ¿
    {"check", 0x2713},  // 13 ✓
    {"euro", 0x20AC},  // 14 €
    {"moon", 0x0028},  // 15 (
    {"r", 0x0072},  // 16 r
    {"1", 0x0031},  // 17 1
    {"cap", 0x2229},  // 18 ∩
    {"caret", 0x005E},  // 19 ^
    {"equals", 0x003D},  // 20 =
    {"%", 0x0025},  // 21 %
    {"2", 0x0032},  // 22 2
    {"El", 0x041B},  // 23 Л
    {"northeast:h", 0x2196},  // 24 ↖
    {"peak:v", 0x25BD},  // 25 ▽
    {"circle", 0x25CB},  // 26 ○
    {"7", 0x0037},  // 27 7
    {"note", 0x266A},  // 28 ♪
    {"K", 0x004B},  // 29 K
    {"dagger", 0x271D},  // 30 ✝
    {"Zhe", 0x0416},  // 31 Ж
    {"cross - dot", 0x2718},  // 32 ✘
    {"ball & top", 0x2BCA},  // 33 ⯊
    {"bar", 0x25AC},  // 34 ▬
    {"triple", 0x2261},  // 35 ≡
    {"not", 0x00AC},  // 36 ¬
    {"infinity", 0x221E},  // 37 ∞
    {"a", 0x0061},  // 38 a
    {"9", 0x0039},  // 39 9
    {"b", 0x0062},  // 40 b
    {"wedge - dot", 0x27C1},  // 41 ⟁
    {"plus - dot", 0x271C},  // 42 ✜
    {"Yu", 0x042E},  // 43 Ю
    {"star - dot", 0x272B},  // 44 ✫
    {"root", 0x221A},  // 45 √
    {"up:v", 0x2193},  // 46 ↓
    {"sharp", 0x266F},  // 47 ♯
    {"arrow:v", 0x2B07},  // 48 ⬇
    {"ell", 0x2517},  // 49 ┗
    {"J", 0x004A},  // 50 J
    {"t", 0x0074},  // 51 t
    {"anchor", 0x2693},  // 52 ⚓
    {"pilcrow", 0x00B6},  // 53 ¶
    {"flag", 0x2690},  // 54 ⚐
    {"whiteup", 0x21E7},  // 55 ⇧
    {"gem & top + kite", 0x2B18},  // 56 ⬘
    {"wedge:v", 0x25BC},  // 57 ▼
    {"bowtie", 0x22C8},  // 58 ⋈
    {"*", 0x002A},  // 59 *
    {"chevron", 0x2227},  // 60 ∧
    {"home", 0x2302},  // 61 ⌂
    {"corners + cell", 0x26F6},  // 62 ⛶
    {"alpha", 0x03B1},  // 63 α
    {"X", 0x0058},  // 64 X
    {"Psi", 0x03A8},  // 65 Ψ
    {"Tse", 0x0426},  // 66 Ц
    {"A", 0x0041},  // 67 A
    {"$", 0x0024},  // 68 $
    {"E:h", 0x2203},  // 69 ∃
    {"hair + saltire", 0x2733},  // 70 ✳
    {"tent + dot:v", 0x25EC},  // 71 ◬
    {"plusminus", 0x00B1},  // 72 ±
    {"W", 0x0057},  // 73 W
    {"Sha", 0x0428},  // 74 Ш
    {"twin", 0x2550},  // 75 ═
    {"tau", 0x03C4},  // 76 τ
    {"4", 0x0034},  // 77 4
    {"pound", 0x00A3},  // 78 £
    {"section", 0x00A7},  // 79 §
    {"De", 0x0414},  // 80 Д
    {"stripes:t", 0x1D363},  // 81 𝍣
    {"plussign", 0x002B},  // 82 +
    {"Delta", 0x0394},  // 83 Δ
    {"beta", 0x03B2},  // 84 β
    {"hexagon", 0x2B21},  // 85 ⬡
    {"pyramid & top:t + tent", 0x25ED},  // 86 ◭
    {"hook", 0x005A},  // 87 Z
    {"square - saltire", 0x26DD},  // 88 ⛝
    {"block - checks", 0x205C},  // 89 ⁜
    {"ball & quarter + circle", 0x25F4},  // 90 ◴
    {"heart - dot", 0x2661},  // 91 ♡
    {"ball & top:v + circle", 0x25D2},  // 92 ◒
    {"k", 0x006B},  // 93 k
    {"m", 0x006D},  // 94 m
    {"Omega", 0x03A9},  // 95 Ω
    {"Pi", 0x03A0},  // 96 Π
    {"ankh", 0x2625},  // 97 ☥
    {"R", 0x0052},  // 98 R
    {"box", 0x25A1},  // 99 □
    {"kite + hair", 0x27D0},  // 100 ⟐
    {"cross", 0x2716},  // 101 ✖
    {"circle + dot", 0x2299},  // 102 ⊙
    {"ball - pip", 0x2B58},  // 103 ⭘
    {"gem", 0x25C6},  // 104 ◆
    {"tee", 0x22A4},  // 105 ⊤
    {"V", 0x0056},  // 106 V
    {"&", 0x0026},  // 107 &
    {"H", 0x0048},  // 108 H
    {"yen", 0x00A5},  // 109 ¥
    {"@", 0x0040},  // 110 @
    {"gem - hair", 0x2756},  // 111 ❖
    {"pair + mid", 0x00F7},  // 112 ÷
    {"pennant", 0x2691},  // 113 ⚑
    {"star", 0x2605},  // 114 ★
    {"circle + loop", 0x25CE},  // 115 ◎
    {"square - dot", 0x1F793},  // 116 🞓
    {"frame + dot", 0x25A3},  // 117 ▣
    {"y", 0x0079},  // 118 y
    {"3", 0x0033},  // 119 3
    {"female", 0x2640},  // 120 ♀
    {"#", 0x0023},  // 121 #
    {"sparkle", 0x2726},  // 122 ✦
    {"gem - dot", 0x29EB},  // 123 ⧫
    {"plus", 0x271A},  // 124 ✚
    {"ball - pair:t", 0x2689},  // 125 ⚉
    {"Phi", 0x03A6},  // 126 Φ
    {"kite + spark", 0x25C8},  // 127 ◈
    {"club", 0x2663},  // 128 ♣
    {"eject", 0x23CF},  // 129 ⏏
    {"ball - hair", 0x26D2},  // 130 ⛒
    {"saltire & ball + circle", 0x2297},  // 131 ⊗
    {"circle + hair", 0x2295},  // 132 ⊕
    {"house - dot", 0x2B20},  // 133 ⬠
    {"slash & ball + circle", 0x2298},  // 134 ⊘
    {"glass", 0x29D7},  // 135 ⧗
    {"checks", 0x1FB95},  // 136 🮕
    {"circle + pip", 0x25C9},  // 137 ◉
    {"frame + saltire", 0x22A0},  // 138 ⊠
    {"frame + slash", 0x29C4},  // 139 ⧄
    {"frame + hair", 0x229E},  // 140 ⊞
    {"bar & ball + circle", 0x2296},  // 141 ⊖
    {"block & diag", 0x25E4},  // 142 ◤
    {"cross + hair", 0x2734},  // 143 ✴
    {"plus + saltire", 0x2737},  // 144 ✷
    {"hair & core + edge", 0x2336},  // 145 ⌶
    {"edge + mid", 0x039E},  // 146 Ξ
    {"spade", 0x2660},  // 147 ♠
    {"heart", 0x2665},  // 148 ♥
    {"block & quarter + frame", 0x25F0},  // 149 ◰
    {"frame + cell", 0x29C8},  // 150 ⧈
    {"mu", 0x03BC},  // 151 μ
    {"northeast", 0x2197},  // 152 ↗
    {"6", 0x0036},  // 153 6
    {"bracket", 0x005B},  // 154 [
    {"partial", 0x2202},  // 155 ∂
    {"northeast:v", 0x2198},  // 156 ↘
    {"northeast:hv", 0x2199},  // 157 ↙
    {"d", 0x0064},  // 158 d
    {"slash", 0x2571},  // 159 ╱
    {"up", 0x2191},  // 160 ↑
    {"up:t", 0x2190},  // 161 ←
    {"up:th", 0x2192},  // 162 →
    {"peak", 0x25B3},  // 163 △
    {"peak:t", 0x25C1},  // 164 ◁
    {"peak:th", 0x25B7},  // 165 ▷
    {"chevron:v", 0x2228},  // 166 ∨
    {"chevron:t", 0x003C},  // 167 <
    {"chevron:th", 0x003E},  // 168 >
    {"E", 0x0045},  // 169 E
    {"Ya", 0x042F},  // 170 Я
    {"cap:v", 0x222A},  // 171 ∪
    {"cap:t", 0x2282},  // 172 ⊂
    {"cap:th", 0x2283},  // 173 ⊃
    {"moon:h", 0x0029},  // 174 )
    {"moon:t", 0x25E0},  // 175 ◠
    {"moon:tv", 0x25E1},  // 176 ◡
    {"wedge:v - dot", 0x26DB},  // 177 ⛛
    {"whiteup:v", 0x21E9},  // 178 ⇩
    {"whiteup:t", 0x21E6},  // 179 ⇦
    {"whiteup:th", 0x21E8},  // 180 ⇨
    {"gem & top:v + kite", 0x2B19},  // 181 ⬙
    {"gem & top:t + kite", 0x2B16},  // 182 ⬖
    {"gem & top:th + kite", 0x2B17},  // 183 ⬗
    {"ball & top:v", 0x2BCB},  // 184 ⯋
    {"ball & top:t", 0x25D6},  // 185 ◖
    {"ball & top:th", 0x25D7},  // 186 ◗
    {"bar:t", 0x25AE},  // 187 ▮
    {"triple:t", 0x2980},  // 188 ⦀
    {"arrow", 0x2B06},  // 189 ⬆
    {"arrow:t", 0x2B05},  // 190 ⬅
    {"arrow:th", 0x27A1},  // 191 ➡
    {"ell:h", 0x251B},  // 192 ┛
    {"ell:v", 0x250F},  // 193 ┏
    {"ell:hv", 0x2513},  // 194 ┓
    {"wedge", 0x25B2},  // 195 ▲
    {"wedge:t", 0x25C0},  // 196 ◀
    {"wedge:th", 0x25B6},  // 197 ▶
    {"slash:h & ball + circle", 0x29B8},  // 198 ⦸
    {"pyramid & top:th + tent", 0x25EE},  // 199 ◮
    {"twin:t", 0x2551},  // 200 ║
    {"stripes", 0x2263},  // 201 ≣
    {"ball & quarter:h + circle", 0x25F7},  // 202 ◷
    {"ball & quarter:v + circle", 0x25F5},  // 203 ◵
    {"ball & quarter:hv + circle", 0x25F6},  // 204 ◶
    {"ball & top + circle", 0x25D3},  // 205 ◓
    {"ball & top:t + circle", 0x25D0},  // 206 ◐
    {"ball & top:th + circle", 0x25D1},  // 207 ◑
    {"tee:v", 0x22A5},  // 208 ⊥
    {"tee:t", 0x22A2},  // 209 ⊢
    {"tee:th", 0x22A3},  // 210 ⊣
    {"ball & rows + circle", 0x229C},  // 211 ⊜
    {"glass:t", 0x29D3},  // 212 ⧓
    {"frame + slash:h", 0x29C5},  // 213 ⧅
    {"bar:t & ball + circle", 0x29B6},  // 214 ⦶
    {"block & diag:h", 0x25E5},  // 215 ◥
    {"block & diag:v", 0x25E3},  // 216 ◣
    {"block & diag:hv", 0x25E2},  // 217 ◢
    {"hair & core + edge:t", 0x27DB},  // 218 ⟛
    {"edge:t + mid:t", 0x2162},  // 219 Ⅲ
    {"block & quarter:h + frame", 0x25F3},  // 220 ◳
    {"hair + saltire & ball + circle", 0x229B},  // 221 ⊛
    {"block & quarter:v + frame", 0x25F1},  // 222 ◱
    {"block & quarter:hv + frame", 0x25F2},  // 223 ◲
    {"ball - saltire", 0x2B59},  // 224 ⭙
    {"block & waves + frame", 0x25A8},  // 225 ▨
    {"square", 0x25A0},  // 226 ■
    {"ball - loop", 0x29BF},  // 227 ⦿
    {"ball - dot", 0x25D9},  // 228 ◙
    {"block & waves:h + frame", 0x25A7},  // 229 ▧
    {"house", 0x2B1F},  // 230 ⬟
    {"block & top + frame", 0x2B12},  // 231 ⬒
    {"block & top:v + frame", 0x2B13},  // 232 ⬓
    {"block & top:t + frame", 0x25E7},  // 233 ◧
    {"block & top:th + frame", 0x25E8},  // 234 ◨
    {"frame + bar", 0x229F},  // 235 ⊟
    {"frame + bar:t", 0x25EB},  // 236 ◫
    {"block & rows + frame", 0x25A4},  // 237 ▤
    {"block & rows:t + frame", 0x25A5},  // 238 ▥
    {"house:v", 0x2BC2},  // 239 ⯂
    {"block - rows", 0x2630},  // 240 ☰
    {"block - core", 0x1F791},  // 241 🞑
    {"frame + core", 0x1F795},  // 242 🞕
    {"frame + hair + saltire", 0x29C6},  // 243 ⧆
    {"block & diag + frame", 0x25E9},  // 244 ◩
    {"block & diag:h + frame", 0x2B14},  // 245 ⬔
    {"ball & rows:t + circle", 0x25CD},  // 246 ◍
    {"block & diag:v + frame", 0x2B15},  // 247 ⬕
    {"block & diag:hv + frame", 0x25EA},  // 248 ◪
    {"ball", 0x25CF},  // 249 ●
    {"block - hair", 0x25A6},  // 250 ▦
    {"block - saltire", 0x274E},  // 251 ❎
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

int SymbolOfCharacter(char32_t character) {
    for (int k = 0; k < kSymbolCount; ++k) {
        if (kSheetSymbols[static_cast<std::size_t>(k)].character == character)
            return k;
    }
    return -1;
}

std::string SymbolText(int k) {
    return Utf8Of(SymbolCharacter(k));
}

}  // namespace brodix
