#include "threads/PatternSettings.h"

#include "engine/Refine.h"
#include "threads/KeyBuilder.h"

namespace brodix::threads {

MakeOptions MakeOptionsOf(const PatternSettings& settings) {
    MakeOptions options;
    if (settings.snap && settings.catalogue)
        options.snapColours = settings.catalogue->Colours();
    options.clean = settings.clean;
    options.minStitches = settings.MergesRareColours() ? settings.minStitches : 0;
    options.maxColours = settings.maxColours;
    options.dither = settings.dither;
    return options;
}

std::optional<ThreadCatalogue> FindDefaultCatalogue() {
    return FindCatalogueByTitle(kDefaultCatalogueTitle, CatalogueFolders());
}

void ChoosePhotoDefaults(PatternSettings& settings, std::optional<ThreadCatalogue> fallback) {
    if (!settings.catalogue)
        settings.catalogue = std::move(fallback);
    settings.snap = settings.catalogue.has_value();
    settings.maxColours = kPhotoColourBudget;
    settings.clean = true;
}

std::string PhotoDefaultsNote(const PatternSettings& settings) {
    const std::string threads = settings.snap && settings.catalogue
                                    ? ", snapped to " + settings.catalogue->title + " threads"
                                    : "";
    return "The picture has more than " + std::to_string(kMaxColors) +
           " colours: it is charted with the " + std::to_string(settings.maxColours) +
           " that best represent it" + threads +
           (settings.clean ? ", stray stitches cleaned" : "") + ".";
}

std::string PatternChoicesLine(const PatternSettings& settings) {
    std::string line;
    const auto add = [&line](const std::string& choice) {
        line.append(line.empty() ? "" : " \u00b7 ").append(choice);
    };
    if (settings.snap && settings.catalogue)
        add(settings.catalogue->title + " \u00b7 snap");
    if (settings.maxColours > 0)
        add(std::to_string(settings.maxColours) + " colours");
    if (settings.MergesRareColours())
        add("merge under " + std::to_string(settings.minStitches));
    if (settings.clean && !settings.dither)
        add("clean");
    if (settings.dither)
        add("dither");
    if (settings.stitchWhite)
        add("stitch white");
    return line;
}

PatternKey KeyOf(const Census& census, const PatternSettings& settings,
                 std::span<const std::optional<Thread>> chosen) {
    return BuildPatternKey(census, settings.catalogue ? &*settings.catalogue : nullptr,
                           settings.floss, settings.stitchWhite, chosen);
}

}  // namespace brodix::threads
