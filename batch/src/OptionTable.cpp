#include "batch/OptionTable.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdlib>
#include <optional>
#include <string_view>

#include "batch/CommandLine.h"
#include "engine/Census.h"
#include "raster/Color.h"

namespace brodix {

namespace {

std::string Lowered(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

int ParseLevel(const std::string& option, const std::string& level) {
    const int index = LevelIndex(level);
    if (index < 0) {
        throw UsageError("unknown level '" + level + "' for " + option +
                         " (use org, 4, 6, 16 or 18)");
    }
    return index;
}

// Numbers are typed in decimal digits alone: strtol and strtod would also take blanks, signs,
// "0x10" (16), "1e1" or "inf", none of which a user means as a count.
bool IsDecimal(const std::string& value, bool point) {
    const std::size_t dot = point ? value.find('.') : std::string::npos;
    const auto digits = [&](std::size_t from, std::size_t to) {
        return from < to && std::all_of(value.begin() + static_cast<std::ptrdiff_t>(from),
                                        value.begin() + static_cast<std::ptrdiff_t>(to),
                                        [](unsigned char c) { return std::isdigit(c) != 0; });
    };
    if (dot == std::string::npos)
        return digits(0, value.size());
    return digits(0, dot) && digits(dot + 1, value.size());
}

// A whole number in [low, high] as typed after option.
int ParseInteger(const std::string& option, const std::string& value, int low, int high) {
    long number = -1;
    if (IsDecimal(value, false))
        std::from_chars(value.data(), value.data() + value.size(), number);
    if (number < low || number > high) {
        throw UsageError(option + " needs a whole number from " + std::to_string(low) + " to " +
                         std::to_string(high) + ", not '" + value + "'");
    }
    return static_cast<int>(number);
}

double ParseFabric(const std::string& value) {
    double count = 0.0;
    if (IsDecimal(value, true))
        std::from_chars(value.data(), value.data() + value.size(), count);
    if (!(count >= 1.0 && count <= 100.0)) {
        throw UsageError(
            "--fabric needs stitches per inch from 1 to 100, written in decimal "
            "digits (14 or 14.5), not '" +
            value + "'");
    }
    return count;
}

int ParseSide(const std::string& text, const std::string& whole) {
    const bool digits =
        !text.empty() && text.size() <= 4 &&
        std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c) != 0; });
    const int side = digits ? std::stoi(text) : 0;
    if (side < 1 || side > kMaxPatternStitchesPerSide) {
        throw UsageError("--fit '" + whole + "' is no size (use WxH or N, each 1 to " +
                         std::to_string(kMaxPatternStitchesPerSide) + ")");
    }
    return side;
}

using Row = OptionRow;

void SetKey(BatchOptions& options, const std::string& value) {
    if (value.empty() || value == "=table")
        options.key = KeyFormat::Table;
    else if (value == "=csv")
        options.key = KeyFormat::Csv;
    else
        throw UsageError("unknown key format '" + value.substr(1) + "' (use table or csv)");
}

void SetPaper(BatchOptions& options, const std::string& value) {
    const std::string paper = Lowered(value);
    if (paper != "a4" && paper != "letter")
        throw UsageError("unknown paper '" + value + "' for --paper (use a4 or letter)");
    options.pdfOptions.paper = paper == "a4" ? print::Paper::A4 : print::Paper::Letter;
}

void SetChartStyle(BatchOptions& options, const std::string& value) {
    const std::string style = Lowered(value);
    if (style != "bw" && style != "tint" && style != "colour")
        throw UsageError("unknown style '" + value +
                         "' for --chart-style (use bw, tint or colour)");
    options.pdfOptions.style = style == "bw"     ? print::ChartStyle::BlackWhite
                               : style == "tint" ? print::ChartStyle::Tint
                                                 : print::ChartStyle::Colour;
}

// A value that names something: empty is refused with what is needed.
std::string Named(const std::string& value, const char* needed) {
    if (value.empty())
        throw UsageError(needed);
    return value;
}

