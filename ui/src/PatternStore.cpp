#include "ui/PatternStore.h"

#include <cstdlib>
#include <optional>
#include <string>

#include "engine/Census.h"
#include "ui/Shell.h"

namespace brodix {

namespace {

constexpr const char* kThreads = "pattern/threads";  // a catalogue's path; empty: none
constexpr const char* kFabric = "pattern/fabricCount";
constexpr const char* kStrands = "pattern/strands";
constexpr const char* kStitchWhite = "pattern/stitchWhite";
constexpr const char* kSnap = "pattern/snap";
constexpr const char* kClean = "pattern/clean";
constexpr const char* kMinStitches = "pattern/minStitches";
constexpr const char* kMaxColours = "pattern/maxColours";
constexpr const char* kDither = "pattern/dither";
constexpr const char* kReport = "pattern/report";

// A stored number in [low, high], or nothing.
std::optional<double> Number(Shell& shell, const char* key, double low, double high) {
    const std::optional<std::string> text = shell.StoredSetting(key);
    if (!text || text->empty())
        return std::nullopt;
    char* end = nullptr;
    const double value = std::strtod(text->c_str(), &end);
    if (*end != '\0' || !(value >= low && value <= high))
        return std::nullopt;
    return value;
}

void RestoreInteger(Shell& shell, const char* key, int low, int high, int& target) {
    if (const std::optional<double> value = Number(shell, key, low, high))
        target = static_cast<int>(*value);
}

void RestoreFlag(Shell& shell, const char* key, bool& target) {
    if (const std::optional<std::string> text = shell.StoredSetting(key))
        target = *text == "1";
}

std::optional<threads::ThreadCatalogue> StoredCatalogue(Shell& shell) {
    const std::optional<std::string> path = shell.StoredSetting(kThreads);
    try {
        if (!path)
            return threads::FindCatalogueByTitle(threads::kDefaultCatalogueTitle,
                                                 threads::CatalogueFolders());
        if (!path->empty())
            return threads::ReadCatalogue(*path);
    } catch (const std::exception&) {
        // Moved or damaged since: the pattern starts without threads, as the menu then shows.
    }
    return std::nullopt;
}

}  // namespace

void RestorePatternSettings(Shell& shell, threads::PatternSettings& settings) {
    settings.catalogue = StoredCatalogue(shell);
    if (const std::optional<double> count = Number(shell, kFabric, 1, 100))
        settings.floss.fabricCount = *count;
    RestoreInteger(shell, kStrands, 1, 6, settings.floss.strands);
    RestoreFlag(shell, kStitchWhite, settings.stitchWhite);
    RestoreFlag(shell, kSnap, settings.snap);
    RestoreFlag(shell, kClean, settings.clean);
    RestoreInteger(shell, kMinStitches, 0, kMaxStitchesPerSide * kMaxStitchesPerSide,
                   settings.minStitches);
    RestoreInteger(shell, kMaxColours, 0, kMaxColors, settings.maxColours);
    RestoreFlag(shell, kDither, settings.dither);
    RestoreFlag(shell, kReport, settings.report);
}

void StorePatternSettings(Shell& shell, const threads::PatternSettings& settings) {
    shell.StoreSetting(kThreads, settings.catalogue ? settings.catalogue->path : std::string());
    shell.StoreSetting(kFabric, std::to_string(settings.floss.fabricCount));
    shell.StoreSetting(kStrands, std::to_string(settings.floss.strands));
    shell.StoreSetting(kStitchWhite, settings.stitchWhite ? "1" : "0");
    shell.StoreSetting(kSnap, settings.snap ? "1" : "0");
    shell.StoreSetting(kClean, settings.clean ? "1" : "0");
    shell.StoreSetting(kMinStitches, std::to_string(settings.minStitches));
    shell.StoreSetting(kMaxColours, std::to_string(settings.maxColours));
    shell.StoreSetting(kDither, settings.dither ? "1" : "0");
    shell.StoreSetting(kReport, settings.report ? "1" : "0");
}

}  // namespace brodix
