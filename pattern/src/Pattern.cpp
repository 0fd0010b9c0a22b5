#include "pattern/Pattern.h"

#include <algorithm>
#include <utility>

#include "engine/SymbolSheet.h"
#include "raster/FileName.h"
#include "raster/Utf8.h"

namespace brodix {

Pattern::Pattern(Census census, threads::PatternSettings settings, std::string pictureName,
                 std::string title)
    : m_census(std::move(census)),
      m_settings(std::move(settings)),
      m_pictureName(std::move(pictureName)),
      m_title(std::move(title)) {
    Derive();
}

std::string Pattern::Title() const {
    if (!m_title.empty())
        return m_title;
    const std::string name = NamePart(m_pictureName);
    const std::string stem = name.substr(0, name.size() - ExtensionPart(name).size());
    return ValidUtf8(stem.empty() ? name : stem);
}

const threads::PatternKey& Pattern::Key() const {
    if (!m_key) {
        std::vector<std::optional<threads::Thread>> chosen;
        if (m_changedByHand) {
            for (const PatternColour& colour : m_colours)
                chosen.push_back(colour.chosenThread);
        }
        m_key = threads::KeyOf(m_census, m_settings, chosen);
    }
    return *m_key;
}

void Pattern::ChangeChoices(const threads::PatternSettings& settings) {
    m_settings.catalogue = settings.catalogue;
    m_settings.floss = settings.floss;
    m_settings.stitchWhite = settings.stitchWhite;
    m_settings.fabricColour = settings.fabricColour;
    m_settings.report = settings.report;
    m_settings.paper = settings.paper;
    m_settings.chartStyle = settings.chartStyle;
    if (m_changedByHand)
        KeepSymbolsUnderSettings();
    else
        Derive();
}

void Pattern::Derive() {
    m_colours.clear();
    std::vector<int> counts;
    for (std::size_t k = 0; k < m_census.palette.size(); ++k) {
        const PaletteEntry& entry = m_census.palette[k];
        PatternColour colour;
        colour.colour = entry.color;
        colour.sheetSymbol = static_cast<int>(k);
        colour.blank = threads::LeftAsFabric(entry.color, m_settings.stitchWhite);
        counts.push_back(colour.blank ? -1 : entry.count);
        m_colours.push_back(colour);
    }
    const std::vector<int> printed = SymbolsByUse(counts, SheetOrder());
    for (std::size_t k = 0; k < m_colours.size(); ++k)
        m_colours[k].printedSymbol = printed[k];
    m_key.reset();
}

void Pattern::KeepSymbolsUnderSettings() {
    std::vector<bool> taken(static_cast<std::size_t>(kSymbolCount), false);
    for (PatternColour& colour : m_colours) {
        colour.blank = threads::LeftAsFabric(colour.colour, m_settings.stitchWhite);
        if (colour.blank)
            colour.printedSymbol = kNoSymbol;
        if (colour.printedSymbol != kNoSymbol)
            taken[static_cast<std::size_t>(colour.printedSymbol)] = true;
    }
    const std::vector<int> order = SheetOrder();
    for (PatternColour& colour : m_colours) {
        if (colour.blank || colour.printedSymbol != kNoSymbol)
            continue;
        const auto free = std::find_if(order.begin(), order.end(), [&](int symbol) {
            return !taken[static_cast<std::size_t>(symbol)];
        });
        if (free != order.end()) {
            colour.printedSymbol = *free;
            taken[static_cast<std::size_t>(*free)] = true;
        }
    }
    m_key.reset();
}

void Pattern::KeepOwnThreads(std::span<const OwnThread> own) {
    if (own.empty())
        return;
    std::vector<PatternColour> colours = m_colours;
    const threads::PatternKey& key = Key();
    std::vector<bool> ownSymbol(colours.size(), false);
    std::vector<bool> taken(static_cast<std::size_t>(kSymbolCount), false);
    for (std::size_t k = 0; k < colours.size(); ++k) {
        PatternColour& colour = colours[k];
        const auto found = std::find_if(own.begin(), own.end(), [&](const OwnThread& thread) {
            return thread.thread.color == colour.colour;
        });
        if (colour.blank || found == own.end())
            continue;
        const threads::KeyRow& row = key.rows[k];
        const bool keys = row.hasThread && row.thread.number == found->thread.number &&
                          row.thread.name == found->thread.name &&
                          key.catalogueTitle == found->catalogue;
        if (!keys && !found->thread.number.empty()) {
            colour.chosenThread = found->thread;
            colour.catalogue = found->catalogue;
        }
        const int symbol = found->printedSymbol;
        if (symbol >= 0 && symbol < kSymbolCount && !taken[static_cast<std::size_t>(symbol)]) {
            colour.printedSymbol = symbol;
            taken[static_cast<std::size_t>(symbol)] = true;
            ownSymbol[k] = true;
        }
    }
    for (std::size_t k = 0; k < colours.size(); ++k) {
        const int symbol = colours[k].printedSymbol;
        if (!ownSymbol[k] && symbol != kNoSymbol && taken[static_cast<std::size_t>(symbol)])
            colours[k].printedSymbol = kNoSymbol;
    }
    if (colours == m_colours)
        return;
    m_colours = std::move(colours);
    m_changedByHand = true;
    KeepSymbolsUnderSettings();
}

bool operator==(const Pattern& a, const Pattern& b) {
    return a.m_census.width == b.m_census.width && a.m_census.height == b.m_census.height &&
           a.m_census.palette == b.m_census.palette && a.m_census.stitches == b.m_census.stitches &&
           a.m_colours == b.m_colours && a.m_pictureName == b.m_pictureName &&
           a.m_title == b.m_title;
}

}  // namespace brodix