// clang-format off
const Row kRows[] = {
    {"--red", "", Takes::Value,
     [](BatchOptions& o, const std::string& v) { o.levels.red = ParseLevel("--red", v); },
     "[--red LEVEL]", false, "Input", "--red LEVEL, --green LEVEL, --blue LEVEL",
     "the levels each channel keeps: org (exact, the default), 4, 6, 16 or 18.\n", ""},
    {"--green", "", Takes::Value,
     [](BatchOptions& o, const std::string& v) { o.levels.green = ParseLevel("--green", v); },
     "[--green LEVEL]", false, "", "", "", ""},
    {"--blue", "", Takes::Value,
     [](BatchOptions& o, const std::string& v) { o.levels.blue = ParseLevel("--blue", v); },
     "[--blue LEVEL]", false, "", "", "", ""},
    {"--symbols", "", Takes::Value,
     [](BatchOptions& o, const std::string& v) {
         o.symbolSheet = Named(v, "--symbols needs a file name");
     },
     "[--symbols SHEET]", false, "", "--symbols SHEET",
     "the symbol sheet to use instead of Brodix.bmp beside the program. A sheet\n"
     "that cannot be read is reported and the chart is made without symbols.\n", ""},
    {"--fit", "", Takes::Value,
     [](BatchOptions& o, const std::string& v) { o.photo.fit = ParseFit(v); },
     "[--fit WxH]", true, "", "--fit WxH, --fit N",
     "fits the picture into W x H stitches (N x N), keeping its aspect: a\n"
     "larger picture is averaged down, a smaller one enlarged. Each side is 1\n"
     "to 200 with NAME (the BMP files of the window's chart) and 1 to 1000\n"
     "when only the pattern is written (--pdf, --oxs, --key, --report). PNG,\n"
     "JPEG, GIF (its first frame) and BMP pictures of any size are read, the\n"
     "kind told by the file's contents. Without --fit, a .png, .jpg, .jpeg or\n"
     ".gif file holding such a picture is charted at its own size. Such a\n"
     "picture of more than 255 colours after the levels is charted, unless\n"
     "--max-colours or --min-stitches is given, with the 30 colours that best\n"
     "represent it, cleaned and snapped to the catalogue (DMC when found); a\n"
     "line on standard error says so.\n", ""},
    {"--background", "", Takes::Value,
     [](BatchOptions& o, const std::string& v) { o.photo.background = ParseBackground(v); },
     "[--background RRGGBB]", false, "", "--background RRGGBB",
     "the colour (hexadecimal red, green, blue) that shows where a PNG or GIF\n"
     "picture is transparent; white (FFFFFF) unless given.\n", ""},
    {"--null", "-z", Takes::Nothing,
     [](BatchOptions& o, const std::string&) { o.nullEnds = true; },
     "[-z]", false, "Output files", "-z, --null",
     "ends each name in the list of files with a NUL byte instead of a line\n"
     "break, for names that hold line breaks themselves.\n", ""},
    {"--threads", "", Takes::Value,
     [](BatchOptions& o, const std::string& v) {
         o.threads = Named(v, "--threads needs a catalogue's title or file");
     },
     "[--threads CATALOGUE]", true, "Threads and the key", "--threads CATALOGUE",
     "the thread catalogue: a title found in the data folders (dmc, anchor,\n"
     "madeira: kxstitch/schemes and brodix/threads under $XDG_DATA_HOME and\n"
     "$XDG_DATA_DIRS), matched without regard to case, or the path of a\n"
     "catalogue (kxstitch XML, or a GIMP palette .gpl whose colour names start\n"
     "with the thread number); none for no catalogue. Default: dmc when found.\n", ""},
    {"--fabric", "", Takes::Value,
     [](BatchOptions& o, const std::string& v) { o.pattern.floss.fabricCount = ParseFabric(v); },
     "[--fabric COUNT]", false, "", "--fabric COUNT",
     "stitches per inch of the fabric, for the floss estimate (default 14).\n", ""},
    {"--strands", "", Takes::Value,
     [](BatchOptions& o, const std::string& v) {
         o.pattern.floss.strands = ParseInteger("--strands", v, 1, 6);
     },
     "[--strands N]", false, "", "--strands N",
     "strands stitched together, 1 to 6 (default 2).\n", ""},
    {"--stitch-white", "", Takes::Nothing,
     [](BatchOptions& o, const std::string&) { o.pattern.stitchWhite = true; },
     "[--stitch-white]", false, "", "--stitch-white",
     "white is stitched, with a symbol and floss of its own, in the key and the\n"
     "PDF; without it white is bare fabric, \"blank: not stitched\" (the saved\n"
     "chart leaves white cells blank either way).\n", ""},
    {"--key", "", Takes::ValueAfterEquals, SetKey,
     "[--key[=csv]]", true, "", "--key, --key=csv",
     "prints the key on standard output after the files, as a table or as CSV:\n"
     "symbol number, colour, nearest thread (CIEDE2000), its name, the\n"
     "difference, stitches, metres and skeins of 8 m of floss. With --key, NAME\n"
     "may be left out: then only the key is printed and nothing is saved.\n", ""},
    {"--report", "", Takes::Nothing,
     [](BatchOptions& o, const std::string&) { o.pattern.report = true; },
     "[--report]", false, "", "--report",
     "prints on standard output how easily the chart stitches: isolated\n"
     "stitches (each a thread started for one stitch), colour changes along\n"
     "the rows, colours closer than 3 in CIEDE2000 and symbols that look alike.\n"
     "With --pdf the same report is printed on the cover. NAME may be left out.\n", ""},
    {"--snap", "", Takes::Nothing,
     [](BatchOptions& o, const std::string&) { o.pattern.snap = true; },
     "[--snap]", false, "Colours (all off by default; applied after the levels, in this order)",
     "--snap",
     "each colour becomes the colour of its nearest thread of the catalogue:\n"
     "one symbol per thread. A picture of more than 255 colours can be charted\n"
     "when its colours fall on at most 255 threads.\n", ""},
    {"--max-colours", "", Takes::Value,
     [](BatchOptions& o, const std::string& v) {
         o.pattern.maxColours = ParseInteger("--max-colours", v, 1, kMaxColors);
     },
     "[--max-colours K]", false, "", "--max-colours K",
     "keeps the K colours that best represent the picture: alike colours are\n"
     "grouped, weighed by their stitches, each group taking the colour (with\n"
     "--snap, the thread) nearest its mean; every stitch then takes the nearest\n"
     "colour kept.\n", ""},
    {"--min-stitches", "", Takes::Value,
     [](BatchOptions& o, const std::string& v) {
         o.pattern.minStitches =
             ParseInteger("--min-stitches", v, 1,
                                        kMaxPatternStitchesPerSide * kMaxPatternStitchesPerSide);
     },
     "[--min-stitches N]", true, "", "--min-stitches N",
     "colours of fewer than N stitches merge into their nearest remaining\n"
     "colour, the rarest first.\n", ""},
    {"--dither", "", Takes::Nothing,
     [](BatchOptions& o, const std::string&) { o.pattern.dither = true; },
     "[--dither]", false, "", "--dither",
     "with --max-colours or --min-stitches: the remaining colours are mixed by\n"
     "error diffusion, so that shading stays smooth with few colours. It suits\n"
     "photographs, not flat art, which it speckles. --clean is not run after it:\n"
     "the scattered stitches are what the dither is for.\n", ""},
    {"--clean", "", Takes::Nothing,
     [](BatchOptions& o, const std::string&) { o.pattern.clean = true; },
     "[--clean]", false, "", "--clean",
     "done last, on the final colours: a stitch whose colour none of its 8\n"
     "neighbours shares takes one of their colours, or a neighbour takes its\n"
     "colour, whichever keeps nearest the picture; up to 1 in 1000 stitches that\n"
     "no change keeps near (a glint, a catchlight) may stay alone.\n",
     "  Example: the DMC key of a picture snapped to threads, cleaned, in 30 colours:\n"
     "    brodix-chart --snap --clean --max-colours 30 --key sunset.bmp out/sunset\n"},
    {"--pdf", "", Takes::Value,
     [](BatchOptions& o, const std::string& v) { o.pdf = Named(v, "--pdf needs a file name"); },
     "", false, "PDF and OXS", "--pdf FILE",
     "also writes the pattern as one PDF ready to print: a cover with the\n"
     "picture and a map of the pages, the key (symbol, thread, colour,\n"
     "stitches, floss), a shopping list by thread, and the chart in balanced\n"
     "pages as large as the paper allows, with row and column numbers every 10\n"
     "stitches, arrows at the centre, and the first two columns and rows of\n"
     "the neighbouring pages greyed. Each symbol is a character of the PDF's\n"
     "text. NAME may then be left out: only the PDF is written. An existing\n"
     "FILE is replaced only once the new one is complete; FILE's folder is\n"
     "made, as NAME's is, when it does not exist yet.\n", ""},
    {"--paper", "", Takes::Value, SetPaper, "", false, "", "--paper a4|letter",
     "the PDF's paper: A4 (the default) or US Letter, portrait.\n", ""},
    {"--chart-style", "", Takes::Value, SetChartStyle, "", false, "",
     "--chart-style bw|tint|colour",
     "the chart's cells: black symbols on white (bw, the default), on a\n"
     "light tint of each stitch's colour (tint), or each cell in its full\n"
     "colour with its symbol in black or white, whichever stands out (colour).\n",
     "  Example: brodix-chart --red 4 --green 4 --blue 4 --pdf sunset.pdf sunset.bmp\n"},
    {"--oxs", "", Takes::Value,
     [](BatchOptions& o, const std::string& v) { o.oxs = Named(v, "--oxs needs a file name"); },
     "", false, "", "--oxs FILE",
     "also writes the pattern as an OXS file, which WinStitch, MacStitch,\n"
     "FlossCross, Embroiderly and other programs open: the chart's size, the\n"
     "threads with their colours and symbols, and one full stitch per stitched\n"
     "cell (white is left as cloth unless --stitch-white). NAME may then be\n"
     "left out. An existing FILE is replaced only once the new one is complete.\n", ""},
    {"--help", "-h", Takes::Nothing,
     [](BatchOptions& o, const std::string&) { o.help = true; },
     "", false, "Help", "-h, --help", "shows this text.\n", ""},
    {"--version", "", Takes::Nothing,
     [](BatchOptions& o, const std::string&) { o.version = true; },
     "", false, "", "--version", "shows the program's name and version.\n", ""},
};
// clang-format on

