#pragma once

#include <memory>

#include <QWidget>

#include "engine/Make.h"
#include "raster/TImage.h"
#include "raster/TPicture.h"
#include "ui/ControlCaptions.h"

class QLabel;
class QPushButton;

namespace Ui {
class TF_Zoom;
}

namespace brodix {

class ImageView;
class Pattern;
class RadioGroup;
class ScrollBox;
class Shell;

// The zoom window: the reduced picture enlarged by a whole factor, 1 to 8, with its size in
// stitches. It keeps the picture at stitch size; the view stretches it when painting. A right
// click on the picture offers "As Stitched": the pattern drawn as it will look stitched, at the
// zoom factor's pixels a stitch, until it is unticked.
class TF_Zoom : public QWidget {
    Q_OBJECT

  public:
    // Created hidden; showing it is the main window's business.
    explicit TF_Zoom(Shell& shell, QWidget* parent = nullptr);
    ~TF_Zoom() override;

    QPushButton* BitBtn1 = nullptr;
    RadioGroup* RG_x = nullptr;
    ScrollBox* ScrollBox1 = nullptr;
    TImage Image2{200, 200};
    QLabel* L_x = nullptr;
    QLabel* L_y = nullptr;
    QLabel* Label3 = nullptr;

    void RG_xClick(QObject* sender);
    void BitBtn1Click(QObject* sender);

    // What Make updates here: the image, the two size captions and the selected factor.
    ZoomTarget MakeTarget();
    ImageView* ImageView2() const;

    // The pattern Make has just drawn into the picture (null: none): "As Stitched" shows it.
    void PatternMade(const Pattern* pattern);
    // The pattern's fabric, floss or colours changed without a Make: "As Stitched" follows.
    void PatternChanged();
    // "As Stitched", ticked or not; today's picture is shown until it is ticked.
    void SetAsStitched(bool on);
    bool AsStitched() const { return m_asStitched; }

  private:
    // The picture as it will look stitched at the current factor, in place of the flat one.
    void DrawStitched();
    void PopUpMenu();

    Shell& m_shell;
    std::unique_ptr<Ui::TF_Zoom> m_form;
    std::unique_ptr<LabelCaption> m_width;
    std::unique_ptr<LabelCaption> m_height;
    const Pattern* m_pattern = nullptr;
    bool m_asStitched = false;
    // The picture Make gave, kept while the stitched one is shown.
    TPicture m_flat;
};

// The one zoom window, set while it exists.
extern TF_Zoom* F_Zoom;

}  // namespace brodix
