#include "batch/OptionTable.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <optional>
#include <string_view>

#include "batch/BatchRun.h"
#include "batch/CommandLine.h"
#include "engine/Census.h"
#include "engine/PageGrid.h"
#include "export/SavePattern.h"
#include "print/StitchedPreview.h"
#include "raster/Color.h"
#include "raster/Utf8.h"
#include "threads/Floss.h"
#include "threads/PatternOptions.h"

namespace brodix {

namespace {

int ParseLevel(const std::string& option, const std::string& level) {
    const int index = LevelIndex(level);
    if (index < 0) {
        throw UsageError("unknown level '" + level + "' for " + option +
                         " (use org, 4, 6, 16 or 18)");
    }
    return index;
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

// Pixels a stitch of the preview, as the pattern options word a whole number out of range.
int ParsePreviewSize(const std::string& text) {
    const bool digits =
        !text.empty() && text.size() <= 2 &&
        std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c) != 0; });
    const int pixels = digits ? std::stoi(text) : 0;
    if (pixels < print::kLeastPreviewStitchPixels || pixels > print::kMostPreviewStitchPixels) {
        throw UsageError("--preview-size needs a whole number from " +
                         std::to_string(print::kLeastPreviewStitchPixels) + " to " +
                         std::to_string(print::kMostPreviewStitchPixels) + ", not '" + text + "'");
    }
    return pixels;
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

// A value that names something: empty is refused with what is needed.
std::string Named(const std::string& value, const std::string& needed) {
    if (value.empty())
        throw UsageError(needed);
    return value;
}

// Where a pattern option's row stands in the usage line and --help.
struct PatternLayout {
    bool inUsage = true;  // false: only in a usage form of its own
    bool usageBreak = false;
    std::string section{};
    std::string after{};
};

// The row of a pattern option: name, value, check and text come from the option.
Row PatternRow(std::string_view name, PatternLayout layout = {}) {
    const threads::PatternOption& option = threads::PatternOptionNamed(name);
    const auto set = [&option](BatchOptions& o, const std::string& v) {
        if (option.form == threads::OptionForm::Catalogue) {
            o.threads = Named(v, option.Refusal(v));
            return;
        }
        const std::optional<double> value =
            option.form == threads::OptionForm::Flag ? option.high : option.Read(v);
        if (!value)
            throw UsageError(option.Refusal(v));
        option.set(o.pattern, *value);
    };
    const std::string heading = option.Heading();
    return {std::string(option.name),
            "",
            option.form == threads::OptionForm::Flag ? Takes::Nothing : Takes::Value,
            set,
            layout.inUsage ? "[" + heading + "]" : "",
            layout.usageBreak,
            std::move(layout.section),
            heading,
            option.help,
            std::move(layout.after)};
}

// "1000 x 1000": the sides of a square of side stitches.
std::string Square(int side) {
    return std::to_string(side) + " x " + std::to_string(side);
}

std::vector<Row> BuildRows() {
    const std::string chart = std::to_string(kMaxStitchesPerSide);
    const std::string pattern = std::to_string(kMaxPatternStitchesPerSide);
    // clang-format off
    return {
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
     "to " + chart + " with NAME (the BMP files of the window's chart) and 1 to " + pattern + "\n"
     "when only the pattern is written (--pdf, --oxs, --preview, --key,\n"
     "--report). PNG, JPEG, GIF (its first frame) and BMP pictures of any size\n"
     "are read, the kind told by the file's contents. Without --fit, a .png,\n"
     ".jpg, .jpeg or .gif file holding such a picture is charted at its own\n"
     "size. Such a\n"
     "picture of more than " + std::to_string(kMaxColors) + " colours after the levels is charted, unless\n"
     "--max-colours or --min-stitches is given, with the " + std::to_string(kPhotoColourBudget) + " colours that best\n"
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
    PatternRow("--threads", {.usageBreak = true, .section = "Threads and the key"}),
    PatternRow("--fabric"),
    PatternRow("--strands"),
    PatternRow("--fabric-colour", {.inUsage = false}),
    PatternRow("--stitch-white"),
    {"--key", "", Takes::ValueAfterEquals, SetKey,
     "[--key[=csv]]", true, "", "--key, --key=csv",
     "prints the key on standard output after the files, as a table or as CSV:\n"
     "symbol number, colour, nearest thread (CIEDE2000), its name, the\n"
     "difference, stitches, metres and skeins of " + threads::NumberText(threads::kSkeinMetres) + " m of floss. With --key, NAME\n"
     "may be left out: then only the key is printed and nothing is saved.\n", ""},
    PatternRow("--report"),
    PatternRow("--snap",
               {.section = "Colours (all off by default; applied after the levels, in this order)"}),
    PatternRow("--max-colours"),
    PatternRow("--min-stitches", {.usageBreak = true}),
    PatternRow("--dither"),
    PatternRow("--clean",
               {.after = "  Example: the DMC key of a picture snapped to threads, cleaned, in 30 colours:\n"
                         "    brodix-chart --snap --clean --max-colours 30 --key sunset.bmp out/sunset\n"}),
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
    PatternRow("--paper", {.inUsage = false}),
    PatternRow("--chart-style",
               {.inUsage = false,
                .after = "  Example: brodix-chart --red 4 --green 4 --blue 4 --pdf sunset.pdf sunset.bmp\n"}),
    {"--oxs", "", Takes::Value,
     [](BatchOptions& o, const std::string& v) { o.oxs = Named(v, "--oxs needs a file name"); },
     "", false, "", "--oxs FILE",
     "also writes the pattern as an OXS file, which WinStitch, MacStitch,\n"
     "FlossCross, Embroiderly and other programs open: the chart's size, the\n"
     "threads with their colours and symbols, and one full stitch per stitched\n"
     "cell (white is left as cloth unless --stitch-white). NAME may then be\n"
     "left out. An existing FILE is replaced only once the new one is complete.\n", ""},
    {"--preview", "", Takes::Value,
     [](BatchOptions& o, const std::string& v) { o.preview = Named(v, "--preview needs a file name"); },
     "", false, "Stitched preview", "--preview FILE",
     "also writes the pattern as it will look stitched, a PNG picture: the\n"
     "fabric (--fabric-colour, its weave and holes at the --fabric count) and\n"
     "each stitch as a cross of --strands strands in its colour; the cells left\n"
     "blank show the fabric. NAME may then be left out. An existing FILE is\n"
     "replaced only once the new one is complete.\n", ""},
    {"--preview-size", "", Takes::Value,
     [](BatchOptions& o, const std::string& v) { o.previewSize = ParsePreviewSize(v); },
     "", false, "", "--preview-size N",
     "pixels a stitch of the preview, " + std::to_string(print::kLeastPreviewStitchPixels) + " to " +
     std::to_string(print::kMostPreviewStitchPixels) + " (default " +
     std::to_string(print::kDefaultPreviewStitchPixels) + "), fewer where a\n"
     "side would pass " + std::to_string(print::kMaxPreviewSidePixels) + " pixels (" +
     std::to_string(print::PreviewStitchPixels(kMaxPatternStitchesPerSide, kMaxPatternStitchesPerSide, print::kDefaultPreviewStitchPixels)) +
     " for " + Square(kMaxPatternStitchesPerSide) + " stitches). Below " +
     std::to_string(print::kLeastCrossPixels) + " each\n"
     "stitch is its colour seen from afar.\n",
     "  Example: brodix-chart --fabric 18 --preview sunset.png sunset.bmp\n"},
    {"--help", "-h", Takes::Nothing,
     [](BatchOptions& o, const std::string&) { o.help = true; },
     "", false, "Help", "-h, --help", "shows this text.\n", ""},
    {"--version", "", Takes::Nothing,
     [](BatchOptions& o, const std::string&) { o.version = true; },
     "", false, "", "--version", "shows the program's name and version.\n", ""},
    };
    // clang-format on
}

const std::vector<Row>& Rows() {
    static const std::vector<Row> rows = BuildRows();
    return rows;
}

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
    for (const Row& row : Rows()) {
        if (!row.section.empty())
            help.append("\n").append(row.section).append(":\n");
        if (row.heading.empty())
            continue;
        help.append("  ").append(row.heading);
        if (row.heading.size() <= kShortHeading) {
            const std::string_view text = row.text;
            const std::size_t first = text.find('\n') + 1;
            help.append("  ").append(text.substr(0, first));
            help += Indented(text.substr(first));
        } else {
            help.append("\n") += Indented(row.text);
        }
        help.append(row.after);
    }
    return help;
}