// A heading this short shares its line with the text's first line.
constexpr std::size_t kShortHeading = 6;
constexpr std::string_view kIndent = "         ";

std::string Indented(std::string_view text) {
    std::string out;
    while (!text.empty()) {
        const std::size_t end = text.find('\n') + 1;
        out.append(kIndent).append(text.substr(0, end));
        text.remove_prefix(end);
    }
    return out;
}

std::string OptionsHelp() {
    std::string help;
    for (const Row& row : kRows) {
        if (!row.section.empty())
            help.append("\n").append(row.section).append(":\n");
        if (row.heading.empty())
            continue;
        help.append("  ").append(row.heading);
        if (row.heading.size() <= kShortHeading) {
            const std::size_t first = row.text.find('\n') + 1;
            help.append("  ").append(row.text.substr(0, first));
            help += Indented(row.text.substr(first));
        } else {
            help.append("\n") += Indented(row.text);
        }
        help.append(row.after);
    }
    return help;
}

}  // namespace

std::span<const OptionRow> OptionTable() {
    return kRows;
}

const OptionRow* FindOption(std::string_view name) {
    const auto found = std::find_if(std::begin(kRows), std::end(kRows), [name](const Row& row) {
        return row.name == name || (!row.alias.empty() && row.alias == name);
    });
    return found == std::end(kRows) ? nullptr : found;
}

