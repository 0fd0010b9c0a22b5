#include "pattern/OxsWriter.h"

#include <pugixml.hpp>

#include <charconv>
#include <stdexcept>
#include <vector>

#include "engine/SymbolSheet.h"
#include "engine/Workspace.h"
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

// The chart's title: the picture's name without folder and extension.
std::string TitleOf(const std::string& pictureName) {
    const std::string name = NamePart(pictureName);
    const std::string stem = name.substr(0, name.size() - ExtensionPart(name).size());
    return ValidUtf8(stem.empty() ? name : stem);
}

// Brand and number, as readers split them: the number is the last word.
std::string ThreadNumber(const threads::PatternKey& key, const threads::Thread& thread) {
    std::string number = key.catalogueTitle;
    number += ' ';
    number += thread.number;
    return number;
}

// The OXS palette index of every census palette entry: 1.. in the legend's order, 0 (the
// cloth) for white when white cells stay blank.
std::vector<int> OxsIndexes(const OxsSources& sources) {
    std::vector<int> indexes;
    int next = 1;
    for (const PaletteEntry& entry : sources.census.palette) {
        const bool blank = entry.color == clWhite && !sources.stitchWhite;
        indexes.push_back(blank ? 0 : next++);
    }
    return indexes;
}

void AddProperties(pugi::xml_node chart, const OxsSources& sources, int paletteCount) {
    pugi::xml_node properties = chart.append_child("properties");
    properties.append_attribute("oxsversion") = "1.0";
    properties.append_attribute("software") = "Brodix";
    properties.append_attribute("software_version") = BRODIX_VERSION;
    properties.append_attribute("chartwidth") = sources.census.width;
    properties.append_attribute("chartheight") = sources.census.height;
    properties.append_attribute("charttitle") = TitleOf(sources.pictureName).c_str();
    properties.append_attribute("stitchesperinch") =
        NumberText(sources.key.floss.fabricCount).c_str();
    properties.append_attribute("palettecount") = paletteCount;
}

void AddPalette(pugi::xml_node chart, const OxsSources& sources, const std::vector<int>& indexes) {
    // Symbols by use, as the printed pattern gives them: the same character for each colour.
    std::vector<int> counts;
    for (std::size_t k = 0; k < indexes.size(); ++k)
        counts.push_back(indexes[k] == 0 ? -1 : sources.census.palette[k].count);
    const std::vector<int> symbols = SymbolsByUse(counts, SheetOrder());
    pugi::xml_node palette = chart.append_child("palette");
    pugi::xml_node cloth = palette.append_child("palette_item");
    cloth.append_attribute("index") = 0;
    cloth.append_attribute("number") = "cloth";
    cloth.append_attribute("name") = "cloth";
    cloth.append_attribute("color") = HexRgb(clWhite).c_str();
    for (std::size_t k = 0; k < indexes.size(); ++k) {
        if (indexes[k] == 0)
            continue;
        const threads::KeyRow& row = sources.key.rows[k];
        const std::string number = row.hasThread ? ThreadNumber(sources.key, row.thread)
                                                 : HexRgb(row.color).insert(0, 1, '#');
        pugi::xml_node item = palette.append_child("palette_item");
        item.append_attribute("index") = indexes[k];
        item.append_attribute("number") = ValidUtf8(number).c_str();
        item.append_attribute("name") = ValidUtf8(row.hasThread ? row.thread.name : "").c_str();
        item.append_attribute("color") = HexRgb(row.color).c_str();
        // A code point, as the format's maker writes it: a symbol that is a digit, written as
        // the character itself, would be read as the code point of that number.
        item.append_attribute("symbol") = static_cast<unsigned>(SymbolCharacter(symbols[k]));
        item.append_attribute("strands") = sources.key.floss.strands;
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

// The stitches are written as pugixml would write them, without a node for each: they hold
// only numbers, nothing to escape, and are most of the file.
void AppendFullStitches(std::string& text, const Census& census, const std::vector<int>& indexes) {
    text += "  <fullstitches>\n";
    for (int y = 0; y < census.height; ++y) {
        for (int x = 0; x < census.width; ++x) {
            const int index = indexes[census.stitches[GridIndex(x, y, census.width)]];
            if (index == 0)
                continue;
            text += "    <stitch x=\"";
            AppendNumber(text, x);
            text += "\" y=\"";
            AppendNumber(text, y);
            text += "\" palindex=\"";
            AppendNumber(text, index);
            text += "\" />\n";
        }
    }
    text += "  </fullstitches>\n";
}

}  // namespace

OxsSources OxsSourcesOf(const Workspace& workspace, const threads::PatternKey& key,
                        const threads::PatternSettings& settings) {
    return {.census = *workspace.LastCensus(),
            .key = key,
            .pictureName = workspace.LastCensusPictureName(),
            .stitchWhite = settings.stitchWhite};
}

std::string MakeOxs(const OxsSources& sources) {
    const Census& census = sources.census;
    if (sources.key.rows.size() != census.palette.size())
        throw std::invalid_argument("the key has a row count other than the census's palette");
    const std::vector<int> indexes = OxsIndexes(sources);
    int paletteCount = 0;
    for (int index : indexes)
        paletteCount += index != 0;

    pugi::xml_document document;
    pugi::xml_node chart = document.append_child("chart");
    AddProperties(chart, sources, paletteCount);
    AddPalette(chart, sources, indexes);

    StringWriter writer;
    std::string& text = writer.Text();
    // About 45 bytes a stitch, and room for the properties and palette.
    text.reserve(65536 + census.stitches.size() * 45);
    text += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<chart>\n";
    const unsigned flags = pugi::format_indent | pugi::format_skip_control_chars;
    for (const pugi::xml_node part : chart.children())
        part.print(writer, "  ", flags, pugi::encoding_utf8, 1);
    AppendFullStitches(text, census, indexes);
    text += "  <partstitches />\n  <backstitches />\n</chart>\n";
    return std::move(text);
}

void SaveOxs(const std::string& fileName, const OxsSources& sources) {
    const std::string bytes = MakeOxs(sources);
    WriteDocumentFile(fileName, bytes);
}

}  // namespace brodix
