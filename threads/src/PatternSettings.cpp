#include "threads/PatternSettings.h"

#include "threads/KeyBuilder.h"

namespace brodix::threads {

MakeOptions MakeOptionsOf(const PatternSettings& settings) {
    MakeOptions options;
    if (settings.snap && settings.catalogue)
        options.snapColours = settings.catalogue->Colours();
    options.clean = settings.clean;
    options.minStitches = settings.minStitches;
    options.maxColours = settings.maxColours;
    return options;
}

PatternKey KeyOf(const Census& census, const PatternSettings& settings) {
    return BuildPatternKey(census, settings.catalogue ? &*settings.catalogue : nullptr,
                           settings.floss);
}

}  // namespace brodix::threads
