#include "pattern/OxsReader.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <map>
#include <new>
#include <optional>
#include <string_view>
#include <vector>

#include "OxsNames.h"
#include "XmlScanner.h"
#include "raster/Color.h"
#include "raster/Exceptions.h"
#include "raster/Geometry.h"
#include "raster/Stream.h"
#include "raster/TBitmap.h"
#include "raster/Utf8.h"

namespace brodix {

namespace {

// A chart of up to this many cells is read from a file of any size; a larger one needs a file
// of at least one byte for every kCellsPerByte cells. A stitch takes about 35 bytes, so a real
// chart that large is far bigger, unless it is nearly empty.
constexpr std::uint64_t kFreeCells = 1'000'000;
constexpr std::uint64_t kCellsPerByte = 16;
// The size the format's maker gives a chart whose properties leave it out.
constexpr std::int64_t kDefaultChartSide = 100;
constexpr TColor kDefaultMaterialColour = RGB(0xFF, 0x00, 0xFF);

struct Chart {
    int width = 0;
    int height = 0;
};

// Raised with the reason alone; Named adds the file's name.
struct OxsFailure {
    enum class Kind { Damaged, TooLarge } kind;
    std::string reason;
};

// What read() gives; its failures become the framework's errors with the file's name in front:
// a damaged chart EInvalidGraphic, one too large EOutOfResources, a failed allocation
// EOutOfMemory.
template <typename Read>
OxsPicture Named(const std::string& name, Read&& read) {
    try {
        return read();
    } catch (const OxsFailure& failure) {
        if (failure.kind == OxsFailure::Kind::TooLarge)
            throw EOutOfResources(name + ": " + failure.reason);
        throw EInvalidGraphic(name + ": " + failure.reason);
    } catch (const std::bad_alloc&) {
        throw EOutOfMemory(name + ": not enough memory to read the chart");
    }
}

// A number as the format writes it: '.' or ',' before the fraction, blanks around allowed.
std::optional<double> NumberOf(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    std::string normal(text);
    std::replace(normal.begin(), normal.end(), ',', '.');
    if (!normal.empty() && normal.front() == '+')
        normal.erase(0, 1);
    double value = 0.0;
    const auto [end, error] = std::from_chars(normal.data(), normal.data() + normal.size(), value);
    if (error != std::errc() || end != normal.data() + normal.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

// A value as it stands in the file, its references decoded; decoding is needed only where a
// reference is written.
std::string Decoded(std::string_view value) {
    return value.find('&') == std::string_view::npos ? std::string(value) : DecodedXmlValue(value);
}

// A whole number: a cell coordinate or a palette index ("3" or "3.0", not "2.5").
std::optional<std::int64_t> WholeNumberOf(std::optional<std::string_view> attribute) {
    if (!attribute)
        return std::nullopt;
    const std::optional<double> value = NumberOf(Decoded(*attribute));
    if (!value || std::trunc(*value) != *value || std::fabs(*value) > 1e15)
        return std::nullopt;
    return static_cast<std::int64_t>(*value);
}

OxsFailure Damaged(std::string reason) {
    return OxsFailure{OxsFailure::Kind::Damaged, std::move(reason)};
}

// A palette of more items than this is no chart's: each costs memory until the stitches are
// read, so a file of nothing else is refused rather than kept whole.
constexpr std::int64_t kMaxPaletteItems = 65536;

// What the first reading of a chart gathers: its size as written (nothing when it is not),
// its palette's colours by index, and what its picture cannot show.
struct ChartOutline {
    bool isChart = false;
    std::optional<std::string> width;
    std::optional<std::string> height;
    std::string title;
    std::map<std::int64_t, TColor> palette;
    std::vector<OxsThread> threads;
    std::int64_t paletteItems = 0;
    OxsLeftOut others;
};

int ChartSide(const std::optional<std::string>& value, const char* side) {
    if (!value)
        return static_cast<int>(kDefaultChartSide);
    const std::optional<std::int64_t> stitches = WholeNumberOf(*value);
    if (!stitches || *stitches < 1 || *stitches > INT32_MAX) {
        throw Damaged(std::string("the chart's ") + side + " \"" + *value +
                      "\" is not a number of stitches");
    }
    return static_cast<int>(*stitches);
}

// The chart's size, checked before its picture is allocated: within the decode cap of any
// picture, and no larger than the file can describe.
Chart ChartOf(const ChartOutline& outline, std::size_t fileBytes, std::uint64_t maxPixels) {
    const Chart size{ChartSide(outline.width, "width"), ChartSide(outline.height, "height")};
    const auto width = static_cast<std::uint64_t>(size.width);
    const auto height = static_cast<std::uint64_t>(size.height);
    if (width > maxPixels || height > maxPixels / width) {
        throw OxsFailure{OxsFailure::Kind::TooLarge,
                         "the picture is " + std::to_string(width) + " x " +
                             std::to_string(height) + " pixels; at most " +
                             std::to_string(maxPixels) + " pixels can be read"};
    }
    const std::uint64_t cells = width * height;
    if (cells > kFreeCells && cells / kCellsPerByte > fileBytes) {
        throw OxsFailure{OxsFailure::Kind::TooLarge,
                         "the chart claims " + std::to_string(size.width) + " x " +
                             std::to_string(size.height) + " stitches, far more than a file of " +
                             std::to_string(fileBytes) + " bytes can describe"};
    }
    return size;
}

// A palette item. One without an index takes its place in the list (the first is the cloth);
// the first of two items with one index counts. A colour that is missing or unreadable is
// magenta, as the format's maker shows it.
void AddPaletteItem(const XmlScanner& item, ChartOutline& outline) {
    if (++outline.paletteItems > kMaxPaletteItems) {
        throw Damaged("the palette holds more than " + std::to_string(kMaxPaletteItems) +
                      " colours, far more than a chart has");
    }
    const std::optional<std::string_view> indexText = item.Attribute(oxs::kIndex);
    const std::optional<std::int64_t> index =
        indexText ? WholeNumberOf(indexText) : outline.paletteItems - 1;
    if (!index)
        return;
    const std::string colour = Decoded(item.Attribute(oxs::kColor).value_or(""));
    const TColor rgb = ParseHexRgb(colour).value_or(kDefaultMaterialColour);
    if (!outline.palette.emplace(*index, rgb).second || *index == 0)
        return;
    OxsThread thread;
    thread.index = *index;
    thread.number = ValidUtf8(Decoded(item.Attribute(oxs::kNumber).value_or("")));
    thread.name = ValidUtf8(Decoded(item.Attribute(oxs::kName).value_or("")));
    thread.colour = rgb;
    const std::optional<std::int64_t> symbol = WholeNumberOf(item.Attribute(oxs::kSymbol));
    if (symbol && *symbol > 0 && *symbol <= 0x10FFFF)
        thread.symbol = static_cast<char32_t>(*symbol);
    outline.threads.push_back(std::move(thread));
}

void CountOrnament(const XmlScanner& object, OxsLeftOut& leftOut) {
    const std::string type = Decoded(object.Attribute(oxs::kObjectType).value_or(""));
    if (type == oxs::kKnot)
        ++leftOut.knots;
    else if (type.starts_with(oxs::kBeadPrefix))
        ++leftOut.beads;
    else
        ++leftOut.otherObjects;
}

// Calls visitSection(section, element) for each child of the chart (the document's first
// element, when it is <chart>) and visit(section, element) for each element within one of
// them. The text is read to its end either way, so that a fault anywhere in it is found.
// Whether the document's first element is <chart>.
template <typename VisitSection, typename Visit>
bool WalkChart(std::string_view text, VisitSection&& visitSection, Visit&& visit) {
    XmlScanner scanner(text);
    bool rootSeen = false;
    bool isChart = false;
    bool inChart = false;
    std::string_view section;
    for (XmlScanner::Event event; (event = scanner.Next()) != XmlScanner::Event::Done;) {
        const std::size_t depth = scanner.Depth();
        if (event == XmlScanner::Event::End) {
            if (depth == 0)
                inChart = false;
            else if (depth == 1)
                section = {};
            continue;
        }
        if (depth == 0) {
            inChart = !rootSeen && scanner.Name() == oxs::kChart;
            isChart = isChart || inChart;
            rootSeen = true;
        } else if (inChart && depth == 1) {
            section = scanner.Name();
            visitSection(section, scanner);
        } else if (inChart && depth == 2) {
            visit(section, scanner);
        }
    }
    return isChart;
}

// The chart's size, palette and what its picture cannot show, read through the whole text.
ChartOutline OutlineOf(std::string_view text) {
    ChartOutline outline;
    bool propertiesSeen = false;
    bool paletteSeen = false;
    bool inFirstPalette = false;
    const auto visitSection = [&](std::string_view section, const XmlScanner& element) {
        inFirstPalette = false;
        if (section == oxs::kProperties && !propertiesSeen) {
            propertiesSeen = true;
            if (const auto width = element.Attribute(oxs::kChartWidth))
                outline.width = std::string(*width);
            if (const auto height = element.Attribute(oxs::kChartHeight))
                outline.height = std::string(*height);
            if (const auto title = element.Attribute(oxs::kChartTitle))
                outline.title = Decoded(*title);
        } else if (section == oxs::kPalette && !paletteSeen) {
            paletteSeen = true;
            inFirstPalette = true;
        }
    };
    const auto visit = [&](std::string_view section, const XmlScanner& element) {
        const std::string_view name = element.Name();
        if (inFirstPalette && name == oxs::kPaletteItem)
            AddPaletteItem(element, outline);
        else if (section == oxs::kPartStitches && name == oxs::kPartStitch)
            ++outline.others.partStitches;
        else if (section == oxs::kBackstitches && name == oxs::kBackstitch)
            ++outline.others.backstitches;
        else if (section == oxs::kOrnaments && name == oxs::kObject)
            CountOrnament(element, outline.others);
    };
    outline.isChart = WalkChart(text, visitSection, visit);
    return outline;
}

// A white picture of the chart's size, 24 bits, stored bottom up as a BMP file of it would be
// read. Every row is written, so the size was checked first (ChartOf).
std::unique_ptr<TBitmap> BlankPicture(const Chart& size) {
    BitmapLayout layout;
    layout.format = TPixelFormat::Direct24;
    std::unique_ptr<TBitmap> picture;
    try {
        picture = TBitmap::CreateWithLayout(size.width, size.height, layout, false);
    } catch (const EOutOfResources&) {
        throw std::bad_alloc();
    }
    // The rows' padding stays zero, as a bitmap made from decoded pixels has it.
    for (int y = 0; y < size.height; ++y)
        std::memset(picture->MutableScanLine(y), 0xFF, static_cast<std::size_t>(size.width) * 3);
    return picture;
}

void PaintFullStitches(std::string_view text, const Chart& size,
                       const std::map<std::int64_t, TColor>& palette, TBitmap& picture,
                       OxsLeftOut& leftOut) {
    std::vector<bool> taken(GridCells(size.width, size.height));
    const auto visit = [&](std::string_view section, const XmlScanner& stitch) {
        if (section != oxs::kFullStitches || stitch.Name() != oxs::kStitch)
            return;
        const auto x = WholeNumberOf(stitch.Attribute(oxs::kX));
        const auto y = WholeNumberOf(stitch.Attribute(oxs::kY));
        const auto index = WholeNumberOf(stitch.Attribute(oxs::kPalIndex));
        if (!x || !y || !index) {
            ++leftOut.unreadable;
            return;
        }
        // A stitch in the cloth's colour is no stitch: the cell stays empty.
        if (*index == 0)
            return;
        const auto colour = palette.find(*index);
        if (colour == palette.end()) {
            ++leftOut.unknownColour;
            return;
        }
        if (*x < 0 || *y < 0 || *x >= size.width || *y >= size.height) {
            ++leftOut.outsideChart;
            return;
        }
        const int column = static_cast<int>(*x);
        const int row = static_cast<int>(*y);
        const std::size_t cell = GridIndex(column, row, size.width);
        if (taken[cell]) {
            ++leftOut.secondStitch;
            return;
        }
        taken[cell] = true;
        std::uint8_t* pixel = picture.MutableScanLine(row) + std::size_t(column) * 3;
        pixel[0] = BlueOf(colour->second);
        pixel[1] = GreenOf(colour->second);
        pixel[2] = RedOf(colour->second);
    };
    WalkChart(
        text, [](std::string_view, const XmlScanner&) {}, visit);
}

std::string Counted(int count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

// "a", "a and b", "a, b and c".
std::string Listed(const std::vector<std::string>& items) {
    std::string text;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0)
            text += i + 1 == items.size() ? " and " : ", ";
        text += items[i];
    }
    return text;
}

std::string MessageOf(const std::string& name, const OxsLeftOut& left, const Chart& size) {
    std::vector<std::string> shapes;
    const auto add = [](std::vector<std::string>& list, int count, const char* one,
                        const char* many) {
        if (count > 0)
            list.push_back(Counted(count, one, many));
    };
    add(shapes, left.partStitches, "part stitch", "part stitches");
    add(shapes, left.backstitches, "backstitch", "backstitches");
    add(shapes, left.knots, "French knot", "French knots");
    add(shapes, left.beads, "bead", "beads");
    add(shapes, left.otherObjects, "other ornament", "other ornaments");
    std::vector<std::string> faults;
    const std::string chart =
        std::to_string(size.width) + " x " + std::to_string(size.height) + " chart";
    add(faults, left.outsideChart, ("full stitch outside the " + chart).c_str(),
        ("full stitches outside the " + chart).c_str());
    add(faults, left.unknownColour, "full stitch of a colour the palette lacks",
        "full stitches of colours the palette lacks");
    add(faults, left.secondStitch, "second full stitch in a cell",
        "second full stitches in a cell");
    add(faults, left.unreadable, "full stitch without a readable position or colour",
        "full stitches without a readable position or colour");
    std::string message;
    if (!shapes.empty())
        message = name + ": only full stitches can be charted; left out " + Listed(shapes) + ".";
    if (!faults.empty())
        message +=
            (message.empty() ? name + ": " : std::string(" ")) + "Left out " + Listed(faults) + ".";
    return message;
}

}  // namespace

bool IsOxsData(std::span<const std::uint8_t> bytes) {
    std::string_view text(reinterpret_cast<const char*>(bytes.data()),
                          std::min(bytes.size(), kOxsSniffBytes));
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    // The first element after the declaration, comments and a document type.
    std::size_t at = 0;
    while ((at = text.find('<', at)) != std::string_view::npos) {
        const std::string_view rest = text.substr(at + 1);
        if (rest.starts_with("?") || rest.starts_with("!")) {
            at += 1;
            continue;
        }
        const std::string_view chart = oxs::kChart;
        return rest.starts_with(chart) && rest.size() > chart.size() &&
               std::strchr(" \t\r\n/>", rest[chart.size()]) != nullptr;
    }
    return false;
}

namespace {

void RequireOxsSize(std::size_t bytes) {
    if (bytes > kMaxOxsFileBytes) {
        throw OxsFailure{
            OxsFailure::Kind::TooLarge,
            "the OXS file is larger than " + std::to_string(kMaxOxsFileBytes >> 20) + " MB"};
    }
}

OxsFailure NotWellFormed(const XmlFault& fault, std::string_view text) {
    if (fault.limit == XmlFault::Limit::Depth) {
        return Damaged("the OXS file nests its elements more than " +
                       std::to_string(XmlScanner::kMaxDepth) + " deep; a chart nests them 3 deep");
    }
    if (fault.limit == XmlFault::Limit::Attributes) {
        return Damaged("an element of the OXS file has more than " +
                       std::to_string(XmlScanner::kMaxAttributes) +
                       " attributes; a chart's have a few");
    }
    const auto end =
        text.begin() + static_cast<std::ptrdiff_t>(std::min(fault.offset, text.size()));
    const auto line = 1 + std::count(text.begin(), end, '\n');
    return Damaged(std::string("the OXS file is not well-formed XML (") + fault.description +
                   " on line " + std::to_string(line) + ")");
}

// The picture of the chart a text holds, with what it left out told in a message that names
// the file. The text is read twice, never into a tree: once for the chart's size and palette,
// which may stand anywhere in it, and once for the stitches. Its memory is the picture's.
OxsPicture PictureOf(std::span<const std::uint8_t> bytes, const std::string& name,
                     std::uint64_t maxPixels) {
    RequireOxsSize(bytes.size());
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    try {
        ChartOutline outline = OutlineOf(text);
        if (!outline.isChart)
            throw Damaged("the file is XML, but not an OXS chart: it has no <chart> element");
        const Chart size = ChartOf(outline, bytes.size(), maxPixels);
        OxsPicture result;
        result.picture = BlankPicture(size);
        result.leftOut = outline.others;
        PaintFullStitches(text, size, outline.palette, *result.picture, result.leftOut);
        result.message = MessageOf(name, result.leftOut, size);
        result.title = ValidUtf8(outline.title);
        result.threads = std::move(outline.threads);
        return result;
    } catch (const XmlFault& fault) {
        throw NotWellFormed(fault, text);
    }
}

}  // namespace

OxsPicture ReadOxs(std::span<const std::uint8_t> bytes, const std::string& name,
                   std::uint64_t maxPixels) {
    return Named(name, [&] { return PictureOf(bytes, name, maxPixels); });
}

OxsPicture ReadOxsFile(const std::string& fileName, std::uint64_t maxPixels) {
    const auto stream = TFileStream::OpenRead(fileName);
    // One byte over the limit is enough to refuse the file with its reason.
    std::vector<std::uint8_t> bytes(
        static_cast<std::size_t>(std::min(stream->Size(), kMaxOxsFileBytes + 1)));
    stream->ReadBuffer(bytes.data(), bytes.size());
    return ReadOxs(bytes, fileName, maxPixels);
}

}  // namespace brodix
