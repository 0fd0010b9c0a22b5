#include "BatchRun.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <string_view>
#include <vector>

#include "engine/Captions.h"
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
    std::uint8_t head[8] = {};
    std::ifstream in(picture, std::ios::binary);
    in.read(reinterpret_cast<char*>(head), sizeof head);
    return IsPhotoData({head, static_cast<std::size_t>(in.gcount())});
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

constexpr const char* kDefaultThreads = "dmc";

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
        catalogue = threads::FindCatalogueByTitle(kDefaultThreads, folders);
    } else if (options.threads != "none") {
        catalogue = threads::ChooseCatalogue(options.threads, folders);
    }
    if (options.pattern.snap && !catalogue)
        throw threads::ECatalogueError("--snap needs a thread catalogue, and none was found");
    return catalogue;
}

// Writes the printed pattern and gives the full name of its file.
std::string SavePdf(const BatchOptions& options, const Workspace& workspace,
                    const threads::PatternKey& key) {
    const std::string fileName = FullPath(options.pdf);
    print::SavePatternPdf(fileName, print::PdfSourcesOf(workspace, key), options.pdfOptions);
    return fileName;
}

}  // namespace

int RunBatch(const BatchOptions& options) {
    const bool progress = ::isatty(STDERR_FILENO) == 1;
    Workspace workspace;

    // An unreadable sheet is reported and the run goes on without it, as at the window's start.
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
    }

    try {
        workspace.ReadBlankCell();
        const std::string name =
            options.name.empty() ? std::string() : SaveDialogName(options.name);
        threads::PatternSettings settings = options.pattern;
        settings.catalogue = Catalogue(options);

        const std::string picture = FullPath(options.picture);
        Progress(progress, "Loading " + picture);
        ReadPicture(options, picture, workspace);

        HeadlessControls controls;
        RecordingSink messages;
        Progress(progress, "Making...");
        if (workspace.Make(options.levels, controls.Captions(), messages, controls.Zoom(),
                           threads::MakeOptionsOf(settings)) == MakeResult::Refused) {
            std::cerr << messages.Title() << '\n' << LineBreaksForDisplay(messages.Text()) << '\n';
            return kExitRefused;
        }
        const Census& census = *workspace.LastCensus();

        ListWriter list(options.nullEnds);
        if (!name.empty()) {
            Progress(progress, "Saving " + name);
            // As mkdir -p would: a batch run often writes into a folder of its own. A folder
            // that cannot be made shows as the first file that cannot be created.
            std::error_code ignored;
            std::filesystem::create_directories(std::filesystem::path(name).parent_path(), ignored);
            SavePattern(name, workspace, controls.Captions(),
                        [&list](const std::string& written) { list.Add(written); });
        }
        const threads::PatternKey key = threads::KeyOf(census, settings);
        if (!options.pdf.empty()) {
            Progress(progress, "Writing " + FullPath(options.pdf));
            list.Add(SavePdf(options, workspace, key));
        }
        if (!options.oxs.empty()) {
            const std::string oxs = FullPath(options.oxs);
            Progress(progress, "Writing " + oxs);
            SaveOxs(oxs, OxsSourcesOf(workspace, key));
            list.Add(oxs);
        }
        if (options.key != KeyFormat::None) {
            std::cout << (options.key == KeyFormat::Csv ? threads::KeyCsv(key)
                                                        : threads::KeyTable(key))
                      << std::flush;
        }
        return list.Report() ? kExitDone : kExitFailed;
    } catch (const std::exception& error) {
        std::cout.flush();
        std::cerr << ExceptionBoxText(error.what()) << '\n';
        return kExitFailed;
    }
}

}  // namespace brodix
