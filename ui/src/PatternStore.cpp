#include "ui/PatternStore.h"

#include <optional>
#include <string>

#include "threads/PatternOptions.h"
#include "threads/PatternSettings.h"
#include "ui/Shell.h"

namespace brodix {

namespace {

using threads::OptionForm;
using threads::PatternOption;

// The stored catalogue, the default one at the first start; a stored catalogue that can no
// longer be read leaves none, and why goes into note.
std::optional<threads::ThreadCatalogue> StoredCatalogue(Shell& shell, const std::string& key,
                                                        std::string& note) {
    const std::optional<std::string> path = shell.StoredSetting(key);
    try {
        if (!path)
            return threads::FindDefaultCatalogue();
        if (!path->empty())
            return threads::ReadCatalogue(*path);
    } catch (const std::exception& failure) {
        // Moved or damaged since: the pattern starts without threads, as the menu then shows.
        note = "The thread catalogue chosen last time could not be read (" +
               std::string(failure.what()) +
               "): the key names no threads. Choose one under Threads in the menu of the "
               "legend or the chart.";
    }
    return std::nullopt;
}

}  // namespace

// Each value is read as the command line reads it, in the same range: a value edited by hand
// or left by another version reads as what brodix-chart would take, or not at all.
std::string RestorePatternSettings(Shell& shell, threads::PatternSettings& settings) {
    std::string note;
    for (const PatternOption& option : threads::PatternOptions()) {
        const std::string key(option.settingKey);
        if (option.form == OptionForm::Catalogue) {
            settings.catalogue = StoredCatalogue(shell, key, note);
            continue;
        }
        if (!option.remembered) {
            option.set(settings, option.Default());
            continue;
        }
        const std::optional<std::string> text = shell.StoredSetting(key);
        const std::optional<double> value = text ? option.Read(*text) : std::nullopt;
        option.set(settings, value.value_or(option.Default()));
    }
    return note;
}

void StorePatternSettings(Shell& shell, const threads::PatternSettings& settings) {
    for (const PatternOption& option : threads::PatternOptions()) {
        const std::string key(option.settingKey);
        if (!option.remembered)
            continue;
        if (option.form == OptionForm::Catalogue)
            shell.StoreSetting(key, settings.catalogue ? settings.catalogue->path : std::string());
        else
            shell.StoreSetting(key, option.Text(option.get(settings)));
    }
}

}  // namespace brodix
