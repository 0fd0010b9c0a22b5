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

std::optional<threads::ThreadCatalogue> StoredCatalogue(Shell& shell, const std::string& key) {
    const std::optional<std::string> path = shell.StoredSetting(key);
    try {
        if (!path)
            return threads::FindDefaultCatalogue();
        if (!path->empty())
            return threads::ReadCatalogue(*path);
    } catch (const std::exception&) {
        // Moved or damaged since: the pattern starts without threads, as the menu then shows.
    }
    return std::nullopt;
}

}  // namespace

// Each value is read as the command line reads it, in the same range: a value edited by hand
// or left by another version reads as what brodix-chart would take, or not at all.
void RestorePatternSettings(Shell& shell, threads::PatternSettings& settings) {
    for (const PatternOption& option : threads::PatternOptions()) {
        const std::string key(option.settingKey);
        if (option.form == OptionForm::Catalogue) {
            settings.catalogue = StoredCatalogue(shell, key);
            continue;
        }
        const std::optional<std::string> text = shell.StoredSetting(key);
        const std::optional<double> value = text ? option.Read(*text) : std::nullopt;
        option.set(settings, value.value_or(option.Default()));
    }
}

void StorePatternSettings(Shell& shell, const threads::PatternSettings& settings) {
    for (const PatternOption& option : threads::PatternOptions()) {
        const std::string key(option.settingKey);
        if (option.form == OptionForm::Catalogue)
            shell.StoreSetting(key, settings.catalogue ? settings.catalogue->path : std::string());
        else
            shell.StoreSetting(key, option.Text(option.get(settings)));
    }
}

}  // namespace brodix
