#include "pattern/OxsReader.h"

#include <pugixml.hpp>

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

// A whole number: a cell coordinate or a palette index ("3" or "3.0", not "2.5").
std::optional<std::int64_t> WholeNumberOf(const pugi::xml_attribute& attribute) {
    if (!attribute)
        return std::nullopt;
    const std::optional<double> value = NumberOf(attribute.value());
    if (!value || std::trunc(*value) != *value || std::fabs(*value) > 1e15)
        return std::nullopt;
    return static_cast<std::int64_t>(*value);
}

OxsFailure Damaged(std::string reason) {
    return OxsFailure{OxsFailure::Kind::Damaged, std::move(reason)};
}

int ChartSide(const pugi::xml_node& properties, const char* attribute, const char* side) {
    const pugi::xml_attribute value = properties.attribute(attribute);
    if (!value)
        return static_cast<int>(kDefaultChartSide);
    const std::optional<std::int64_t> stitches = WholeNumberOf(value);
    if (!stitches || *stitches < 1 || *stitches > INT32_MAX) {
        throw Damaged(std::string("the chart's ") + side + " \"" + value.value() +
                      "\" is not a number of stitches");
    }
    return static_cast<int>(*stitches);
}

// The chart's size, checked before its picture is allocated: within the decode cap of any
// picture, and no larger than the file can describe.
Chart ChartOf(const pugi::xml_node& chart, std::size_t fileBytes, std::uint64_t maxPixels) {
    const pugi::xml_node properties = chart.child(oxs::kProperties);
    const Chart size{ChartSide(properties, oxs::kChartWidth, "width"),
                     ChartSide(properties, oxs::kChartHeight, "height")};
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

// The palette's colours by index. An item without an index takes its place in the list (the
// first is the cloth); the first of two items with one index counts. A colour that is missing
// or unreadable is magenta, as the format's maker shows it.
std::map<std::int64_t, TColor> PaletteOf(const pugi::xml_node& chart) {
    std::map<std::int64_t, TColor> colours;
    std::int64_t position = 0;
    for (const pugi::xml_node item : chart.child(oxs::kPalette).children(oxs::kPaletteItem)) {
        const pugi::xml_attribute indexText = item.attribute(oxs::kIndex);
        const std::optional<std::int64_t> index = indexText ? WholeNumberOf(indexText) : position;
        ++position;
        if (!index)
            continue;
        colours.emplace(
            *index,
            ParseHexRgb(item.attribute(oxs::kColor).value()).value_or(kDefaultMaterialColour));
    }
    return colours;
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

void PaintFullStitches(const pugi::xml_node& chart, const Chart& size,
                       const std::map<std::int64_t, TColor>& palette, TBitmap& picture,
                       OxsLeftOut& leftOut) {
    std::vector<bool> taken(GridCells(size.width, size.height));
    for (const pugi::xml_node section : chart.children(oxs::kFullStitches)) {
        for (const pugi::xml_node stitch : section.children(oxs::kStitch)) {
            const auto x = WholeNumberOf(stitch.attribute(oxs::kX));
            const auto y = WholeNumberOf(stitch.attribute(oxs::kY));
            const auto index = WholeNumberOf(stitch.attribute(oxs::kPalIndex));
            if (!x || !y || !index) {
                ++leftOut.unreadable;
                continue;
            }
            // A stitch in the cloth's colour is no stitch: the cell stays empty.
            if (*index == 0)
                continue;
            const auto colour = palette.find(*index);
            if (colour == palette.end()) {
                ++leftOut.unknownColour;
                continue;
            }
            if (*x < 0 || *y < 0 || *x >= size.width || *y >= size.height) {
                ++leftOut.outsideChart;
                continue;
            }
            const int column = static_cast<int>(*x);
            const int row = static_cast<int>(*y);
            const std::size_t cell = GridIndex(column, row, size.width);
            if (taken[cell]) {
                ++leftOut.secondStitch;
                continue;
            }
            taken[cell] = true;
            std::uint8_t* pixel = picture.MutableScanLine(row) + std::size_t(column) * 3;
            pixel[0] = BlueOf(colour->second);
            pixel[1] = GreenOf(colour->second);
            pixel[2] = RedOf(colour->second);
        }
    }
}

int CountChildren(const pugi::xml_node& chart, const char* section, const char* element) {
    int count = 0;
    for (const pugi::xml_node node : chart.children(section))
        count += static_cast<int>(
            std::distance(node.children(element).begin(), node.children(element).end()));
    return count;
}

void CountOthers(const pugi::xml_node& chart, OxsLeftOut& leftOut) {
    leftOut.partStitches = CountChildren(chart, oxs::kPartStitches, oxs::kPartStitch);
    leftOut.backstitches = CountChildren(chart, oxs::kBackstitches, oxs::kBackstitch);
    for (const pugi::xml_node section : chart.children(oxs::kOrnaments)) {
        for (const pugi::xml_node object : section.children(oxs::kObject)) {
            const std::string_view type = object.attribute(oxs::kObjectType).value();
            if (type == oxs::kKnot)
                ++leftOut.knots;
            else if (type.starts_with(oxs::kBeadPrefix))
                ++leftOut.beads;
            else
                ++leftOut.otherObjects;
        }
    }
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

// The line of a byte offset, for a parse error a user can find.
std::size_t LineOf(std::span<const std::uint8_t> bytes, std::ptrdiff_t offset) {
    const auto end = bytes.begin() + std::clamp<std::ptrdiff_t>(offset, 0, std::ssize(bytes));
    return 1 + static_cast<std::size_t>(std::count(bytes.begin(), end, '\n'));
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

OxsFailure NotWellFormed(const pugi::xml_parse_result& parsed, std::size_t line) {
    return Damaged(std::string("the OXS file is not well-formed XML (") + parsed.description() +
                   " on line " + std::to_string(line) + ")");
}

// The picture of a parsed chart of fileBytes bytes, with what it left out told in a message
// that names the file.
OxsPicture PictureOf(const pugi::xml_document& document, std::size_t fileBytes,
                     const std::string& name, std::uint64_t maxPixels) {
    const pugi::xml_node chart = document.document_element();
    if (std::string_view(chart.name()) != oxs::kChart)
        throw Damaged("the file is XML, but not an OXS chart: it has no <chart> element");
    const Chart size = ChartOf(chart, fileBytes, maxPixels);
    OxsPicture result;
    result.picture = BlankPicture(size);
    PaintFullStitches(chart, size, PaletteOf(chart), *result.picture, result.leftOut);
    CountOthers(chart, result.leftOut);
    result.message = MessageOf(name, result.leftOut, size);
    result.title = ValidUtf8(chart.child(oxs::kProperties).attribute(oxs::kChartTitle).as_string());
    return result;
}

}  // namespace

OxsPicture ReadOxs(std::span<const std::uint8_t> bytes, const std::string& name,
                   std::uint64_t maxPixels) {
    return Named(name, [&] {
        RequireOxsSize(bytes.size());
        pugi::xml_document document;
        // Only numbers and colours are read, so entities and line ends need no work.
        const pugi::xml_parse_result parsed = document.load_buffer(
            bytes.data(), bytes.size(), pugi::parse_minimal, pugi::encoding_utf8);
        if (!parsed)
            throw NotWellFormed(parsed, LineOf(bytes, parsed.offset));
        return PictureOf(document, bytes.size(), name, maxPixels);
    });
}

bool IsOxsFile(const std::string& fileName) {
    std::vector<std::uint8_t> head(kOxsSniffBytes);
    try {
        const auto stream = TFileStream::OpenRead(fileName);
        head.resize(stream->Read(head.data(), head.size()));
    } catch (const Exception&) {
        return false;
    }
    return IsOxsData(head);
}

OxsPicture ReadOxsFile(const std::string& fileName, std::uint64_t maxPixels) {
    const auto stream = TFileStream::OpenRead(fileName);
    // One byte over the limit is enough to refuse the file with its reason.
    std::vector<std::uint8_t> bytes(
        static_cast<std::size_t>(std::min(stream->Size(), kMaxOxsFileBytes + 1)));
    stream->ReadBuffer(bytes.data(), bytes.size());
    return Named(fileName, [&] {
        RequireOxsSize(bytes.size());
        // Parsed where it lies: a chart of a million stitches is tens of megabytes, and a copy
        // for the parser would cost as much again.
        pugi::xml_document document;
        const pugi::xml_parse_result parsed = document.load_buffer_inplace(
            bytes.data(), bytes.size(), pugi::parse_minimal, pugi::encoding_utf8);
        if (!parsed) {
            // The parse wrote into the bytes: the line is counted on the file as it is.
            stream->SetPosition(0);
            stream->ReadBuffer(bytes.data(), bytes.size());
            throw NotWellFormed(parsed, LineOf(bytes, parsed.offset));
        }
        return PictureOf(document, bytes.size(), fileName, maxPixels);
    });
}

}  // namespace brodix
