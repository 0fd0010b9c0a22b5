#include "BatchRun.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <exception>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string_view>
#include <vector>

#include "FailureLines.h"
#include "engine/Captions.h"
#include "engine/Census.h"
#include "engine/Make.h"
#include "engine/Messages.h"
#include "engine/SymbolSheet.h"
#include "engine/Workspace.h"
#include "export/OxsPattern.h"
#include "export/SavePattern.h"
#include "photo/OxsReader.h"
#include "photo/Photo.h"
#include "print/PatternPdf.h"
#include "raster/Exceptions.h"
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

void Progress(bool shown, const std::string& text) {
    if (shown)
        std::cerr << text << '\n';
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

// A photograph that would be refused for its colours is charted with the photo defaults, on
// the catalogue chosen, else on DMC when found unless --threads none; standard error says so.
void UsePhotoDefaultsIfRefused(const BatchOptions& options, TImage& picture,
                               threads::PatternSettings& settings) {
    if (!threads::PhotoDefaultsApply(picture, options.levels, settings))
        return;
    std::optional<threads::ThreadCatalogue> dmc;
    if (!settings.catalogue && options.threads.empty())
        dmc = threads::FindCatalogueByTitle(threads::kDefaultCatalogueTitle,
                                            threads::CatalogueFolders());
    threads::ChoosePhotoDefaults(settings, std::move(dmc));
    std::cerr << "brodix-chart: " << threads::PhotoDefaultsNote(settings)
              << " --max-colours or --min-stitches charts it otherwise.\n";
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

// Writes the printed pattern and gives the full name of its file.
std::string SavePdf(const BatchOptions& options, const Workspace& workspace,
                    const threads::PatternKey& key, const std::vector<std::string>& report) {
    const std::string fileName = FullPath(options.pdf);
    print::PdfSources sources = print::PdfSourcesOf(workspace, key);
    sources.report = !report.empty();
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

}  // namespace

int RunBatch(const BatchOptions& options) {
    const bool progress = ::isatty(STDERR_FILENO) == 1;
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

        Progress(progress, "Loading " + picture);
        stage = Stage::Load;
        if (!options.photo.fit && !ReadsAsOxs(picture) && ReadsAsPhoto(options, picture)) {
            // A size Make would refuse is refused from the header, before any decoding.
            const StitchSize size = ReadPhotoSize(picture, options.photo);
            if (const std::optional<CensusRefusal> refusal = SizeCheck(size.width, size.height))
                return Refused(refusal->title, refusal->text,
                               RefusalLine(picture, size.width, size.height));
        }
        ReadPicture(options, picture, workspace);
        // BMP pictures and OXS charts keep their colours: only photographs are reduced.
        if (ReadsAsPhoto(options, picture) && IsPhotoFile(picture))
            UsePhotoDefaultsIfRefused(options, workspace.picture, settings);

        HeadlessControls controls;
        RecordingSink messages;
        Progress(progress, "Making...");
        stage = Stage::Make;
        if (workspace.Make(options.levels, controls.Captions(), messages, controls.Zoom(),
                           threads::MakeOptionsOf(settings)) == MakeResult::Refused) {
            return Refused(messages.Title(), messages.Text(),
                           RefusalLine(picture, workspace.picture.Picture().Width(),
                                       workspace.picture.Picture().Height()));
        }
        stage = Stage::Other;
        const Census& census = *workspace.LastCensus();
        RequireNewOutputs(options, name, census,
                          {picture, sheet, CataloguePath(settings, picture)});

        ListWriter list(options.nullEnds);
        if (!name.empty()) {
            Progress(progress, "Saving " + name);
            stage = Stage::Save;
            MakeFolderOf(name);
            SavePattern(name, workspace, controls.Captions(),
                        [&list](const std::string& written) { list.Add(written); });
            stage = Stage::Other;
        }
        const threads::PatternKey key = threads::KeyOf(census, settings);
        const std::vector<std::string> report =
            settings.report ? threads::StitchabilityLinesOf(workspace) : std::vector<std::string>();
        if (!options.pdf.empty()) {
            Progress(progress, "Writing " + FullPath(options.pdf));
            MakeFolderOf(FullPath(options.pdf));
            list.Add(SavePdf(options, workspace, key, report));
        }
        if (!options.oxs.empty()) {
            const std::string oxs = FullPath(options.oxs);
            Progress(progress, "Writing " + oxs);
            MakeFolderOf(oxs);
            SaveOxs(oxs, OxsSourcesOf(workspace, key, settings));
            list.Add(oxs);
        }
        if (!PrintReportAndKey(options, report, key))
            return kExitFailed;
        return list.Report() ? kExitDone : kExitFailed;
    } catch (const std::exception& error) {
        std::cout.flush();
        PrintFailure(error, stage, picture, name);
        return kExitFailed;
    }
}

}  // namespace brodix
