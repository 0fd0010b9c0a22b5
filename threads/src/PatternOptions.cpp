#include "threads/PatternOptions.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <stdexcept>
#include <type_traits>

#include "engine/Census.h"
#include "engine/Refine.h"
#include "engine/Stitchability.h"
#include "raster/Color.h"
#include "raster/Utf8.h"
#include "threads/Floss.h"

namespace brodix::threads {

namespace {

// The fabric counts the floss estimate takes, in stitches per inch.
constexpr double kLeastFabricCount = 1;
constexpr double kMostFabricCount = 100;
// Floss is stitched with at least one strand and at most the strands of a skein.
constexpr int kLeastStrands = 1;
constexpr int kMostStrands = kSkeinStrands;
// A least stitch count beyond the largest pattern's stitches would merge every colour.
constexpr int kMostMergedStitches = kMaxPatternStitchesPerSide * kMaxPatternStitchesPerSide;

// Numbers are typed in decimal digits alone: strtol and strtod would also take blanks, signs,
// "0x10" (16), "1e1" or "inf", none of which a user means as a count, and strtod reads a
// point as the locale says.
bool IsDecimal(std::string_view text, bool point) {
    const auto digits = [](std::string_view part) {
        return !part.empty() && std::all_of(part.begin(), part.end(),
                                            [](unsigned char c) { return std::isdigit(c) != 0; });
    };
    const std::size_t dot = point ? text.find('.') : std::string_view::npos;
    if (dot == std::string_view::npos)
        return digits(text);
    return digits(text.substr(0, dot)) && digits(text.substr(dot + 1));
}

// "a4, letter" joined as a sentence: "a4 or letter", "bw, tint or colour".
std::string WordList(const std::vector<OptionWord>& words) {
    std::string list;
    for (std::size_t i = 0; i < words.size(); ++i) {
        if (i > 0)
            list += i + 1 == words.size() ? " or " : ", ";
        list += words[i].word;
    }
    return list;
}

// Every whole number from low to high: a menu that offers the whole range.
// A field of the settings as the table reads and sets it: a flag as 0 or 1, a number as itself,
// a word's enum as its index among the words.
template <auto Field>
double Get(const PatternSettings& settings) {
    using Value = std::remove_cvref_t<decltype(settings.*Field)>;
    if constexpr (std::is_enum_v<Value>)
        return static_cast<int>(settings.*Field);
    else
        return static_cast<double>(settings.*Field);
}
template <auto Field>
void Set(PatternSettings& settings, double value) {
    using Value = std::remove_cvref_t<decltype(settings.*Field)>;
    if constexpr (std::is_same_v<Value, bool>)
        settings.*Field = value != 0;
    else if constexpr (std::is_enum_v<Value>)
        settings.*Field = static_cast<Value>(static_cast<int>(value));
    else
        settings.*Field = static_cast<Value>(value);
}

std::vector<double> EveryWholeNumber(int low, int high) {
    std::vector<double> values;
    for (int n = low; n <= high; ++n)
        values.push_back(n);
    return values;
}

// The threads and the floss the key is worked out for, and what the key and report show.
void AddKeyOptions(std::vector<PatternOption>& options) {
    const PatternSettings defaults;
    options.push_back({
        .name = "--threads",
        .settingKey = "pattern/threads",
        .form = OptionForm::Catalogue,
        .valueName = "CATALOGUE",
        .help = "the thread catalogue: a title found in the data folders (dmc, anchor,\n"
                "madeira: kxstitch/schemes and brodix/threads under $XDG_DATA_HOME and\n"
                "$XDG_DATA_DIRS), matched without regard to case, or the path of a\n"
                "catalogue (kxstitch XML, or a GIMP palette .gpl whose colour names start\n"
                "with the thread number); none for no catalogue. Default: " +
                std::string(kDefaultCatalogueTitle) + " when found.\n",
    });
    options.push_back({
        .name = "--fabric",
        .settingKey = "pattern/fabricCount",
        .form = OptionForm::Decimal,
        .valueName = "COUNT",
        .noun = "stitches per inch",
        .low = kLeastFabricCount,
        .high = kMostFabricCount,
        .menuValues = {11, 14, 16, 18, 22, 28},
        .help = "stitches per inch of the fabric, for the floss estimate (default " +
                NumberText(defaults.floss.fabricCount) + ").\n",
        .get = [](const PatternSettings& s) { return s.floss.fabricCount; },
        .set = [](PatternSettings& s, double value) { s.floss.fabricCount = value; },
    });
    options.push_back({
        .name = "--strands",
        .settingKey = "pattern/strands",
        .form = OptionForm::Whole,
        .valueName = "N",
        .low = kLeastStrands,
        .high = kMostStrands,
        .menuValues = EveryWholeNumber(kLeastStrands, kMostStrands),
        .help = "strands stitched together, " + std::to_string(kLeastStrands) + " to " +
                std::to_string(kMostStrands) + " (default " +
                std::to_string(defaults.floss.strands) + ").\n",
        .get = [](const PatternSettings& s) -> double { return s.floss.strands; },
        .set = [](PatternSettings& s, double value) { s.floss.strands = static_cast<int>(value); },
    });
    options.push_back({
        .name = "--fabric-colour",
        .settingKey = "pattern/fabricColour",
        .form = OptionForm::Colour,
        .valueName = "RRGGBB",
        .high = clWhite,
        .help = "the fabric's colour (hexadecimal red, green, blue) in the stitched\n"
                "preview, where it shows between the stitches and in the cells left blank;\n"
                "white Aida (" +
                HexRgb(defaults.fabricColour) + ") unless given.\n",
        .get = Get<&PatternSettings::fabricColour>,
        .set = Set<&PatternSettings::fabricColour>,
    });
    options.push_back({
        .name = "--stitch-white",
        .settingKey = "pattern/stitchWhite",
        .remembered = false,
        .help = "white is stitched, with a symbol and floss of its own, in the key and the\n"
                "PDF; without it white is bare fabric, \"blank: not stitched\" (the saved\n"
                "chart leaves white cells blank either way).\n",
        .get = Get<&PatternSettings::stitchWhite>,
        .set = Set<&PatternSettings::stitchWhite>,
    });
    options.push_back({
        .name = "--report",
        .settingKey = "pattern/report",
        .help = "prints on standard output how easily the chart stitches: isolated\n"
                "stitches (each a thread started for one stitch), colour changes along\n"
                "the rows, colours closer than " +
                NumberText(kCloseColoursDeltaE) +
                " in CIEDE2000 and symbols that look alike.\n"
                "With --pdf the same report is printed on the cover. NAME may be left out.\n",
        .get = Get<&PatternSettings::report>,
        .set = Set<&PatternSettings::report>,
    });
}

// The choices that refine the colours before they are counted, in the order Make applies them.
void AddColourOptions(std::vector<PatternOption>& options) {
    const std::string colours = std::to_string(kMaxColors);
    options.push_back({
        .name = "--snap",
        .settingKey = "pattern/snap",
        .remembered = false,
        .help = "each colour becomes the colour of its nearest thread of the catalogue:\n"
                "one symbol per thread. A picture of more than " +
                colours +
                " colours can be charted\n"
                "when its colours fall on at most " +
                colours + " threads.\n",
        .get = Get<&PatternSettings::snap>,
        .set = Set<&PatternSettings::snap>,
    });
    options.push_back({
        .name = "--max-colours",
        .settingKey = "pattern/maxColours",
        .remembered = false,
        .form = OptionForm::Whole,
        .valueName = "K",
        .low = 0,
        .high = kMaxColors,
        .menuValues = {0, 10, 20, 30, 50, 100},
        .help = "keeps the K colours that best represent the picture: alike colours are\n"
                "grouped, weighed by their stitches, each group taking the colour (with\n"
                "--snap, the thread) nearest its mean; every stitch then takes the nearest\n"
                "colour kept.\n",
        .get = Get<&PatternSettings::maxColours>,
        .set = Set<&PatternSettings::maxColours>,
    });
    options.push_back({
        .name = "--min-stitches",
        .settingKey = "pattern/minStitches",
        .remembered = false,
        .form = OptionForm::Whole,
        .valueName = "N",
        .low = 0,
        .high = kMostMergedStitches,
        .menuValues = {0, 5, 10, 20, 50},
        .help = "colours of fewer than N stitches merge into their nearest remaining\n"
                "colour, the rarest first.\n",
        .get = Get<&PatternSettings::minStitches>,
        .set = Set<&PatternSettings::minStitches>,
    });
    options.push_back({
        .name = "--dither",
        .settingKey = "pattern/dither",
        .remembered = false,
        .help = "with --max-colours or --min-stitches: the remaining colours are mixed by\n"
                "error diffusion, so that shading stays smooth with few colours. It suits\n"
                "photographs, not flat art, which it speckles. --clean is not run after it:\n"
                "the scattered stitches are what the dither is for.\n",
        .get = Get<&PatternSettings::dither>,
        .set = Set<&PatternSettings::dither>,
    });
    options.push_back({
        .name = "--clean",
        .settingKey = "pattern/clean",
        .remembered = false,
        .help = "done last, on the final colours: a stitch whose colour none of its 8\n"
                "neighbours shares takes one of their colours, or a neighbour takes its\n"
                "colour, whichever keeps nearest the picture; up to 1 in " +
                std::to_string(kStitchesPerKeptStray) +
                " stitches that\n"
                "no change keeps near (a glint, a catchlight) may stay alone.\n",
        .get = Get<&PatternSettings::clean>,
        .set = Set<&PatternSettings::clean>,
    });
}

// The printed pattern's paper and chart style.
void AddPrintOptions(std::vector<PatternOption>& options) {
    options.push_back({
        .name = "--paper",
        .settingKey = "pattern/paper",
        .form = OptionForm::Word,
        .noun = "paper",
        .words = {{"a4", "A4"}, {"letter", "US Letter"}},
        .help = "the PDF's paper: A4 (the default) or US Letter, portrait.\n",
        .get = Get<&PatternSettings::paper>,
        .set = Set<&PatternSettings::paper>,
    });
    options.push_back({
        .name = "--chart-style",
        .settingKey = "pattern/chartStyle",
        .form = OptionForm::Word,
        .noun = "style",
        .words = {{"bw", "Black and white"}, {"tint", "Tint"}, {"colour", "Colour"}},
        .help = "the chart's cells: black symbols on white (bw, the default), on a\n"
                "light tint of each stitch's colour (tint), or each cell in its full\n"
                "colour with its symbol in black or white, whichever stands out (colour).\n",
        .get = Get<&PatternSettings::chartStyle>,
        .set = Set<&PatternSettings::chartStyle>,
    });
}

std::vector<PatternOption> BuildOptions() {
    std::vector<PatternOption> options;
    AddKeyOptions(options);
    AddColourOptions(options);
    AddPrintOptions(options);
    for (PatternOption& option : options) {
        // A word option's range is its words, a menu of words offers them all.
        if (option.form == OptionForm::Word) {
            option.high = static_cast<double>(option.words.size() - 1);
            option.menuValues = EveryWholeNumber(0, static_cast<int>(option.high));
        }
    }
    return options;
}

}  // namespace

std::string NumberText(double value) {
    char text[64];
    // Fixed: 1000000, not 1e+06; the shortest digits that read back as the same number.
    const auto written =
        std::to_chars(std::begin(text), std::end(text), value, std::chars_format::fixed);
    return std::string(text, written.ptr);
}

double PatternOption::Default() const {
    return get != nullptr ? get(PatternSettings{}) : 0.0;
}

std::optional<double> PatternOption::Read(std::string_view text) const {
    double value = -1.0;
    switch (form) {
        case OptionForm::Catalogue:
            return std::nullopt;
        case OptionForm::Colour: {
            const std::optional<TColor> colour =
                ParseHexRgb(text.starts_with('#') ? text.substr(1) : text);
            if (!colour)
                return std::nullopt;
            value = *colour;
            break;
        }
        case OptionForm::Word: {
            const std::string lowered = AsciiLowered(text);
            const auto found = std::find_if(words.begin(), words.end(),
                                            [&](const OptionWord& w) { return w.word == lowered; });
            if (found == words.end())
                return std::nullopt;
            value = static_cast<double>(found - words.begin());
            break;
        }
        case OptionForm::Flag:
        case OptionForm::Whole:
        case OptionForm::Decimal:
            // A number too long for a double is out of range and leaves value below any low.
            if (IsDecimal(text, form == OptionForm::Decimal))
                std::from_chars(text.data(), text.data() + text.size(), value);
            break;
    }
    if (!(value >= low && value <= high))
        return std::nullopt;
    return value;
}

std::string PatternOption::Text(double value) const {
    // A colour out of its range is written as its number, which Read refuses.
    if (form == OptionForm::Colour && value >= low && value <= high)
        return HexRgb(static_cast<TColor>(value));
    const bool word =
        form == OptionForm::Word && value >= 0 && value < static_cast<double>(words.size());
    return word ? std::string(words[static_cast<std::size_t>(value)].word) : NumberText(value);
}

std::string PatternOption::Refusal(std::string_view text) const {
    const std::string named(name);
    const std::string typed = ", not '" + std::string(text) + "'";
    switch (form) {
        case OptionForm::Catalogue:
            return named + " needs a catalogue's title or file";
        case OptionForm::Colour:
            return named + " '" + std::string(text) + "' is no colour (use RRGGBB)";
        case OptionForm::Flag:
            return named + " takes no value" + typed;
        case OptionForm::Whole:
            return named + " needs a whole number from " + NumberText(low) + " to " +
                   NumberText(high) + typed;
        case OptionForm::Decimal:
            return named + " needs " + std::string(noun) + " from " + NumberText(low) + " to " +
                   NumberText(high) + ", written in decimal digits (" + NumberText(Default()) +
                   " or " + NumberText(Default() + 0.5) + ")" + typed;
        case OptionForm::Word:
            break;
    }
    return "unknown " + std::string(noun) + " '" + std::string(text) + "' for " + named + " (use " +
           WordList(words) + ")";
}

std::string PatternOption::Heading() const {
    std::string heading(name);
    if (form == OptionForm::Flag)
        return heading;
    if (form != OptionForm::Word)
        return heading + " " + std::string(valueName);
    for (std::size_t i = 0; i < words.size(); ++i)
        heading.append(i == 0 ? " " : "|").append(words[i].word);
    return heading;
}

std::span<const PatternOption> PatternOptions() {
    static const std::vector<PatternOption> options = BuildOptions();
    return options;
}

void ResetPatternChoices(PatternSettings& settings) {
    for (const PatternOption& option : PatternOptions()) {
        if (!option.remembered)
            option.set(settings, option.Default());
    }
}

const PatternOption& PatternOptionNamed(std::string_view name) {
    for (const PatternOption& option : PatternOptions()) {
        if (option.name == name)
            return option;
    }
    throw std::out_of_range("no pattern option " + std::string(name));
}

}  // namespace brodix::threads
