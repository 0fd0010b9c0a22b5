#include "batch/BatchRun.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <exception>
#include <filesystem>
#include <future>
#include <iostream>
#include <optional>
#include <vector>

#include "ProgressLine.h"
#include "batch/FailureLines.h"
#include "engine/Captions.h"
#include "engine/Census.h"
#include "engine/Make.h"
#include "engine/Messages.h"
#include "engine/SymbolSheet.h"
#include "engine/Workspace.h"
#include "export/SavePattern.h"
#include "pattern/MakePattern.h"
#include "pattern/OxsWriter.h"
#include "pattern/Pattern.h"
#include "pattern/PatternReport.h"
#include "print/PatternPdf.h"
#include "print/StitchedPreview.h"
#include "raster/Exceptions.h"
#include "raster/FileFailure.h"
#include "raster/FileIO.h"
#include "raster/FileName.h"
#include "raster/TBitmap.h"
#include "raster/TPicture.h"
#include "threads/KeyBuilder.h"
#include "threads/PatternSettings.h"
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

// Make's refusal, as the window would show it, and what to do about it.
int Refused(const std::string& title, const std::string& text, const std::string& whatToDo) {
    std::cerr << title << '\n' << LineBreaksForDisplay(text) << '\n' << whatToDo << '\n';
    return kExitRefused;
}

// A refusal of the picture, told: the window's message when the window would refuse it too,
// then what to do.
int Refused(const std::string& picture, const PatternRefusal& refusal) {
    switch (refusal.reason) {
        case PatternRefusal::Reason::TooLargeForPattern:
            std::cerr << PatternSizeRefusalLine(picture, refusal.width, refusal.height) << '\n';
            return kExitRefused;
        case PatternRefusal::Reason::TooLarge:
            return Refused(refusal.title, refusal.text,
                           RefusalLine(picture, refusal.width, refusal.height));
        case PatternRefusal::Reason::TooManyColours:
            break;
    }
    return Refused(refusal.title, refusal.text, ColourRefusalLine(picture));
}

// As mkdir -p would: a batch run often writes into a folder of its own. A folder that cannot
// be made shows as the first file that cannot be created.
void MakeFolderOf(const std::string& fileName) {
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(fileName).parent_path(), ignored);
}

// The catalogue the options name; without --threads, the default one when it is found. Looked
// for only when the key, the PDF, the OXS file or --snap needs it, or when --threads names one
// (so that a wrong name is reported however it is used).
std::optional<threads::ThreadCatalogue> Catalogue(const BatchOptions& options) {
    if (options.key == KeyFormat::None && !options.pattern.snap && options.threads.empty() &&
        options.pdf.empty() && options.oxs.empty())
        return std::nullopt;
    std::optional<threads::ThreadCatalogue> catalogue;
    if (options.threads.empty())
        catalogue = threads::FindDefaultCatalogue();
    else if (options.threads != "none")
        catalogue = threads::ChooseCatalogue(options.threads, threads::CatalogueFolders());
    if (options.pattern.snap && !catalogue)
        throw threads::ECatalogueError("--snap needs a thread catalogue, and none was found");
    return catalogue;
}

// What the run was doing when it failed: it says which plain-English line follows the message.
enum class Stage { Load, Make, Save, Other };

void PrintFailure(const std::exception& error, Stage stage, const std::string& picture,
                  const std::string& name) {
    std::cerr << FailureText(error) << '\n';
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
        std::cerr << FailureText(error) << '\n';
        if (const std::string line = LoadFailureLine(sheet, error, true); !line.empty())
            std::cerr << line << '\n';
    }
    return sheet;
}

// The most stitches a side: a chart the window could draw with NAME, the pattern alone without.
int StitchLimit(const BatchOptions& options) {
    return options.name.empty() ? kMaxPatternStitchesPerSide : kMaxStitchesPerSide;
}

// Writes the printed pattern and gives the full name of its file.
std::string SavePdf(const BatchOptions& options, const Pattern& pattern, const TBitmap* sheet,
                    const ProgressReport& progress) {
    const std::string fileName = FullPath(options.pdf);
    print::SavePatternPdf(fileName, {pattern, sheet, progress},
                          print::PdfOptionsOf(pattern.Settings()));
    return fileName;
}

// The catalogue's file, an input as the picture is (the picture again when there is none).
std::string CataloguePath(const threads::PatternSettings& settings, const std::string& picture) {
    return settings.catalogue ? settings.catalogue->path : picture;
}

