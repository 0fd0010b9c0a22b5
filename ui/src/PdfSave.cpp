#include "ui/PdfSave.h"

#include <QContextMenuEvent>
#include <QMenu>

#include "print/KeyFromCensus.h"
#include "print/PatternPdf.h"
#include "raster/TBitmap.h"
#include "raster/TImage.h"
#include "ui/Guard.h"
#include "ui/ImageView.h"
#include "ui/Unit1.h"

namespace brodix {

namespace {

// Shows the window's pattern menu at the global position.
void PopUpPatternMenu(TF_main& window, const QPoint& where) {
    QMenu menu(&window);
    FillPatternMenu(menu, window);
    menu.exec(where);
}

// The menu key reaches the focused control, which passes it on to the window: there it opens
// the pattern menu over the legend.
class MenuKeyFilter final : public QObject {
  public:
    explicit MenuKeyFilter(TF_main& window) : QObject(&window), m_window(window) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != &m_window || event->type() != QEvent::ContextMenu)
            return false;
        auto* menuEvent = static_cast<QContextMenuEvent*>(event);
        if (menuEvent->reason() != QContextMenuEvent::Keyboard)
            return false;
        ImageView* legend = m_window.ViewOf(m_window.Img_color);
        QWidget* anchor = legend != nullptr ? static_cast<QWidget*>(legend) : &m_window;
        PopUpPatternMenu(m_window, anchor->mapToGlobal(QPoint(0, 0)));
        return true;
    }

  private:
    TF_main& m_window;
};

}  // namespace

std::vector<FileFilter> PdfFileFilters() {
    return {{"pdf", "*.pdf"}};
}

PdfSave::PdfSave() : m_dialog(FileDialogKind::Save, PdfFileFilters(), "pdf") {}

void PdfSave::Run(Shell& shell, QWidget* owner, const TImage& sheet,
                  const std::string& pictureName) {
    if (m_census.palette.empty())
        return;
    if (!m_dialog.Execute(shell, owner))
        return;
    const print::PatternKey key = print::KeyWithoutThreads(m_census);
    const print::PdfSources sources{
        m_census, dynamic_cast<const TBitmap*>(sheet.Picture().Graphic()), key, pictureName};
    print::SavePatternPdf(m_dialog.FileName(), sources, print::PdfOptions{});
}

void FillPatternMenu(QMenu& menu, TF_main& window) {
    QAction* save = menu.addAction(QStringLiteral("Save PDF..."));
    QObject::connect(save, &QAction::triggered, &window,
                     [&window] { window.SavePdfClick(nullptr); });
}

void AttachPatternMenu(TF_main& window) {
    for (TImage* image : {&window.Img_color, &window.Img_CS}) {
        ImageView* view = window.ViewOf(*image);
        if (view == nullptr)
            continue;
        view->setContextMenuPolicy(Qt::CustomContextMenu);
        QObject::connect(
            view, &QWidget::customContextMenuRequested, &window,
            [&window, view](const QPoint& at) { PopUpPatternMenu(window, view->mapToGlobal(at)); });
    }
    window.installEventFilter(new MenuKeyFilter(window));
}

}  // namespace brodix
