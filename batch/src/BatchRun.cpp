#include "BatchRun.h"

#include <unistd.h>

#include <exception>
#include <iostream>
#include <vector>

#include "engine/Captions.h"
#include "engine/Make.h"
#include "engine/Messages.h"
#include "engine/SymbolSheet.h"
#include "engine/Workspace.h"
#include "export/SavePattern.h"
#include "raster/Exceptions.h"
#include "raster/TBitmap.h"
#include "raster/TPicture.h"

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

void Progress(bool shown, const std::string& text) {
    if (shown)
        std::cerr << text << '\n';
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
        if (dynamic_cast<const TBitmap*>(workspace.symbols.Picture().Graphic()) == nullptr) {
            workspace.symbols.Picture().SetGraphic(nullptr);
            throw EInvalidGraphic(msg::kInvalidBitmap);
        }
    } catch (const std::exception& error) {
        std::cerr << ExceptionBoxText(error.what()) << '\n';
    }

    try {
        workspace.ReadBlankCell();
        const std::string name = SaveDialogName(options.name);

        const std::string picture = FullPath(options.picture);
        Progress(progress, "Loading " + picture);
        workspace.LoadPicture(picture);

        HeadlessControls controls;
        RecordingSink messages;
        Progress(progress, "Making...");
        if (workspace.Make(options.levels, controls.Captions(), messages, controls.Zoom()) ==
            MakeResult::Refused) {
            std::cerr << messages.Title() << '\n' << LineBreaksForDisplay(messages.Text()) << '\n';
            return kExitRefused;
        }

        Progress(progress, "Saving " + name);
        SavePattern(name, workspace, controls.Captions(),
                    [](const std::string& written) { std::cout << written << std::endl; });
        return kExitDone;
    } catch (const std::exception& error) {
        std::cout.flush();
        std::cerr << ExceptionBoxText(error.what()) << '\n';
        return kExitFailed;
    }
}

}  // namespace brodix