// Refuses, before anything is written, an output that is one of the inputs or another output,
// standard output included.
void RequireNewOutputs(const BatchOptions& options, const std::string& name, const Pattern& pattern,
                       const std::vector<std::string>& inputs) {
    std::vector<std::string> outputs;
    if (!name.empty())
        outputs = SavedFileNames(name, pattern.Width(), pattern.Height());
    for (const std::string* document : {&options.pdf, &options.oxs, &options.preview}) {
        if (!document->empty())
            outputs.push_back(FullPath(*document));
    }
    RequireDistinctFiles(inputs, outputs);
    // The list of files, the key and the report go to standard output, an output like the rest.
    RequireStandardOutputApart(inputs, outputs);
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

// The chart's images drawn from the pattern as the window's Make draws them, then Save under
// name once the outputs are checked against the inputs.
void DrawAndSave(const BatchOptions& options, const Pattern& pattern, const std::string& name,
                 const std::vector<std::string>& inputs, Workspace& workspace, ListWriter& list,
                 Stage& stage) {
    HeadlessControls controls;
    stage = Stage::Make;
    workspace.Draw(pattern.Stitches(), controls.Captions(), controls.Zoom());
    stage = Stage::Other;
    RequireNewOutputs(options, name, pattern, inputs);
    stage = Stage::Save;
    MakeFolderOf(name);
    SavePattern(name, workspace, controls.Captions(),
                [&list](const std::string& written) { list.Add(written); });
    stage = Stage::Other;
}

// The PDF, the OXS file and the stitched preview, as asked; each file written goes on the list.
// The OXS file is made on a thread of its own while the PDF is drawn (a million stitches take
// each a good part of a second); the files are written in their order all the same.
void WritePattern(const BatchOptions& options, const Pattern& pattern, const TBitmap* sheet,
                  ListWriter& list, ProgressLine& progress) {
    std::future<std::string> oxsBytes;
    if (!options.oxs.empty())
        oxsBytes = std::async(std::launch::async, [&pattern] { return MakeOxs(pattern); });
    if (!options.pdf.empty()) {
        MakeFolderOf(FullPath(options.pdf));
        const std::string pdf = SavePdf(options, pattern, sheet, progress.Report());
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
    if (!options.preview.empty()) {
        const std::string preview = FullPath(options.preview);
        progress.Show("writing the stitched preview", 0);
        MakeFolderOf(preview);
        print::SavePreviewPng(
            preview, pattern,
            print::PreviewStitchPixels(pattern.Width(), pattern.Height(), options.previewSize));
        progress.Clear();
        list.Add(preview);
    }
}

// The pattern of the picture read into workspace: with NAME as the window's Make makes it (at
// most a chart's size), without it up to the pattern's limit. A photograph refused for its
// colours takes the photo defaults, which standard error tells. A refusal is told.
std::variant<Pattern, int> MakeBatchPattern(const BatchOptions& options, const std::string& picture,
                                            const OpenedPicture& opened,
                                            const threads::PatternSettings& settings,
                                            Workspace& workspace, ProgressLine& progress) {
    PatternRequest request;
    request.levels = options.levels;
    request.settings = settings;
    request.pictureName = picture;
    request.title = workspace.PictureTitle();
    request.maxStitchesPerSide = StitchLimit(options);
    request.photo = opened.photo;
    request.ownThreads = opened.ownThreads;
    // --threads none keeps the photo defaults off every catalogue.
    request.defaultCatalogue = options.threads.empty();
    if (options.name.empty())
        request.progress = progress.Report();
    PatternResult result = MakePattern(workspace.picture, request);
    progress.Clear();
    if (const auto* refusal = std::get_if<PatternRefusal>(&result))
        return Refused(picture, *refusal);
    MadePattern& made = std::get<MadePattern>(result);
    if (!made.photoDefaultsNote.empty()) {
        std::cerr << "brodix-chart: " << made.photoDefaultsNote
                  << " --max-colours or --min-stitches charts it otherwise.\n";
    }
    return std::move(made.pattern);
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
        // A pipe is read here, once: its kind is told, and it is read, from those bytes.
        const PictureSource source = SourceOf(picture);
        const PictureReader reader = ReaderFor(source, options.photo.fit.has_value());
        if (const std::optional<PatternRefusal> refusal =
                RefusalByHeader(source, reader, options.photo, StitchLimit(options)))
            return Refused(picture, *refusal);
        progress.Show("reading the picture", 0);
        const OpenedPicture opened = OpenPicture(workspace, source, reader, options.photo);
        if (!opened.leftOutNote.empty())
            std::cerr << "brodix-chart: " << opened.leftOutNote << '\n';

        stage = Stage::Make;
        std::variant<Pattern, int> made =
            MakeBatchPattern(options, picture, opened, settings, workspace, progress);
        if (const int* refused = std::get_if<int>(&made))
            return *refused;
        const Pattern& pattern = std::get<Pattern>(made);
        stage = Stage::Other;
        const std::vector<std::string> inputs = {picture, sheet,
                                                 CataloguePath(pattern.Settings(), picture)};
        ListWriter list(options.nullEnds);
        if (name.empty())
            RequireNewOutputs(options, name, pattern, inputs);
        else
            DrawAndSave(options, pattern, name, inputs, workspace, list, stage);
        const std::vector<std::string> report =
            pattern.Settings().report ? StitchabilityLinesOf(pattern, workspace.SymbolSheet())
                                      : std::vector<std::string>();
        WritePattern(options, pattern, workspace.SymbolSheet(), list, progress);
        if (!PrintReportAndKey(options, report, pattern.Key()))
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
