#include "ui/ImageMenu.h"

#include <QMenu>
#include <QWidget>

namespace brodix {

void FillImageMenu(QMenu& menu, TF_main& window) {
    AddOpenAnyPictureEntry(menu, window);
}

void InstallImageMenu(TF_main& window, std::initializer_list<QWidget*> views) {
    for (QWidget* view : views) {
        view->setContextMenuPolicy(Qt::CustomContextMenu);
        QObject::connect(view, &QWidget::customContextMenuRequested, view,
                         [&window, view](const QPoint& position) {
                             QMenu menu(view);
                             FillImageMenu(menu, window);
                             menu.exec(view->mapToGlobal(position));
                         });
    }
}

}  // namespace brodix