std::string UsageText() {
    std::string usage = "usage: brodix-chart";
    for (const Row& row : kRows) {
        if (row.usage.empty())
            continue;
        usage.append(row.usageBreak ? "\n                    " : " ").append(row.usage);
    }
    return usage +
           " PICTURE NAME\n"
           "       brodix-chart --key[=csv] [options] PICTURE [NAME]\n"
           "       brodix-chart [options] --pdf FILE [--paper a4|letter] [--chart-style bw|tint]\n"
           "                    PICTURE [NAME]\n"
           "       brodix-chart [options] --oxs FILE PICTURE [NAME]\n"
           "       brodix-chart --help\n";
}

std::string HelpText() {
    return UsageText() +
           "\n"
           "Makes the cross-stitch chart of PICTURE and saves it under NAME, as Load Picture,\n"
           "Make and Save do in the Brodix window.\n"
           "\n"
           "PICTURE  the picture to chart: a BMP of at most 200 x 200 pixels and 255 colours,\n"
           "         or up to 1000 x 1000 when only the pattern is written (no NAME).\n"
           "         Its kind follows its extension (.bmp; .ico, .wmf and .emf load but cannot\n"
           "         be charted); PNG, JPEG and GIF pictures are read as under --fit. An OXS\n"
           "         chart (told by its contents) is read as one pixel per full stitch, at its\n"
           "         own size unless --fit is given; what else it holds is reported.\n"
           "NAME     the name to save under, as typed in the save dialog: a relative name is\n"
           "         taken from the current folder, and a name without extension gets .bmp.\n"
           "         With NAME rose.bmp the files are:\n"
           "           rose_CS.bmp                 the whole chart in black and white\n"
           "           rose_CS11.bmp, rose_CS12.bmp, ...\n"
           "                                       its pages of 50 x 70 stitches, page column\n"
           "                                       then page row, when it is wider than 50 or\n"
           "                                       taller than 70 stitches\n"
           "           rose_color.bmp              the legend, in columns of 50 colours\n"
           "           rose_CSC.bmp                the reduced picture enlarged\n"
           "         Every file carries NAME's extension and holds BMP data. Existing files of\n"
           "         these names are replaced. NAME's folder is made, with any folders above\n"
           "         it, when it does not exist yet.\n" +
           OptionsHelp() +
           "\n"
           "The files written are printed one a line as they are completed. Errors go to\n"
           "standard error, as the window's message boxes would show them, followed by a\n"
           "line that says what failed and why and, for a picture that cannot be charted,\n"
           "what to do (--fit, --max-colours). When the list cannot be printed, the files\n"
           "are still written and the exit status is 2. A run of more than about a second\n"
           "shows how far it has come on standard error when that is a terminal.\n"
           "\n"
           "Exit status:\n"
           "  0   the files are written\n"
           "  1   the picture cannot be charted (too large or too many colours); the reason is\n"
           "      printed (the window's message, its title on the first line, when the window\n"
           "      would refuse it too), and nothing is written\n"
           "  2   any other failure: the picture cannot be read, a file cannot be written, the\n"
           "      thread catalogue cannot be found or read, ...;\n"
           "      the files printed before the failure stay\n"
           "  64  the command line is wrong\n";
}

StitchSize ParseFit(const std::string& value) {
    const std::size_t x = Lowered(value).find('x');
    if (x == std::string::npos) {
        const int side = ParseSide(value, value);
        return {side, side};
    }
    return {ParseSide(value.substr(0, x), value), ParseSide(value.substr(x + 1), value)};
}

TColor ParseBackground(const std::string& value) {
    const std::string_view hex =
        value.starts_with('#') ? std::string_view(value).substr(1) : std::string_view(value);
    if (const std::optional<TColor> colour = ParseHexRgb(hex))
        return *colour;
    throw UsageError("--background '" + value + "' is no colour (use RRGGBB)");
}

int LevelIndex(const std::string& level) {
    // A level is typed as the window's item reads, without its padding, in any letter case.
    const std::string lowered = Lowered(level);
    for (std::size_t i = 0; i < kLevelItems.size(); ++i) {
        const std::string_view item(kLevelItems[i]);
        if (lowered == Lowered(std::string(item.substr(item.find_first_not_of(' ')))))
            return static_cast<int>(i);
    }
    return -1;
}

}  // namespace brodix
