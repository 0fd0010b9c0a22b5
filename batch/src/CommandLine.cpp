#include "CommandLine.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <string_view>

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

}  // namespace

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
        // Both "--red 4" and "--red=4".
        std::string option = argument;
        std::string value;
        bool hasValue = false;
        if (const std::size_t equals = argument.find('='); equals != std::string::npos) {
            option = argument.substr(0, equals);
            value = argument.substr(equals + 1);
            hasValue = true;
        }
        const bool known =
            option == "--red" || option == "--green" || option == "--blue" || option == "--symbols";
        if (!known)
            throw UsageError("unknown option '" + option + "'");
        if (!hasValue) {
            if (i + 1 >= arguments.size())
                throw UsageError(option + " needs a value");
            value = arguments[++i];
        }
        if (option == "--red") {
            options.levels.red = ParseLevel(option, value);
        } else if (option == "--green") {
            options.levels.green = ParseLevel(option, value);
        } else if (option == "--blue") {
            options.levels.blue = ParseLevel(option, value);
        } else {
            if (value.empty())
                throw UsageError("--symbols needs a file name");
            options.symbolSheet = value;
        }
    }
    if (positional.size() < 2)
        throw UsageError("PICTURE and NAME are both needed");
    if (positional.size() > 2)
        throw UsageError("unexpected argument '" + positional[2] + "'");
    options.picture = positional[0];
    options.name = positional[1];
    if (!NamesAFile(options.name)) {
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
    return "usage: brodix-chart [--red LEVEL] [--green LEVEL] [--blue LEVEL] [--symbols SHEET]"
           " PICTURE NAME\n"
           "       brodix-chart --help\n";
}

std::string HelpText() {
    return UsageText() +
           "\n"
           "Makes the cross-stitch chart of PICTURE and saves it under NAME, as Load Picture,\n"
           "Make and Save do in the Brodix window.\n"
           "\n"
           "PICTURE  the picture to chart: a BMP of at most 200 x 200 pixels and 255 colours.\n"
           "         Its kind follows its extension (.bmp; .jpg, .jpeg, .ico, .wmf and .emf\n"
           "         load but cannot be charted).\n"
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
           "         these names are replaced.\n"
           "\n"
           "Options:\n"
           "  --red LEVEL, --green LEVEL, --blue LEVEL\n"
           "         the levels each channel keeps: org (exact, the default), 4, 6, 16 or 18.\n"
           "  --symbols SHEET\n"
           "         the symbol sheet to use instead of Brodix.bmp beside the program. A sheet\n"
           "         that cannot be read is reported and the chart is made without symbols.\n"
           "  --help  shows this text.\n"
           "\n"
           "The files written are printed one a line as they are completed. Errors go to\n"
           "standard error, as the window's message boxes would show them.\n"
           "\n"
           "Exit status:\n"
           "  0   the files are written\n"
           "  1   the picture cannot be charted (too large or too many colours); the reason is\n"
           "      printed, its title on the first line, and nothing is written\n"
           "  2   any other failure: the picture cannot be read, a file cannot be written, ...;\n"
           "      the files printed before the failure stay\n"
           "  64  the command line is wrong\n";
}

}  // namespace brodix
