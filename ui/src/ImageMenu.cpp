#include "ui/ImageMenu.h"

#include <QContextMenuEvent>
#include <QCursor>
#include <QMenu>
#include <QWidget>

#include "engine/ChartGeometry.h"
#include "ui/ImageView.h"
#include "ui/PreviewSave.h"
#include "ui/StitchEditing.h"
#include "ui/Unit1.h"

namespace brodix {

namespace {

void PopUpImageMenu(TF_main& window, QWidget* parent, const QPoint& where) {
    QMenu menu(parent);
    // Opened on a legend row, the menu holds that row's entries.
    int row = -1;
    if (ImageView* legend = window.ViewOf(window.Img_color)) {
        const QPoint at = legend->mapFromGlobal(where);
        if (legend->rect().contains(at))
            row = at.y() / kLegendRowHeight;
    }
    FillImageMenu(menu, window, row);
    menu.exec(where);
}

// The menu key reaches the focused control, which passes it on to the window: there it opens
// the menu over the legend.
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
        PopUpImageMenu(m_window, &m_window, anchor->mapToGlobal(QPoint(0, 0)));
        return true;
    }

  private:
    TF_main& m_window;
};

}  // namespace

void AddOpenAnyPictureEntry(QMenu& menu, TF_main& window) {
    QAction* action = menu.addAction(QStringLiteral("Open Any Picture..."));
    QObject::connect(action, &QAction::triggered, &window, [&window, action] {
        window.RunHandler(&TF_main::OpenAnyPictureClick, action);
    });
}

void FillImageMenu(QMenu& menu, TF_main& window, int legendRow) {
    AddOpenAnyPictureEntry(menu, window);
    menu.addSeparator();
    window.Edits().FillMenu(menu, legendRow);
    menu.addSeparator();
    AddPatternEntries(menu, window);
    menu.addSeparator();
    // Before the PDF's entries, which stay together: its paper, its chart style, "Save PDF...".
    AddSavePreviewEntry(menu, window);
    AddPdfChoiceEntries(menu, window);
    AddSavePdfEntry(menu, window);
    AddSaveOxsEntry(menu, window);
}

void InstallImageMenu(TF_main& window, std::initializer_list<QWidget*> views) {
    for (QWidget* view : views) {
        view->setContextMenuPolicy(Qt::CustomContextMenu);
        QObject::connect(view, &QWidget::customContextMenuRequested, view,
                         [&window, view](const QPoint&) {
                             // At the pointer: a scroll box reports the place in its viewport.
                             PopUpImageMenu(window, view, QCursor::pos());
                         });
    }
    window.installEventFilter(new MenuKeyFilter(window));
}

}  // namespace brodix
