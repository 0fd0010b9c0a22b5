#include "pattern/OxsWriter.h"

#include <pugixml.hpp>

#include <charconv>
#include <vector>

#include "OxsNames.h"
#include "engine/SymbolSheet.h"
#include "raster/FileFailure.h"
#include "raster/FileName.h"
#include "raster/Utf8.h"

namespace brodix {

namespace {

// The shortest text that reads back as the same number, with a '.' whatever the locale.
std::string NumberText(double value) {
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    return std::string(text, end);
}

// Brand and number, as readers split them: the number is the last word. The brand is the
// catalogue a chart file gave the colour's thread from, else the key's; a thread of neither
// (a chart's thread without a brand, no catalogue chosen) is its number alone.
std::string ThreadNumber(const threads::PatternKey& key, const PatternColour& colour,
                         const threads::Thread& thread) {
    std::string number =
        colour.chosenThread && !colour.catalogue.empty() ? colour.catalogue : key.catalogueTitle;
    if (!number.empty())
        number += ' ';
    number += thread.number;
    return number;
}

// The OXS palette index of every palette entry of the pattern: 1.. in the legend's order, 0
// (the cloth) for a colour left as bare fabric.
std::vector<int> OxsIndexes(const Pattern& pattern) {
    std::vector<int> indexes;
    int next = 1;
    for (const PatternColour& colour : pattern.Colours())
        indexes.push_back(colour.blank ? 0 : next++);
    return indexes;
}

void AddProperties(pugi::xml_node chart, const Pattern& pattern, int paletteCount) {
    pugi::xml_node properties = chart.append_child(oxs::kProperties);
    properties.append_attribute(oxs::kOxsVersion) = "1.0";
    properties.append_attribute(oxs::kSoftware) = "Brodix";
    properties.append_attribute(oxs::kSoftwareVersion) = BRODIX_VERSION;
    properties.append_attribute(oxs::kChartWidth) = pattern.Width();
    properties.append_attribute(oxs::kChartHeight) = pattern.Height();
    properties.append_attribute(oxs::kChartTitle) = pattern.Title().c_str();
    properties.append_attribute(oxs::kStitchesPerInch) =
        NumberText(pattern.Key().floss.fabricCount).c_str();
    properties.append_attribute(oxs::kPaletteCount) = paletteCount;
}

void AddPalette(pugi::xml_node chart, const Pattern& pattern, const std::vector<int>& indexes) {
    const threads::PatternKey& key = pattern.Key();
    pugi::xml_node palette = chart.append_child(oxs::kPalette);
    pugi::xml_node cloth = palette.append_child(oxs::kPaletteItem);
    cloth.append_attribute(oxs::kIndex) = 0;
    cloth.append_attribute(oxs::kNumber) = "cloth";
    cloth.append_attribute(oxs::kName) = "cloth";
    cloth.append_attribute(oxs::kColor) = HexRgb(clWhite).c_str();
    for (std::size_t k = 0; k < indexes.size(); ++k) {
        if (indexes[k] == 0)
            continue;
        const threads::KeyRow& row = key.rows[k];
        const PatternColour& colour = pattern.Colour(static_cast<int>(k));
        const std::string number = row.hasThread ? ThreadNumber(key, colour, row.thread)
                                                 : HexRgb(row.color).insert(0, 1, '#');
        pugi::xml_node item = palette.append_child(oxs::kPaletteItem);
        item.append_attribute(oxs::kIndex) = indexes[k];
        item.append_attribute(oxs::kNumber) = ValidUtf8(number).c_str();
        item.append_attribute(oxs::kName) = ValidUtf8(row.hasThread ? row.thread.name : "").c_str();
        item.append_attribute(oxs::kColor) = HexRgb(row.color).c_str();
        // A code point, as the format's maker writes it: a symbol that is a digit, written as
        // the character itself, would be read as the code point of that number. The symbol is
        // the printed pattern's, so that both show a colour by the same character.
        item.append_attribute(oxs::kSymbol) =
            static_cast<unsigned>(SymbolCharacter(colour.printedSymbol));
        item.append_attribute(oxs::kStrands) = key.floss.strands;
    }
}

// Collects the document's text; the file is written only once it is whole.
class StringWriter : public pugi::xml_writer {
  public:
    void write(const void* data, std::size_t size) override {
        m_text.append(static_cast<const char*>(data), size);
    }
    std::string& Text() { return m_text; }

  private:
    std::string m_text;
};

void AppendNumber(std::string& text, int value) {
    char digits[16];
    text.append(digits, std::to_chars(digits, digits + sizeof digits, value).ptr);
}

// An element that holds nothing, as pugixml writes it.
std::string EmptyElement(const char* name) {
    return std::string("  <") + name + " />\n";
}

// The stitches are written as pugixml would write them, without a node for each: they hold
// only numbers, nothing to escape, and are most of the file.
void AppendFullStitches(std::string& text, const Census& census, const std::vector<int>& indexes) {
    const std::string open = std::string("    <") + oxs::kStitch + " " + oxs::kX + "=\"";
    const std::string y = std::string("\" ") + oxs::kY + "=\"";
    const std::string index = std::string("\" ") + oxs::kPalIndex + "=\"";
    text += std::string("  <") + oxs::kFullStitches + ">\n";
    for (int row = 0; row < census.height; ++row) {
        for (int column = 0; column < census.width; ++column) {
            const int palIndex = indexes[census.stitches[GridIndex(column, row, census.width)]];
            if (palIndex == 0)
                continue;
            text += open;
            AppendNumber(text, column);
            text += y;
            AppendNumber(text, row);
            text += index;
            AppendNumber(text, palIndex);
            text += "\" />\n";
        }
    }
    text += std::string("  </") + oxs::kFullStitches + ">\n";
}

}  // namespace

std::string MakeOxs(const Pattern& pattern) {
    const Census& census = pattern.Stitches();
    const std::vector<int> indexes = OxsIndexes(pattern);
    int paletteCount = 0;
    for (int index : indexes)
        paletteCount += index != 0;

    pugi::xml_document document;
    pugi::xml_node chart = document.append_child(oxs::kChart);
    AddProperties(chart, pattern, paletteCount);
    AddPalette(chart, pattern, indexes);

    StringWriter writer;
    std::string& text = writer.Text();
    // About 45 bytes a stitch, and room for the properties and palette.
    text.reserve(65536 + census.stitches.size() * 45);
    text += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    text += std::string("<") + oxs::kChart + ">\n";
    const unsigned flags = pugi::format_indent | pugi::format_skip_control_chars;
    for (const pugi::xml_node part : chart.children())
        part.print(writer, "  ", flags, pugi::encoding_utf8, 1);
    AppendFullStitches(text, census, indexes);
    text += EmptyElement(oxs::kPartStitches) + EmptyElement(oxs::kBackstitches);
    text += std::string("</") + oxs::kChart + ">\n";
    return std::move(text);
}

void SaveOxs(const std::string& fileName, const Pattern& pattern) {
    const std::string bytes = MakeOxs(pattern);
    WriteDocumentFile(fileName, bytes);
}

}  // namespace brodix
