#include "batch/BatchRun.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <exception>
#include <filesystem>
#include <future>
#include <iostream>
#include <optional>
#include <string_view>
#include <vector>

#include "ProgressLine.h"
#include "batch/FailureLines.h"
#include "engine/Captions.h"
#include "engine/Census.h"
#include "engine/Make.h"
#include "engine/Messages.h"
#include "engine/Refine.h"
#include "engine/SymbolSheet.h"
#include "engine/Workspace.h"
#include "export/OxsPattern.h"
#include "export/SavePattern.h"
#include "photo/OxsReader.h"
#include "photo/Photo.h"
#include "print/PatternPdf.h"
#include "raster/Exceptions.h"
#include "raster/FileFailure.h"
#include "raster/FileIO.h"
#include "raster/FileName.h"
#include "raster/Stream.h"
#include "raster/TBitmap.h"
#include "raster/TPicture.h"
#include "threads/KeyBuilder.h"
#include "threads/PatternSettings.h"
#include "threads/StitchabilityText.h"
#include "threads/ThreadCatalogue.h"

namespace brodix {

namespace {

// Make's refusals arrive as a message box; the batch keeps the one it is shown.
class RecordingSink final : public MessageSink {
  public:
    void ShowMessage(const std::string& text, const std::string& title) override {
        m_text = text;
        m_title = title;
    }
    const std::string& Text() const { return m_text; }
    const std::string& Title() const { return m_title; }

  private:
    std::string m_text;
    std::string m_title;
};

// The list of files written, on standard output. A list that cannot be written is a failure of
// its own, told once at the end: the files themselves are written all the same.
class ListWriter {
  public:
    explicit ListWriter(bool nullEnds) : m_end(nullEnds ? '\0' : '\n') {}

    void Add(const std::string& name) {
        std::cout << name << m_end;
        std::cout.flush();
        if (!std::cout && m_error == 0)
            m_error = errno != 0 ? errno : EIO;
    }

    bool Report() const {
        if (m_error == 0)
            return true;
        std::cerr << "brodix-chart: cannot write the list of files: " << std::strerror(m_error)
                  << '\n';
        return false;
    }

