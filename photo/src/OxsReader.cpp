#include "photo/OxsReader.h"

#include <pugixml.hpp>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <map>
#include <optional>
#include <string_view>
#include <vector>

#include "RgbImage.h"
#include "raster/Stream.h"
#include "raster/TBitmap.h"

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

PhotoFailure Damaged(std::string reason) {
    return PhotoFailure{PhotoFailure::Kind::Damaged, std::move(reason)};
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

Chart ChartOf(const pugi::xml_node& chart, std::size_t fileBytes, std::uint64_t maxPixels) {
    const pugi::xml_node properties = chart.child("properties");
    const Chart size{ChartSide(properties, "chartwidth", "width"),
                     ChartSide(properties, "chartheight", "height")};
    CheckDecodedSize(static_cast<std::uint64_t>(size.width),
                     static_cast<std::uint64_t>(size.height), maxPixels);
    const std::uint64_t cells = std::uint64_t(size.width) * std::uint64_t(size.height);
    if (cells > kFreeCells && cells / kCellsPerByte > fileBytes) {
        throw PhotoFailure{PhotoFailure::Kind::TooLarge,
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
    for (const pugi::xml_node item : chart.child("palette").children("palette_item")) {
        const std::optional<std::int64_t> index =
            item.attribute("index") ? WholeNumberOf(item.attribute("index")) : position;
        ++position;
        if (!index)
            continue;
        colours.emplace(
            *index, ParseHexRgb(item.attribute("color").value()).value_or(kDefaultMaterialColour));
    }
    return colours;
}

void PaintFullStitches(const pugi::xml_node& chart, const Chart& size,
                       const std::map<std::int64_t, TColor>& palette, RgbImage& image,
                       OxsLeftOut& leftOut) {
    std::vector<bool> taken(image.rgb.size() / 3);
    for (const pugi::xml_node section : chart.children("fullstitches")) {
        for (const pugi::xml_node stitch : section.children("stitch")) {
            const auto x = WholeNumberOf(stitch.attribute("x"));
            const auto y = WholeNumberOf(stitch.attribute("y"));
            const auto index = WholeNumberOf(stitch.attribute("palindex"));
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
            const std::size_t cell = image.PixelIndex(static_cast<int>(*x), static_cast<int>(*y));
            if (taken[cell]) {
                ++leftOut.secondStitch;
                continue;
            }
            taken[cell] = true;
            std::uint8_t* pixel = image.rgb.data() + cell * 3;
            pixel[0] = RedOf(colour->second);
            pixel[1] = GreenOf(colour->second);
            pixel[2] = BlueOf(colour->second);
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
    leftOut.partStitches = CountChildren(chart, "partstitches", "partstitch");
    leftOut.backstitches = CountChildren(chart, "backstitches", "backstitch");
    for (const pugi::xml_node section : chart.children("ornaments_inc_knots_and_beads")) {
        for (const pugi::xml_node object : section.children("object")) {
            const std::string_view type = object.attribute("objecttype").value();
            if (type == "knot")
                ++leftOut.knots;
            else if (type.starts_with("bead"))
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
        return rest.starts_with("chart") && rest.size() > 5 &&
               std::strchr(" \t\r\n/>", rest[5]) != nullptr;
    }
    return false;
}

namespace {

void RequireOxsSize(std::size_t bytes) {
    if (bytes > kMaxOxsFileBytes) {
        throw PhotoFailure{
            PhotoFailure::Kind::TooLarge,
            "the OXS file is larger than " + std::to_string(kMaxOxsFileBytes >> 20) + " MB"};
    }
}

PhotoFailure NotWellFormed(const pugi::xml_parse_result& parsed, std::size_t line) {
    return Damaged(std::string("the OXS file is not well-formed XML (") + parsed.description() +
                   " on line " + std::to_string(line) + ")");
}

// The picture of a parsed chart of fileBytes bytes.
RgbImage DecodeDocument(const pugi::xml_document& document, std::size_t fileBytes,
                        std::uint64_t maxPixels, OxsLeftOut& leftOut) {
    const pugi::xml_node chart = document.document_element();
    if (std::string_view(chart.name()) != "chart")
        throw Damaged("the file is XML, but not an OXS chart: it has no <chart> element");
    const Chart size = ChartOf(chart, fileBytes, maxPixels);
    RgbImage image = AllocateRgb(static_cast<std::uint64_t>(size.width),
                                 static_cast<std::uint64_t>(size.height), maxPixels);
    std::fill(image.rgb.begin(), image.rgb.end(), std::uint8_t{0xFF});
    PaintFullStitches(chart, size, PaletteOf(chart), image, leftOut);
    CountOthers(chart, leftOut);
    return image;
}

// The chart as decode() gives it, with what it left out told, as a bitmap; failures name the
// file.
template <typename Decode>
OxsPicture PictureOf(const std::string& name, Decode&& decode) {
    return NamingFailures(name, "chart", [&] {
        OxsPicture result;
        const RgbImage image = decode(result.leftOut);
        result.message = MessageOf(name, result.leftOut, {image.width, image.height});
        result.picture = ToBitmap(image);
        return result;
    });
}

}  // namespace

RgbImage DecodeOxs(std::span<const std::uint8_t> bytes, std::uint64_t maxPixels,
                   OxsLeftOut& leftOut) {
    RequireOxsSize(bytes.size());
    pugi::xml_document document;
    // Only numbers and colours are read, so entities and line ends need no work.
    const pugi::xml_parse_result parsed =
        document.load_buffer(bytes.data(), bytes.size(), pugi::parse_minimal, pugi::encoding_utf8);
    if (!parsed)
        throw NotWellFormed(parsed, LineOf(bytes, parsed.offset));
    return DecodeDocument(document, bytes.size(), maxPixels, leftOut);
}

OxsPicture ReadOxs(std::span<const std::uint8_t> bytes, const std::string& name,
                   std::uint64_t maxPixels) {
    return PictureOf(name,
                     [&](OxsLeftOut& leftOut) { return DecodeOxs(bytes, maxPixels, leftOut); });
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
    return PictureOf(fileName, [&](OxsLeftOut& leftOut) {
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
        return DecodeDocument(document, bytes.size(), maxPixels, leftOut);
    });
}

}  // namespace brodix
