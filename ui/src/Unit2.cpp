#include "ui/Unit2.h"

#include <QCursor>
#include <QLabel>
#include <QMenu>
#include <QPushButton>

#include "pattern/Pattern.h"
#include "print/StitchedPreview.h"
#include "raster/Exceptions.h"
#include "raster/TBitmap.h"
#include "ui/ButtonKeys.h"
#include "ui/Guard.h"
#include "ui/ImageView.h"
#include "ui/Program.h"
#include "ui/RadioGroup.h"
#include "ui/ScrollBox.h"
#include "ui/WindowPlacement.h"
#include "ui_Unit2.h"

namespace brodix {

TF_Zoom* F_Zoom = nullptr;

TF_Zoom::TF_Zoom(Shell& shell, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowStaysOnTopHint),
      m_shell(shell),
      m_form(std::make_unique<Ui::TF_Zoom>()) {
    RegisterResources();
    m_form->setupUi(this);
    Ui::TF_Zoom& f = *m_form;
    BitBtn1 = f.BitBtn1;
    RG_x = f.RG_x;
    ScrollBox1 = f.ScrollBox1;
    L_x = f.L_x;
    L_y = f.L_y;
    Label3 = f.Label3;
    m_width = std::make_unique<LabelCaption>(*L_x);
    m_height = std::make_unique<LabelCaption>(*L_y);

    setFont(DesignFont(font()));
    setFixedSize(size());
    ShowOnlyTheCaption(*this);
    setWindowIcon(QIcon(QStringLiteral(":/brodix/icons/brodix-zoom-32.xpm")));
    // Not the main window: closing the main window ends the program even while this is open.
    setAttribute(Qt::WA_QuitOnClose, false);

    f.Image2->SetImage(&Image2);
    ScrollBox1->WatchContents();

    connect(RG_x, &RadioGroup::clicked, this,
            [this] { Guard(m_shell, this, [this] { RG_xClick(RG_x); }); });
    f.Image2->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(f.Image2, &QWidget::customContextMenuRequested, this, [this] { PopUpMenu(); });
    ClickButtonsOnEnter(*this);
    connect(BitBtn1, &QPushButton::clicked, this,
            [this] { Guard(m_shell, this, [this] { BitBtn1Click(BitBtn1); }); });
    F_Zoom = this;
}

TF_Zoom::~TF_Zoom() {
    // The image view is a child widget and outlives Image2, a member: it lets go of it first.
    for (ImageView* view : findChildren<ImageView*>())
        view->SetImage(nullptr);
    if (F_Zoom == this)
        F_Zoom = nullptr;
}

ZoomTarget TF_Zoom::MakeTarget() {
    return ZoomTarget{Image2, *m_width, *m_height, RG_x->itemIndex() + 1};
}

ImageView* TF_Zoom::ImageView2() const {
    return m_form->Image2;
}

void TF_Zoom::RG_xClick(QObject*) {
    const int factor = RG_x->itemIndex() + 1;
    Image2.SetHeight(factor * StrToInt(L_y->text().toStdString()));
    Image2.SetWidth(factor * StrToInt(L_x->text().toStdString()));
    if (m_asStitched)
        DrawStitched();
}

void TF_Zoom::PatternMade(const Pattern* pattern) {
    m_pattern = pattern;
    m_flat.Assign(Image2.Picture());
    if (m_asStitched)
        DrawStitched();
}

void TF_Zoom::PatternChanged() {
    if (m_asStitched)
        DrawStitched();
}

void TF_Zoom::SetAsStitched(bool on) {
    if (on == m_asStitched)
        return;
    m_asStitched = on;
    if (on)
        DrawStitched();
    else if (m_flat.HasGraphic())
        Image2.Picture().Assign(m_flat);
}

void TF_Zoom::DrawStitched() {
    if (m_pattern == nullptr)
        return;
    // At the factor's pixels a stitch, so that the view draws it pixel for pixel.
    const TBitmap stitched = print::StitchedPreview(*m_pattern, RG_x->itemIndex() + 1).Bitmap();
    Image2.Picture().SetGraphic(&stitched);
}

void TF_Zoom::PopUpMenu() {
    QMenu menu(this);
    QAction* stitched = menu.addAction(QStringLiteral("As Stitched"));
    stitched->setCheckable(true);
    stitched->setChecked(m_asStitched);
    stitched->setEnabled(m_pattern != nullptr);
    connect(stitched, &QAction::triggered, this,
            [this](bool on) { Guard(m_shell, this, [this, on] { SetAsStitched(on); }); });
    menu.exec(QCursor::pos());
}

void TF_Zoom::BitBtn1Click(QObject*) {
    close();
}

}  // namespace brodix