  private:
    char m_end;
    int m_error = 0;
};

std::string LoweredExtension(const std::string& fileName) {
    std::string ext = ExtensionPart(fileName);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext;
}

// With --fit every picture goes through the photo reader. Without it, only a file named .png,
// .jpg, .jpeg or .gif that holds such a picture does: everything else loads as in the window.
bool ReadsAsPhoto(const BatchOptions& options, const std::string& picture) {
    if (options.photo.fit)
        return true;
    const std::string ext = LoweredExtension(picture);
    if (ext != ".png" && ext != ".jpg" && ext != ".jpeg" && ext != ".gif")
        return false;
    return IsPhotoFile(picture);
}

// Make's refusal, as the window would show it, and what to do about it.
int Refused(const std::string& title, const std::string& text, const std::string& whatToDo) {
    std::cerr << title << '\n' << LineBreaksForDisplay(text) << '\n' << whatToDo << '\n';
    return kExitRefused;
}

// A chart of another program: told by its contents, or by its name, so that a damaged one is
// reported with its reason.
bool ReadsAsOxs(const std::string& picture) {
    return LoweredExtension(picture) == ".oxs" || IsOxsFile(picture);
}

void ReadPicture(const BatchOptions& options, const std::string& picture, Workspace& workspace) {
    if (ReadsAsOxs(picture)) {
        OxsPicture chart = ReadOxsFile(picture);
        if (!chart.message.empty())
            std::cerr << chart.message << '\n';
        // Without --fit, a chart keeps its own size; fitted, it is read again as a picture.
        if (!options.photo.fit) {
            workspace.TakePicture(std::move(chart.picture), picture);
            return;
        }
    }
    if (ReadsAsPhoto(options, picture))
        workspace.TakePicture(ReadPhotoFile(picture, options.photo), picture);
    else
        workspace.LoadPicture(picture);
}

// As mkdir -p would: a batch run often writes into a folder of its own. A folder that cannot
// be made shows as the first file that cannot be created.
void MakeFolderOf(const std::string& fileName) {
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(fileName).parent_path(), ignored);
}

// The catalogue the options name; without --threads, the one titled DMC when it is found.
// Looked for only when the key, the PDF, the OXS file or --snap needs it, or when --threads names
// one (so that a wrong name is reported however it is used).
std::optional<threads::ThreadCatalogue> Catalogue(const BatchOptions& options) {
    if (options.key == KeyFormat::None && !options.pattern.snap && options.threads.empty() &&
        options.pdf.empty() && options.oxs.empty())
        return std::nullopt;
    const std::vector<std::string> folders = threads::CatalogueFolders();
    std::optional<threads::ThreadCatalogue> catalogue;
    if (options.threads.empty()) {
        catalogue = threads::FindCatalogueByTitle(threads::kDefaultCatalogueTitle, folders);
    } else if (options.threads != "none") {
        catalogue = threads::ChooseCatalogue(options.threads, folders);
    }
    if (options.pattern.snap && !catalogue)
        throw threads::ECatalogueError("--snap needs a thread catalogue, and none was found");
    return catalogue;
}

// The photo defaults, on the catalogue chosen, else on DMC when found unless --threads none;
// standard error says so.
void TakePhotoDefaults(const BatchOptions& options, threads::PatternSettings& settings) {
    std::optional<threads::ThreadCatalogue> dmc;
    if (!settings.catalogue && options.threads.empty())
        dmc = threads::FindCatalogueByTitle(threads::kDefaultCatalogueTitle,
                                            threads::CatalogueFolders());
    threads::ChoosePhotoDefaults(settings, std::move(dmc));
    std::cerr << "brodix-chart: " << threads::PhotoDefaultsNote(settings)
              << " --max-colours or --min-stitches charts it otherwise.\n";
}

// A photograph that would be refused for its colours is charted with the photo defaults.
void UsePhotoDefaultsIfRefused(const BatchOptions& options, TImage& picture,
                               threads::PatternSettings& settings) {
    if (threads::PhotoDefaultsApply(picture, options.levels, settings))
        TakePhotoDefaults(options, settings);
}

// Whether picture is a photograph, whose colours are reduced when there are too many: BMP
// pictures and OXS charts keep theirs.
bool IsReducedPhoto(const BatchOptions& options, const std::string& picture) {
    return ReadsAsPhoto(options, picture) && IsPhotoFile(picture);
}

// What the run was doing when it failed: it says which plain-English line follows the message.
enum class Stage { Load, Make, Save, Other };

void PrintFailure(const std::exception& error, Stage stage, const std::string& picture,
                  const std::string& name) {
    std::cerr << ExceptionBoxText(error.what()) << '\n';
    std::string line;
    if (stage == Stage::Load)
        line = LoadFailureLine(picture, error);
    else if (stage == Stage::Make)
        line = MakeFailureLine(picture, error);
    else if (stage == Stage::Save)
        line = SaveFailureLine(name, error);
    if (!line.empty())
        std::cerr << line << '\n';
}

// An unreadable sheet is reported and the run goes on without it, as at the window's start.
// Gives the sheet's full name.
std::string LoadSheet(const BatchOptions& options, Workspace& workspace) {
    const std::string sheet = options.symbolSheet.empty() ? SymbolSheetPath(ProgramFileName())
                                                          : FullPath(options.symbolSheet);
    try {
        workspace.LoadSymbolSheet(sheet);
        // The window's sheet is always a .bmp; one named otherwise may load as another kind of
        // picture, which has no cells to copy and would stop every Make.
        if (workspace.SymbolSheet() == nullptr) {
            workspace.symbols.Picture().SetGraphic(nullptr);
            throw EInvalidGraphic(msg::kInvalidBitmap);
        }
    } catch (const std::exception& error) {
        std::cerr << ExceptionBoxText(error.what()) << '\n';
        if (const std::string line = LoadFailureLine(sheet, error, true); !line.empty())
            std::cerr << line << '\n';
    }
    return sheet;
}

// What the pattern outputs are made of: the census, the symbol sheet and the picture's name.
struct Pattern {
    const Census& census;
    const TBitmap* sheet = nullptr;
    const std::string& pictureName;
};

// Writes the printed pattern and gives the full name of its file.
std::string SavePdf(const BatchOptions& options, const Pattern& pattern,
                    const threads::PatternKey& key, const std::vector<std::string>& report,
                    const ProgressReport& progress) {
    const std::string fileName = FullPath(options.pdf);
    print::PdfSources sources{pattern.census, pattern.sheet, key, pattern.pictureName};
    sources.report = !report.empty();
    sources.progress = progress;
    print::SavePatternPdf(fileName, sources, options.pdfOptions);
    return fileName;
}

// The catalogue's file, an input as the picture is (the picture again when there is none).
std::string CataloguePath(const threads::PatternSettings& settings, const std::string& picture) {
    return settings.catalogue ? settings.catalogue->path : picture;
}

// Refuses, before anything is written, an output that is one of the inputs or another output.
void RequireNewOutputs(const BatchOptions& options, const std::string& name, const Census& census,
                       const std::vector<std::string>& inputs) {
    std::vector<std::string> outputs;
    if (!name.empty())
        outputs = SavedFileNames(name, census.width, census.height);
    for (const std::string* document : {&options.pdf, &options.oxs}) {
        if (!document->empty())
            outputs.push_back(FullPath(*document));
    }
    RequireDistinctFiles(inputs, outputs);
}

// The report and the key on standard output, after the files; false when they cannot be
// written (the reason is told).
bool PrintReportAndKey(const BatchOptions& options, const std::vector<std::string>& report,
                       const threads::PatternKey& key) {
    for (const std::string& line : report)
        std::cout << line << '\n';
    if (options.key == KeyFormat::None)
        return true;
    std::cout << (options.key == KeyFormat::Csv ? threads::KeyCsv(key) : threads::KeyTable(key))
              << std::flush;
    if (!std::cout) {
        std::cerr << "brodix-chart: cannot write the key: " << std::strerror(errno) << '\n';
        return false;
    }
    return true;
}

// Without --fit a photograph keeps its size: one that would be refused is refused from its
// header, before any decoding (by the chart's limit with NAME, by the pattern's without).
// Gives the exit status of a refusal, which is told.
std::optional<int> RefusedByHeader(const BatchOptions& options, const std::string& picture) {
    if (options.photo.fit || ReadsAsOxs(picture) || !ReadsAsPhoto(options, picture))
        return std::nullopt;
    const StitchSize size = ReadPhotoSize(picture, options.photo);
    if (!options.name.empty()) {
        if (const std::optional<CensusRefusal> refusal = SizeCheck(size.width, size.height))
            return Refused(refusal->title, refusal->text,
                           RefusalLine(picture, size.width, size.height));
    } else if (size.width > kMaxPatternStitchesPerSide ||
               size.height > kMaxPatternStitchesPerSide) {
        std::cerr << PatternSizeRefusalLine(picture, size.width, size.height) << '\n';
        return kExitRefused;
    }
    return std::nullopt;
}

// The census of the picture for the pattern alone (no NAME): any size up to the pattern's
// limit, read, refined and counted by the engine's core without the window's images. A
// photograph refused for its colours takes the photo defaults first, as before Make. Nothing
// when the picture is refused, which is told.
std::optional<Census> PatternCensus(const BatchOptions& options, const std::string& picture,
                                    TImage& image, threads::PatternSettings& settings,
                                    ProgressLine& progress) {
    const int width = image.Picture().Width();
    const int height = image.Picture().Height();
    if (width > kMaxPatternStitchesPerSide || height > kMaxPatternStitchesPerSide) {
        std::cerr << PatternSizeRefusalLine(picture, width, height) << '\n';
        return std::nullopt;
    }
    // An empty picture is counted as Make counts it: one colour of no stitches.
    if (width <= 0 || height <= 0)
        return std::get<Census>(TakeCensus(image, options.levels));
    progress.Show("reading the picture", 0);
    const StitchGrid fitted = ReadStitches(image, options.levels);
    CensusResult result =
        RefinedCensusOf(fitted, threads::MakeOptionsOf(settings), progress.Report());
    if (std::holds_alternative<CensusRefusal>(result) && IsReducedPhoto(options, picture) &&
        settings.maxColours == 0 && settings.minStitches == 0) {
        progress.Clear();
        TakePhotoDefaults(options, settings);
        result = RefinedCensusOf(fitted, threads::MakeOptionsOf(settings), progress.Report());
    }
    if (const auto* refusal = std::get_if<CensusRefusal>(&result)) {
        progress.Clear();
        Refused(refusal->title, refusal->text, ColourRefusalLine(picture));
        return std::nullopt;
    }
    return std::get<Census>(std::move(result));
}

// Make on the workspace as the window does, then Save under name once the outputs are checked
// against the inputs. Gives the exit status of a refusal, which is told.
std::optional<int> MakeAndSave(const BatchOptions& options, const std::string& picture,
                               const std::string& name, const std::vector<std::string>& inputs,
                               Workspace& workspace, threads::PatternSettings& settings,
                               ListWriter& list, Stage& stage) {
    if (IsReducedPhoto(options, picture))
        UsePhotoDefaultsIfRefused(options, workspace.picture, settings);
    HeadlessControls controls;
    RecordingSink messages;
    stage = Stage::Make;
    if (workspace.Make(options.levels, controls.Captions(), messages, controls.Zoom(),
                       threads::MakeOptionsOf(settings)) == MakeResult::Refused) {
        return Refused(messages.Title(), messages.Text(),
                       RefusalLine(picture, workspace.picture.Picture().Width(),
                                   workspace.picture.Picture().Height()));
    }
    stage = Stage::Other;
    RequireNewOutputs(options, name, *workspace.LastCensus(), inputs);
    stage = Stage::Save;
    MakeFolderOf(name);
    SavePattern(name, workspace, controls.Captions(),
                [&list](const std::string& written) { list.Add(written); });
    stage = Stage::Other;
    return std::nullopt;
}

// The PDF and the OXS file, as asked; each file written goes on the list. The OXS file is made
// on a thread of its own while the PDF is drawn (a million stitches take each a good part of a
// second); the files are written in their order all the same.
void WritePattern(const BatchOptions& options, const Pattern& pattern,
                  const threads::PatternKey& key, const threads::PatternSettings& settings,
                  const std::vector<std::string>& report, ListWriter& list,
                  ProgressLine& progress) {
    std::future<std::string> oxsBytes;
    if (!options.oxs.empty()) {
        const OxsSources sources{pattern.census, key, pattern.pictureName, settings.stitchWhite};
        oxsBytes = std::async(std::launch::async, [sources] { return MakeOxs(sources); });
    }
    if (!options.pdf.empty()) {
        MakeFolderOf(FullPath(options.pdf));
        const std::string pdf = SavePdf(options, pattern, key, report, progress.Report());
        progress.Clear();
        list.Add(pdf);
    }
    if (oxsBytes.valid()) {
        const std::string oxs = FullPath(options.oxs);
        progress.Show("writing the OXS file", 0);
        MakeFolderOf(oxs);
        WriteDocumentFile(oxs, oxsBytes.get());
        progress.Clear();
        list.Add(oxs);
    }
}

}  // namespace

