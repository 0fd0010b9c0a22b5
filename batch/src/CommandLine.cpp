#include "CommandLine.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <string_view>

#include "engine/Census.h"

#include "export/SavePattern.h"
#include "raster/FileName.h"

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

// A whole number in [low, high] as typed after option.
int ParseInteger(const std::string& option, const std::string& value, int low, int high) {
    char* end = nullptr;
    const long number = std::strtol(value.c_str(), &end, 10);
    if (value.empty() || *end != '\0' || number < low || number > high) {
        throw UsageError(option + " needs a whole number from " + std::to_string(low) + " to " +
                         std::to_string(high) + ", not '" + value + "'");
    }
    return static_cast<int>(number);
}

double ParseFabric(const std::string& value) {
    char* end = nullptr;
    const double count = std::strtod(value.c_str(), &end);
    if (value.empty() || *end != '\0' || !(count >= 1.0 && count <= 100.0))
        throw UsageError("--fabric needs stitches per inch from 1 to 100, not '" + value + "'");
    return count;
}

// The options that take no value (--key also takes an optional =FORMAT). True when argument
// was one of them.
bool ParseFlag(const std::string& argument, BatchOptions& options) {
    if (argument == "--snap") {
        options.pattern.snap = true;
    } else if (argument == "--clean") {
        options.pattern.clean = true;
    } else if (argument == "--key" || argument == "--key=table") {
        options.key = KeyFormat::Table;
    } else if (argument == "--key=csv") {
        options.key = KeyFormat::Csv;
    } else if (argument.rfind("--key=", 0) == 0) {
        throw UsageError("unknown key format '" + argument.substr(6) + "' (use table or csv)");
    } else {
        return false;
    }
    return true;
}

// The options that take a value. False for an option it does not know.
bool ParseValued(const std::string& option, const std::string& value, BatchOptions& options) {
    if (option == "--threads") {
        if (value.empty())
            throw UsageError("--threads needs a catalogue's title or file");
        options.threads = value;
    } else if (option == "--fabric") {
        options.pattern.floss.fabricCount = ParseFabric(value);
    } else if (option == "--strands") {
        options.pattern.floss.strands = ParseInteger(option, value, 1, 6);
    } else if (option == "--min-stitches") {
        options.pattern.minStitches =
            ParseInteger(option, value, 1, kMaxStitchesPerSide * kMaxStitchesPerSide);
    } else if (option == "--max-colours") {
        options.pattern.maxColours = ParseInteger(option, value, 1, kMaxColors);
    } else {
        return false;
    }
    return true;
}

// The options that say how a picture other than a small BMP is read, in one place.
bool IsPictureOption(const std::string& option) {
    return option == "--fit" || option == "--background";
}

void SetPictureOption(const std::string& option, const std::string& value, BatchOptions& options) {
    if (option == "--fit")
        options.photo.fit = ParseFit(value);
    else
        options.photo.background = ParseBackground(value);
}

int ParseSide(const std::string& text, const std::string& whole) {
    const bool digits =
        !text.empty() && text.size() <= 3 &&
        std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c) != 0; });
    const int side = digits ? std::stoi(text) : 0;
    if (side < 1 || side > kMaxStitchesPerSide) {
        throw UsageError("--fit '" + whole + "' is no size (use WxH or N, each 1 to " +
                         std::to_string(kMaxStitchesPerSide) + ")");
    }
    return side;
}

// The printed pattern's options: --pdf FILE, --paper a4|letter, --chart-style bw|tint. False
// when option is none of them.
bool ParsePdfOption(const std::string& option, const std::string& value, BatchOptions& options) {
    if (option == "--pdf") {
        if (value.empty())
            throw UsageError("--pdf needs a file name");
        options.pdf = value;
    } else if (option == "--paper") {
        const std::string paper = Lowered(value);
        if (paper != "a4" && paper != "letter")
            throw UsageError("unknown paper '" + value + "' for --paper (use a4 or letter)");
        options.pdfOptions.paper = paper == "a4" ? print::Paper::A4 : print::Paper::Letter;
    } else if (option == "--chart-style") {
        const std::string style = Lowered(value);
        if (style != "bw" && style != "tint")
            throw UsageError("unknown style '" + value + "' for --chart-style (use bw or tint)");
        options.pdfOptions.style =
            style == "bw" ? print::ChartStyle::BlackWhite : print::ChartStyle::Tint;
    } else {
        return false;
    }
    return true;
}

bool IsPdfOption(const std::string& option) {
    return option == "--pdf" || option == "--paper" || option == "--chart-style";
}

}  // namespace

StitchSize ParseFit(const std::string& value) {
    const std::size_t x = Lowered(value).find('x');
    if (x == std::string::npos) {
        const int side = ParseSide(value, value);
        return {side, side};
    }
    return {ParseSide(value.substr(0, x), value), ParseSide(value.substr(x + 1), value)};
}