// "  64  ": an exit status as the list of them shows it, before its meaning.
std::string ExitStatus(int status) {
    std::string text = "  " + std::to_string(status);
    text.resize(6, ' ');
    return text;
}

}  // namespace

std::span<const OptionRow> OptionTable() {
    return Rows();
}

const OptionRow* FindOption(std::string_view name) {
    const std::vector<Row>& rows = Rows();
    const auto found = std::find_if(rows.begin(), rows.end(), [name](const Row& row) {
        return row.name == name || (!row.alias.empty() && row.alias == name);
    });
    return found == rows.end() ? nullptr : &*found;
}

std::string UsageText() {
    std::string usage = "usage: brodix-chart";
    for (const Row& row : Rows()) {
        if (row.usage.empty())
            continue;
        usage.append(row.usageBreak ? "\n                    " : " ").append(row.usage);
    }
    return usage +
           " PICTURE NAME\n"
           "       brodix-chart --key[=csv] [options] PICTURE [NAME]\n"
           "       brodix-chart [options] --pdf FILE [" +
           threads::PatternOptionNamed("--paper").Heading() +
           "]\n"
           "                    [" +
           threads::PatternOptionNamed("--chart-style").Heading() +
           "] PICTURE [NAME]\n"
           "       brodix-chart [options] --oxs FILE PICTURE [NAME]\n"
           "       brodix-chart [options] --preview FILE [--preview-size N]\n"
           "                    [" +
           threads::PatternOptionNamed("--fabric-colour").Heading() +
           "] PICTURE [NAME]\n"
           "       brodix-chart --help\n";
}