int RunBatch(const BatchOptions& options) {
    ProgressLine progress(::isatty(STDERR_FILENO) == 1);
    Workspace workspace;
    const std::string sheet = LoadSheet(options, workspace);

    Stage stage = Stage::Other;
    const std::string picture = FullPath(options.picture);
    std::string name;
    try {
        workspace.ReadBlankCell();
        name = options.name.empty() ? std::string() : SaveDialogName(options.name);
        threads::PatternSettings settings = options.pattern;
        settings.catalogue = Catalogue(options);

        stage = Stage::Load;
        if (const std::optional<int> refused = RefusedByHeader(options, picture))
            return *refused;
        progress.Show("reading the picture", 0);
        ReadPicture(options, picture, workspace);

        ListWriter list(options.nullEnds);
        std::optional<Census> patternCensus;
        if (name.empty()) {
            stage = Stage::Make;
            patternCensus = PatternCensus(options, picture, workspace.picture, settings, progress);
            if (!patternCensus)
                return kExitRefused;
            stage = Stage::Other;
            RequireNewOutputs(options, name, *patternCensus,
                              {picture, sheet, CataloguePath(settings, picture)});
        } else if (const std::optional<int> refused = MakeAndSave(
                       options, picture, name, {picture, sheet, CataloguePath(settings, picture)},
                       workspace, settings, list, stage)) {
            return *refused;
        }
        const Census& census = patternCensus ? *patternCensus : *workspace.LastCensus();
        const threads::PatternKey key = threads::KeyOf(census, settings);
        const std::vector<std::string> report =
            settings.report ? threads::StitchabilityLinesOf(census, workspace.SymbolSheet())
                            : std::vector<std::string>();
        WritePattern(options, Pattern{census, workspace.SymbolSheet(), picture}, key, settings,
                     report, list, progress);
        if (!PrintReportAndKey(options, report, key))
            return kExitFailed;
        return list.Report() ? kExitDone : kExitFailed;
    } catch (const std::exception& error) {
        progress.Clear();
        std::cout.flush();
        PrintFailure(error, stage, picture, name);
        return kExitFailed;
    }
}

}  // namespace brodix
