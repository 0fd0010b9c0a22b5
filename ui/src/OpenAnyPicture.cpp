// "Open Any Picture...": a PNG, JPEG, GIF or BMP picture of any size, fitted to a stitch size,
// or an OXS chart at its own size, then the steps of "Load Picture": both images take the
// picture and Make runs once. A photograph that Make would refuse for its colours takes the
// photo defaults, which the pattern menu then shows and the status bar tells.
#include <exception>
#include <optional>
#include <string>

#include <QMenu>

#include "engine/Census.h"
#include "pattern/MakePattern.h"
#include "pattern/OxsReader.h"
#include "photo/Photo.h"
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
        const OpenedPicture chart = OpenPicture(m_workspace, file, PictureReader::Oxs, {});
        MakeChart();
        // After Make, which clears the status text.
        StatusCaption(*StsBar).SetText(chart.leftOutNote);
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
    const OpenedPicture opened = OpenPicture(m_workspace, file, PictureReader::Photo, options);
    MakeChart(opened.photo);
}

}  // namespace brodix
