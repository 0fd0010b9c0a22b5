#include "pattern/MakePattern.h"

#include <algorithm>
#include <utility>

#include "engine/MakeOptions.h"
#include "engine/Refine.h"
#include "engine/SymbolSheet.h"
#include "engine/Workspace.h"
#include "pattern/OxsReader.h"
#include "raster/Exceptions.h"
#include "raster/FileName.h"
#include "raster/Stream.h"
#include "raster/TBitmap.h"
#include "raster/TImage.h"
#include "raster/Utf8.h"

namespace brodix {

namespace {

bool NamedAsPhoto(const std::string& fileName) {
    const std::string ext = AsciiLowered(ExtensionPart(fileName));
    return ext == ".png" || ext == ".jpg" || ext == ".jpeg" || ext == ".gif";
}

PatternRefusal RefusalOf(const CensusRefusal& refusal, PatternRefusal::Reason reason, int width,
                         int height) {
    return {reason, refusal.text, refusal.title, width, height};
}

// The size refusal of a picture under the request's limit; nothing when it passes.
std::optional<PatternRefusal> SizeRefusal(int width, int height, int maxStitchesPerSide) {
    if (maxStitchesPerSide <= kMaxStitchesPerSide) {
        if (const std::optional<CensusRefusal> refusal = SizeCheck(width, height))
            return RefusalOf(*refusal, PatternRefusal::Reason::TooLarge, width, height);
        return std::nullopt;
    }
    if (width > maxStitchesPerSide || height > maxStitchesPerSide)
        return PatternRefusal{PatternRefusal::Reason::TooLargeForPattern, {}, {}, width, height};
    return std::nullopt;
}

// Counts picture under the settings, reading its pixels at most once however often it is
// asked: a chart of the window's size without options is counted straight from the picture,
// the fastest way; everything else is read into a grid of fitted colours first, and refined.
class Counter {
  public:
    Counter(TImage& picture, const PatternRequest& request)
        : m_picture(picture), m_request(request) {}

    CensusResult Count(const threads::PatternSettings& settings) {
        const MakeOptions options = threads::MakeOptionsOf(settings);
        const int width = m_picture.Picture().Width();
        const int height = m_picture.Picture().Height();
        // An empty picture is counted as Make counts it: one colour of no stitches.
        if (width <= 0 || height <= 0 ||
            (m_request.maxStitchesPerSide <= kMaxStitchesPerSide && !options.Any()))
            return TakeCensus(m_picture, m_request.levels);
        if (!m_read) {
            if (m_request.progress)
                m_request.progress("reading the picture", 0);
            m_fitted = ReadStitches(m_picture, m_request.levels);
            m_read = true;
        }
        return RefinedCensusOf(m_fitted, options, m_request.progress);
    }

