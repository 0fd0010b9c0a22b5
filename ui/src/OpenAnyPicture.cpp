// "Open Any Picture...": a PNG, JPEG, GIF or BMP picture of any size, fitted to a stitch size,
// or an OXS chart at its own size, then the steps of "Load Picture": both images take the
// picture and Make runs once. A photograph that Make would refuse for its colours takes the
// photo defaults in the pattern menu first, and the status bar says so.
#include <exception>
#include <optional>
#include <string>

#include <QMenu>
#include <QPushButton>

#include "engine/Census.h"
#include "photo/OxsReader.h"
#include "photo/Photo.h"
#include "raster/TBitmap.h"
#include "ui/ControlCaptions.h"
#include "ui/ImageMenu.h"
#include "ui/PatternMenu.h"
#include "ui/Shell.h"
#include "ui/Unit1.h"

namespace brodix {

namespace {

// What the stitch-size dialog tells of the colours, before the picture is read.
std::string ColoursText(const threads::PatternSettings& settings) {
    const std::string clean = settings.clean ? ", stray stitches cleaned" : "";
    if (settings.maxColours > 0)
        return "Colours: up to " + std::to_string(settings.maxColours) + clean + ".";
    if (settings.MergesRareColours())
        return "Colours: as in the picture, those of fewer than " +
               std::to_string(settings.minStitches) + " stitches merged" + clean + ".";
    return "Colours: as in the picture; a photograph of more than " + std::to_string(kMaxColors) +
           " gets up to " + std::to_string(kPhotoColourBudget) +
           ", stray stitches cleaned, snapped to threads when a catalogue is found.";
}

// The picture's own size for the dialog, or nothing when its header cannot tell: the read that
// follows the dialog then says why.
std::optional<StitchSize> PictureSizeOf(const std::string& file) {
    try {
        return ReadPhotoSize(file, PhotoOptions());
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

}  // namespace

void AddOpenAnyPictureEntry(QMenu& menu, TF_main& window) {
    QAction* action = menu.addAction(QStringLiteral("Open Any Picture..."));
    QObject::connect(action, &QAction::triggered, &window, [&window, action] {
        window.RunHandler(&TF_main::OpenAnyPictureClick, action);
    });
}

void TF_main::OpenAnyPictureClick(QObject*) {
    if (!OpenAnyDialog.Execute(m_shell, this))
        return;
    const std::string file = OpenAnyDialog.FileName();
    // A chart keeps its own size: fitting would blend its stitches into colours it never had.
    if (IsOxsFile(file)) {
        OxsPicture chart = ReadOxsFile(file);
        m_workspace.TakePicture(std::move(chart.picture), file);
        BTN_MAKE->click();
        // After Make, which clears the status text.
        StatusCaption(*StsBar).SetText(chart.message);
        return;
    }
    const std::optional<StitchSize> size = m_shell.RunStitchSizeDialog(
        {AnyPictureSize, PictureSizeOf(file), m_patternSettings.floss.fabricCount,
         ColoursText(m_patternSettings)},
        this);
    if (!size)
        return;
    AnyPictureSize = *size;
    PhotoOptions options;
    options.fit = *size;
    // Read whole before either image changes: a picture that fails leaves both as they were.
    m_workspace.TakePicture(ReadPhotoFile(file, options), file);
    // BMP pictures and OXS charts keep their colours: only photographs are reduced.
    std::string note;
    if (IsPhotoFile(file) && threads::PhotoDefaultsApply(Image1, Levels(), m_patternSettings))
        note = m_patternMenu->UsePhotoDefaults();
    BTN_MAKE->click();
    if (!note.empty())
        StatusCaption(*StsBar).SetText(note);
}

}  // namespace brodix
