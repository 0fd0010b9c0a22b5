// "Open Any Picture...": a PNG, JPEG, GIF or BMP picture of any size, fitted to a stitch size,
// or an OXS chart at its own size, then the steps of "Load Picture": both images take the
// picture and Make runs once.
#include <QMenu>
#include <QPushButton>

#include "engine/Census.h"
#include "photo/OxsReader.h"
#include "photo/Photo.h"
#include "raster/TBitmap.h"
#include "ui/ControlCaptions.h"
#include "ui/ImageMenu.h"
#include "ui/Shell.h"
#include "ui/Unit1.h"

namespace brodix {

void AddOpenAnyPictureEntry(QMenu& menu, TF_main& window) {
    QAction* action = menu.addAction(QStringLiteral("Open Any Picture..."));
    QObject::connect(action, &QAction::triggered, &window, [&window, action] {
        window.RunHandler(&TF_main::OpenAnyPictureClick, action);
    });
}

void TF_main::OpenAnyPictureClick(QObject*) {
    if (!OpenAnyDialog.Execute(m_shell, this))
        return;
    // A chart keeps its own size: fitting would blend its stitches into colours it never had.
    if (IsOxsFile(OpenAnyDialog.FileName())) {
        OxsPicture chart = ReadOxsFile(OpenAnyDialog.FileName());
        m_workspace.TakePicture(std::move(chart.picture), OpenAnyDialog.FileName());
        BTN_MAKE->click();
        // After Make, which clears the status text.
        StatusCaption(*StsBar).SetText(chart.message);
        return;
    }
    const std::optional<StitchSize> size = m_shell.RunStitchSizeDialog(AnyPictureSize, this);
    if (!size)
        return;
    AnyPictureSize = *size;
    PhotoOptions options;
    options.fit = *size;
    // Read whole before either image changes: a picture that fails leaves both as they were.
    m_workspace.TakePicture(ReadPhotoFile(OpenAnyDialog.FileName(), options),
                            OpenAnyDialog.FileName());
    BTN_MAKE->click();
}

}  // namespace brodix
