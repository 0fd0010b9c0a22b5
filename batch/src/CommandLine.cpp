#include "batch/CommandLine.h"

#include "batch/FailureLines.h"
#include "batch/OptionTable.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string_view>

#include "engine/Census.h"

#include "export/SavePattern.h"
#include "raster/FileName.h"

namespace brodix {

BatchOptions ParseCommandLine(const std::vector<std::string>& arguments) {
    BatchOptions options;
    std::vector<std::string> positional;
    // Each option once: with two values, which one the user meant cannot be told.
    std::set<const OptionRow*> given;
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
        // Both "--red 4" and "--red=4".
        const std::size_t equals = argument.find('=');
        const std::string option = argument.substr(0, equals);
        const OptionRow* row = FindOption(option);
        // An option that takes nothing is known only without a value.
        if (row == nullptr || (row->takes == Takes::Nothing && equals != std::string::npos))
            throw UsageError("unknown option '" + option + "'");
        if (!given.insert(row).second) {
            const std::string alias =
                row->alias.empty() ? std::string() : " (" + std::string(row->alias) + ")";
            throw UsageError(std::string(row->name) + alias +
                             " is given twice; give each option once");
        }
        std::string value;
        if (equals != std::string::npos) {
            value = argument.substr(row->takes == Takes::ValueAfterEquals ? equals : equals + 1);
        } else if (row->takes == Takes::Value) {
            if (i + 1 >= arguments.size())
                throw UsageError(option + " needs a value");
            value = arguments[++i];
        }
        row->set(options, value);
        if (options.help || options.version)
            return options;
    }
    // With --pdf, --oxs, --preview, --key or --report, the BMP files are written only when NAME
    // is given.
    const bool nameOptional = !options.pdf.empty() || !options.oxs.empty() ||
                              !options.preview.empty() || options.key != KeyFormat::None ||
                              options.pattern.report;
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
    if (!options.oxs.empty() && !NamesAFile(options.oxs))
        throw UsageError("--oxs '" + options.oxs + "' names a folder, not a file");
    if (!options.preview.empty() && !NamesAFile(options.preview))
        throw UsageError("--preview '" + options.preview + "' names a folder, not a file");
    if (positional.size() > 1 && !NamesAFile(options.name)) {
        throw UsageError("NAME '" + options.name + "' names a folder, not a file");
    }
    // The BMP files hold the window's chart, which stops at 200 x 200; the pattern alone does not.
    const std::optional<StitchSize>& fit = options.photo.fit;
    if (positional.size() > 1 && fit &&
        (fit->width > kMaxStitchesPerSide || fit->height > kMaxStitchesPerSide)) {
        const std::string most = std::to_string(kMaxStitchesPerSide);
        throw UsageError("--fit " + std::to_string(fit->width) + "x" + std::to_string(fit->height) +
                         " is larger than the BMP files of NAME take (" + most + " x " + most +
                         " stitches): fit it into that, or leave out NAME to write the pattern "
                         "alone (--pdf, --oxs, --preview or --key), which may be as large as " +
                         PatternLimitText());
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

}  // namespace brodix