  private:
    TImage& m_picture;
    const PatternRequest& m_request;
    StitchGrid m_fitted;
    bool m_read = false;
};

}  // namespace

PatternResult MakePattern(TImage& picture, const PatternRequest& request) {
    const int width = picture.Picture().Width();
    const int height = picture.Picture().Height();
    if (std::optional<PatternRefusal> refusal =
            SizeRefusal(width, height, request.maxStitchesPerSide))
        return *std::move(refusal);

    threads::PatternSettings settings = request.settings;
    Counter counter(picture, request);
    CensusResult result = counter.Count(settings);
    std::string note;
    if (std::holds_alternative<CensusRefusal>(result) && request.photo &&
        !settings.ChoosesColours()) {
        std::optional<threads::ThreadCatalogue> fallback;
        if (!settings.catalogue && request.defaultCatalogue)
            fallback = threads::FindDefaultCatalogue();
        threads::ChoosePhotoDefaults(settings, std::move(fallback));
        note = threads::PhotoDefaultsNote(settings);
        result = counter.Count(settings);
    }
    if (const auto* refusal = std::get_if<CensusRefusal>(&result))
        return RefusalOf(*refusal, PatternRefusal::Reason::TooManyColours, width, height);
    MadePattern made{Pattern(std::get<Census>(std::move(result)), std::move(settings),
                             request.pictureName, request.title),
                     std::move(note)};
    made.pattern.KeepOwnThreads(request.ownThreads);
    return made;
}

namespace {

// The start of a source, enough to tell its kind.
std::vector<std::uint8_t> HeadOf(const PictureSource& source) {
    if (source.bytes) {
        const std::size_t size = std::min(source.bytes->size(), kOxsSniffBytes);
        return {source.bytes->begin(), source.bytes->begin() + static_cast<std::ptrdiff_t>(size)};
    }
    std::vector<std::uint8_t> head(kOxsSniffBytes);
    try {
        head.resize(TFileStream::OpenRead(source.fileName)->Read(head.data(), head.size()));
    } catch (const Exception&) {
        head.clear();
    }
    return head;
}

// A chart's palette item as a thread of a catalogue: the number's last word is the thread's
// number, the words before it the catalogue ("DMC 310"); a number of a colour ("#2C3225") or
// none names no thread.
OwnThread OwnThreadOf(const OxsThread& item) {
    OwnThread own;
    own.thread.color = item.colour;
    own.printedSymbol = SymbolOfCharacter(item.symbol);
    const std::string_view blanks = " \t\r\n";
    std::string_view number = item.number;
    const std::size_t last = number.find_last_not_of(blanks);
    number = number.substr(0, last == std::string_view::npos ? 0 : last + 1);
    if (number.empty() || number.starts_with('#'))
        return own;
    const std::size_t space = number.find_last_of(blanks);
    own.thread.number = number.substr(space == std::string_view::npos ? 0 : space + 1);
    own.thread.name = item.name;
    if (space != std::string_view::npos) {
        const std::string_view brand = number.substr(0, space);
        const std::size_t first = brand.find_first_not_of(blanks);
        const std::size_t end = brand.find_last_not_of(blanks);
        if (first != std::string_view::npos)
            own.catalogue = brand.substr(first, end - first + 1);
    }
    return own;
}

}  // namespace

PictureSource SourceOf(const std::string& fileName) {
    return {fileName, ReadOnceOnlyFile(fileName, kOxsSniffBytes,
                                       [](std::span<const std::uint8_t> head) -> std::uint64_t {
                                           if (IsOxsData(head))
                                               return kMaxOxsFileBytes;
                                           return IsPictureData(head) ? kMaxPhotoFileBytes : 0;
                                       })};
}

PictureReader ReaderFor(const PictureSource& source, bool fitted) {
    const std::vector<std::uint8_t> head = HeadOf(source);
    if (IsOxsData(head))
        return PictureReader::Oxs;
    const bool namedOxs = AsciiLowered(ExtensionPart(source.fileName)) == ".oxs";
    if (namedOxs && !IsPictureData(head))
        return PictureReader::Oxs;
    if (fitted || source.bytes || namedOxs || (NamedAsPhoto(source.fileName) && IsPhotoData(head)))
        return PictureReader::Photo;
    return PictureReader::Loader;
}

std::optional<PatternRefusal> RefusalByHeader(const PictureSource& source, PictureReader reader,
                                              const PhotoOptions& options, int maxStitchesPerSide) {
    if (options.fit || reader != PictureReader::Photo)
        return std::nullopt;
    const StitchSize size = source.bytes ? ReadPhotoSize(*source.bytes, options, source.fileName)
                                         : ReadPhotoSize(source.fileName, options);
    return SizeRefusal(size.width, size.height, maxStitchesPerSide);
}

OpenedPicture OpenPicture(Workspace& workspace, const PictureSource& source, PictureReader reader,
                          const PhotoOptions& options) {
    const std::string& fileName = source.fileName;
    OpenedPicture opened;
    if (reader == PictureReader::Loader) {
        workspace.LoadPicture(fileName);
        return opened;
    }
    if (reader == PictureReader::Oxs) {
        OxsPicture chart = source.bytes ? ReadOxs(*source.bytes, fileName, options.maxPixels)
                                        : ReadOxsFile(fileName, options.maxPixels);
        opened.leftOutNote = std::move(chart.message);
        if (!options.fit) {
            for (const OxsThread& item : chart.threads)
                opened.ownThreads.push_back(OwnThreadOf(item));
        }
        // A chart keeps its own size unless it is fitted, like any picture.
        workspace.TakePicture(options.fit ? FitBitmap(*chart.picture, *options.fit, fileName)
                                          : std::move(chart.picture),
                              fileName, chart.title);
        return opened;
    }
    // Read whole before either image changes: a picture that fails leaves both as they were.
    workspace.TakePicture(source.bytes ? ReadPhoto(*source.bytes, options, fileName)
                                       : ReadPhotoFile(fileName, options),
                          fileName);
    // BMP pictures and OXS charts keep their colours: only photographs are reduced.
    opened.photo = IsPhotoData(HeadOf(source));
    return opened;
}

}  // namespace brodix
