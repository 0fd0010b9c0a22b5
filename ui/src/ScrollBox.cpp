#include "ui/ScrollBox.h"

#include <QEvent>
#include <QScrollBar>

namespace brodix {

ScrollBox::ScrollBox(QWidget* parent) : QScrollArea(parent) {
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setWidgetResizable(false);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // The box is a frame, not a control: Tab passes it by.
    setFocusPolicy(Qt::NoFocus);
}

void ScrollBox::WatchContents() {
    QWidget* contents = widget();
    if (!contents)
        return;
    contents->installEventFilter(this);
    for (QObject* child : contents->children())
        if (child->isWidgetType())
            child->installEventFilter(this);
    FitContents();
}

bool ScrollBox::eventFilter(QObject* watched, QEvent* event) {
    const bool result = QScrollArea::eventFilter(watched, event);
    QWidget* contents = widget();
    if (contents && watched != contents && watched->parent() == contents) {
        switch (event->type()) {
            case QEvent::Resize:
            case QEvent::Move:
            case QEvent::Show:
            case QEvent::Hide:
                FitContents();
                break;
            default:
                break;
        }
    } else if (watched == contents && event->type() == QEvent::ChildAdded) {
        auto* added = static_cast<QChildEvent*>(event)->child();
        if (added->isWidgetType())
            added->installEventFilter(this);
    }
    if (watched == contents && event->type() == QEvent::Resize)
        SetSteps();
    return result;
}

void ScrollBox::resizeEvent(QResizeEvent* event) {
    QScrollArea::resizeEvent(event);
    SetSteps();
}

void ScrollBox::FitContents() {
    QWidget* contents = widget();
    if (!contents)
        return;
    QSize extent(0, 0);
    for (QObject* child : contents->children()) {
        auto* w = qobject_cast<QWidget*>(child);
        // Hidden children count as well: the box scrolls to where they would be.
        if (!w || w->isWindow())
            continue;
        const QRect g = w->geometry();
        extent = extent.expandedTo(QSize(g.x() + g.width(), g.y() + g.height()));
    }
    if (contents->size() != extent)
        contents->resize(extent);
}

void ScrollBox::SetSteps() {
    // QScrollArea sets its own page steps whenever it lays out; these replace them.
    const QSize view = viewport()->size();
    horizontalScrollBar()->setSingleStep(kLineStep);
    verticalScrollBar()->setSingleStep(kLineStep);
    horizontalScrollBar()->setPageStep(std::max(1, view.width() * 9 / 10));
    verticalScrollBar()->setPageStep(std::max(1, view.height() * 9 / 10));
}

}  // namespace brodix