std::string HelpText() {
    const std::string across = std::to_string(kChartPageSize.across);
    const std::string down = std::to_string(kChartPageSize.down);
    return UsageText() +
           "\n"
           "Makes the cross-stitch chart of PICTURE and saves it under NAME, as Load Picture,\n"
           "Make and Save do in the Brodix window.\n"
           "\n"
           "PICTURE  the picture to chart: a BMP of at most " +
           Square(kMaxStitchesPerSide) + " pixels and " + std::to_string(kMaxColors) +
           " colours,\n"
           "         or up to " +
           Square(kMaxPatternStitchesPerSide) +
           " when only the pattern is written (no NAME).\n"
           "         Its kind follows its extension (.bmp; .ico, .wmf and .emf load but cannot\n"
           "         be charted); PNG, JPEG and GIF pictures are read as under --fit. An OXS\n"
           "         chart (told by its contents) is read as one pixel per full stitch, at its\n"
           "         own size unless --fit is given; what else it holds is reported. A pipe\n"
           "         (/dev/stdin, <(...)) is read once, its kind told by its contents.\n"
           "NAME     the name to save under, as typed in the save dialog: a relative name is\n"
           "         taken from the current folder, and a name without extension gets .bmp.\n"
           "         With NAME rose.bmp the files are:\n"
           "           rose_CS.bmp                 the whole chart in black and white\n"
           "           rose_CS11.bmp, rose_CS12.bmp, ...\n"
           "                                       its pages of " +
           across + " x " + down +
           " stitches, page column\n"
           "                                       then page row, when it is wider than " +
           across +
           " or\n"
           "                                       taller than " +
           down +
           " stitches\n"
           "           rose_color.bmp              the legend, in columns of " +
           std::to_string(kLegendRowsPerColumn) +
           " colours\n"
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
           "are still written and the exit status is " +
           std::to_string(kExitFailed) +
           ". A run of more than about a second\n"
           "shows how far it has come on standard error when that is a terminal.\n"
           "\n"
           "Exit status:\n" +
           ExitStatus(kExitDone) + "the files are written\n" + ExitStatus(kExitRefused) +
           "the picture cannot be charted (too large or too many colours); the reason is\n"
           "      printed (the window's message, its title on the first line, when the window\n"
           "      would refuse it too), and nothing is written\n" +
           ExitStatus(kExitFailed) +
           "any other failure: the picture cannot be read, a file cannot be written, the\n"
           "      thread catalogue cannot be found or read, ...;\n"
           "      the files printed before the failure stay\n" +
           ExitStatus(kExitUsage) + "the command line is wrong\n";
}

StitchSize ParseFit(const std::string& value) {
    const std::size_t x = AsciiLowered(value).find('x');
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
    const std::string lowered = AsciiLowered(level);
    for (std::size_t i = 0; i < kLevelItems.size(); ++i) {
        const std::string_view item(kLevelItems[i]);
        if (lowered == AsciiLowered(std::string(item.substr(item.find_first_not_of(' ')))))
            return static_cast<int>(i);
    }
    return -1;
}

}  // namespace brodix