TColor ParseBackground(const std::string& value) {
    const std::string hex = !value.empty() && value[0] == '#' ? value.substr(1) : value;
    const bool valid = hex.size() == 6 && std::all_of(hex.begin(), hex.end(), [](unsigned char c) {
                           return std::isxdigit(c) != 0;
                       });
    if (!valid)
        throw UsageError("--background '" + value + "' is no colour (use RRGGBB)");
    const unsigned long rgb = std::stoul(hex, nullptr, 16);
    return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
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

BatchOptions ParseCommandLine(const std::vector<std::string>& arguments) {
    BatchOptions options;
    std::vector<std::string> positional;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (optionsEnded || argument.size() < 2 || argument[0] != '-') {
            positional.push_back(argument);
            continue;
        }
        if (argument == "--") {
            optionsEnded = true;
            continue;
        }
        if (argument == "--help" || argument == "-h") {
            options.help = true;
            return options;
        }
        if (argument == "--version") {
            options.version = true;
            return options;
        }
        if (argument == "--null" || argument == "-z") {
            options.nullEnds = true;
            continue;
        }
        if (ParseFlag(argument, options))
            continue;
        // Both "--red 4" and "--red=4".
        std::string option = argument;
        std::string value;
        bool hasValue = false;
        if (const std::size_t equals = argument.find('='); equals != std::string::npos) {
            option = argument.substr(0, equals);
            value = argument.substr(equals + 1);
            hasValue = true;
        }
        const bool known = option == "--red" || option == "--green" || option == "--blue" ||
                           option == "--symbols" || IsPictureOption(option) ||
                           option == "--threads" || option == "--fabric" || option == "--strands" ||
                           option == "--min-stitches" || option == "--max-colours" ||
                           IsPdfOption(option);
        if (!known)
            throw UsageError("unknown option '" + option + "'");
        if (!hasValue) {
            if (i + 1 >= arguments.size())
                throw UsageError(option + " needs a value");
            value = arguments[++i];
        }
        if (ParsePdfOption(option, value, options)) {
            continue;
        } else if (IsPictureOption(option)) {
            SetPictureOption(option, value, options);
        } else if (option == "--red") {
            options.levels.red = ParseLevel(option, value);
        } else if (option == "--green") {
            options.levels.green = ParseLevel(option, value);
        } else if (option == "--blue") {
            options.levels.blue = ParseLevel(option, value);
        } else if (!ParseValued(option, value, options)) {
            if (value.empty())
                throw UsageError("--symbols needs a file name");
            options.symbolSheet = value;
        }
    }
    // With --pdf or --key, the BMP files are written only when NAME is given.
    const bool nameOptional = !options.pdf.empty() || options.key != KeyFormat::None;
    if (positional.size() < (nameOptional ? 1u : 2u)) {
        throw UsageError(nameOptional ? "PICTURE is needed" : "PICTURE and NAME are both needed");
    }
    if (positional.size() > 2)
        throw UsageError("unexpected argument '" + positional[2] + "'");
    options.picture = positional[0];
    if (positional.size() > 1)
        options.name = positional[1];
    if (!options.pdf.empty() && !NamesAFile(options.pdf))
        throw UsageError("--pdf '" + options.pdf + "' names a folder, not a file");
    if (positional.size() > 1 && !NamesAFile(options.name)) {
        throw UsageError("NAME '" + options.name + "' names a folder, not a file");
    }
    return options;
}

std::string FullPath(const std::string& typed) {
    if (!typed.empty() && typed[0] == '/')
        return typed;
    return (std::filesystem::current_path() / std::filesystem::path(typed)).string();
}

std::string SaveDialogName(const std::string& typed) {
    return WithDefaultExtension(FullPath(typed), kSaveDefaultExtension);
}

std::string UsageText() {
    return "usage: brodix-chart [--red LEVEL] [--green LEVEL] [--blue LEVEL] [--symbols SHEET]\n"
           "                    [--fit WxH] [--background RRGGBB] [-z]\n"
           "                    [--threads CATALOGUE] [--fabric COUNT] [--strands N]\n"
           "                    [--key[=csv]] [--snap] [--clean] [--min-stitches N]\n"
           "                    [--max-colours K] PICTURE NAME\n"
           "       brodix-chart --key[=csv] [options] PICTURE\n"
           "       brodix-chart --help\n";
}

