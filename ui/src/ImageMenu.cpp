#include "ui/ImageMenu.h"

#include <QCursor>
#include <QMenu>
#include <QWidget>

namespace brodix {

void FillImageMenu(QMenu& menu, TF_main& window) {
    AddOpenAnyPictureEntry(menu, window);
    menu.addSeparator();
    AddPatternEntries(menu, window);
}

void InstallImageMenu(TF_main& window, std::initializer_list<QWidget*> views) {
    for (QWidget* view : views) {
        view->setContextMenuPolicy(Qt::CustomContextMenu);
        QObject::connect(view, &QWidget::customContextMenuRequested, view,
                         [&window, view](const QPoint&) {
                             QMenu menu(view);
                             FillImageMenu(menu, window);
                             // At the pointer: a scroll box reports the place in its viewport.
                             menu.exec(QCursor::pos());
                         });
    }
}

}  // namespace brodix
