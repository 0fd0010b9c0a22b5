#include "pattern/Pattern.h"

#include <utility>

#include "engine/SymbolSheet.h"

namespace brodix {

Pattern::Pattern(Census census, threads::PatternSettings settings, std::string pictureName)
    : m_census(std::move(census)),
      m_settings(std::move(settings)),
      m_pictureName(std::move(pictureName)) {
    Derive();
}

void Pattern::ChangeChoices(const threads::PatternSettings& settings) {
    m_settings.catalogue = settings.catalogue;
    m_settings.floss = settings.floss;
    m_settings.stitchWhite = settings.stitchWhite;
    m_settings.fabricColour = settings.fabricColour;
    m_settings.report = settings.report;
    m_settings.paper = settings.paper;
    m_settings.chartStyle = settings.chartStyle;
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
    m_key = threads::KeyOf(m_census, m_settings);
}

}  // namespace brodix