std::string HelpText() {
    return UsageText() +
           "       brodix-chart [OPTIONS] --pdf FILE [--paper a4|letter] [--chart-style bw|tint]\n"
           "                    PICTURE [NAME]\n"
           "\n"
           "Makes the cross-stitch chart of PICTURE and saves it under NAME, as Load Picture,\n"
           "Make and Save do in the Brodix window.\n"
           "\n"
           "PICTURE  the picture to chart: a BMP of at most 200 x 200 pixels and 255 colours.\n"
           "         Its kind follows its extension (.bmp; .ico, .wmf and .emf load but cannot\n"
           "         be charted); PNG, JPEG and GIF pictures are read as under --fit.\n"
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
           "         it, when it does not exist yet.\n"
           "\n"
           "Options:\n"
           "  --red LEVEL, --green LEVEL, --blue LEVEL\n"
           "         the levels each channel keeps: org (exact, the default), 4, 6, 16 or 18.\n"
           "  --symbols SHEET\n"
           "         the symbol sheet to use instead of Brodix.bmp beside the program. A sheet\n"
           "         that cannot be read is reported and the chart is made without symbols.\n"
           "  --fit WxH, --fit N\n"
           "         fits the picture into W x H stitches (N x N), each 1 to 200, keeping its\n"
           "         aspect: a larger picture is averaged down, a smaller one enlarged. PNG,\n"
           "         JPEG, GIF (its first frame) and BMP pictures of any size are read, the\n"
           "         kind told by the file's contents. Without --fit, a .png, .jpg, .jpeg or\n"
           "         .gif file holding such a picture is charted at its own size.\n"
           "  --background RRGGBB\n"
           "         the colour (hexadecimal red, green, blue) that shows where a PNG or GIF\n"
           "         picture is transparent; white (FFFFFF) unless given.\n"
           "  -z, --null\n"
           "         ends each name in the list of files with a NUL byte instead of a line\n"
           "         break, for names that hold line breaks themselves.\n"
           "\n"
           "Threads and the key:\n"
           "  --threads CATALOGUE\n"
           "         the thread catalogue: a title found in the data folders (dmc, anchor,\n"
           "         madeira: kxstitch/schemes and brodix/threads under $XDG_DATA_HOME and\n"
           "         $XDG_DATA_DIRS), matched without regard to case, or the path of a\n"
           "         catalogue (kxstitch XML, or a GIMP palette .gpl whose colour names start\n"
           "         with the thread number); none for no catalogue. Default: dmc when found.\n"
           "  --fabric COUNT\n"
           "         stitches per inch of the fabric, for the floss estimate (default 14).\n"
           "  --strands N\n"
           "         strands stitched together, 1 to 6 (default 2).\n"
           "  --key, --key=csv\n"
           "         prints the key on standard output after the files, as a table or as CSV:\n"
           "         symbol number, colour, nearest thread (CIEDE2000), its name, the\n"
           "         difference, stitches, metres and skeins of 8 m of floss. With --key, NAME\n"
           "         may be left out: then only the key is printed and nothing is saved.\n"
           "\n"
           "Fewer, real colours (all off by default; applied after the levels, in this order):\n"
           "  --snap  each colour becomes the colour of its nearest thread of the catalogue:\n"
           "         one symbol per thread. A picture of more than 255 colours can be charted\n"
           "         when its colours fall on at most 255 threads.\n"
           "  --clean\n"
           "         a stitch whose colour none of its 8 neighbours shares takes the colour\n"
           "         most of them have.\n"
           "  --min-stitches N\n"
           "         colours of fewer than N stitches merge into their nearest remaining\n"
           "         colour, the rarest first.\n"
           "  --max-colours K\n"
           "         the rarest colours merge so that at most K remain.\n"
           "\n"
           "Example: the DMC key of a picture snapped to threads, cleaned, at most 30 colours:\n"
           "    brodix-chart --snap --clean --max-colours 30 --key rose.bmp out/rose\n"
           "\n"
           "Help and version:\n"
           "  --help  shows this text.\n"
           "  --version\n"
           "         shows the program's name and version.\n"
           "\n"
           "The printed pattern:\n"
           "  --pdf FILE\n"
           "         also writes the pattern as one PDF ready to print: a cover with the\n"
           "         picture and a map of the pages, the key (symbol, colour, stitches), and\n"
           "         the chart in the pages above, with row and column numbers every 10\n"
           "         stitches, arrows at the centre, and the first two columns and rows of\n"
           "         the neighbouring pages greyed. NAME may then be left out: only the PDF is\n"
           "         written. An existing FILE is replaced only once the new one is complete.\n"
           "  --paper a4|letter\n"
           "         the PDF's paper: A4 (the default) or US Letter, portrait.\n"
           "  --chart-style bw|tint\n"
           "         the chart's cells: black symbols on white (bw, the default), or on a\n"
           "         light tint of each stitch's colour (tint).\n"
           "  Example: brodix-chart --red 4 --green 4 --blue 4 --pdf rose.pdf rose.bmp\n"
           "\n"
           "The files written are printed one a line as they are completed. Errors go to\n"
           "standard error, as the window's message boxes would show them. When the list\n"
           "cannot be printed, the files are still written and the exit status is 2.\n"
           "\n"
           "Exit status:\n"
           "  0   the files are written\n"
           "  1   the picture cannot be charted (too large or too many colours); the reason is\n"
           "      printed, its title on the first line, and nothing is written\n"
           "  2   any other failure: the picture cannot be read, a file cannot be written, the\n"
           "      thread catalogue cannot be found or read, ...;\n"
           "      the files printed before the failure stay\n"
           "  64  the command line is wrong\n";
}

}  // namespace brodix
