#include "ui/RadioGroup.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>

namespace brodix {

RadioGroup::RadioGroup(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_Hover, false);
}

void RadioGroup::setCaption(const QString& caption) {
    m_caption = caption;
    update();
}

void RadioGroup::setItems(const QStringList& items) {
    m_items = items;
    if (m_itemIndex >= m_items.size())
        m_itemIndex = -1;
    update();
}

void RadioGroup::setItemIndex(int index) {
    if (index < -1 || index >= m_items.size() || index == m_itemIndex)
        return;
    m_itemIndex = index;
    update();
    emit clicked();
}

int RadioGroup::LineHeight() const {
    // The design's layout counts the font's character height, not Qt's line spacing.
    const int pixels = font().pixelSize();
    return pixels > 0 ? pixels : QFontMetrics(font()).height();
}

QRect RadioGroup::ItemRect(int index) const {
    const int count = static_cast<int>(m_items.size());
    if (index < 0 || index >= count)
        return {};
    const int line = LineHeight();
    const int free = std::max(0, height() - line - 5);
    const int rowHeight = free / count;
    const int top = line + 1 + (free - rowHeight * count) / 2;
    return QRect(8, top + index * rowHeight, width() - 10, rowHeight);
}

int RadioGroup::ItemAt(const QPoint& position) const {
    for (int i = 0; i < m_items.size(); ++i)
        if (ItemRect(i).contains(position))
            return i;
    return -1;
}

void RadioGroup::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    // The frame's top line runs through the middle of the caption, which sits 8 pixels in.
    const int line = LineHeight();
    // An etched line: a shadow line with a light one just inside and below it.
    const QRect frame = rect().adjusted(0, line / 2, -1, -1);
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(frame.adjusted(0, 0, -1, -1));
    painter.setPen(palette().color(QPalette::Light));
    painter.drawRect(frame.adjusted(1, 1, 0, 0));
    if (!m_caption.isEmpty()) {
        const QFontMetrics metrics(font());
        const QRect text(8, 0, metrics.horizontalAdvance(m_caption) + 2, line + 2);
        painter.fillRect(text, palette().window());
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(text, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, m_caption);
    }

    for (int i = 0; i < m_items.size(); ++i) {
        QStyleOptionButton item;
        item.initFrom(this);
        item.rect = ItemRect(i);
        item.text = m_items[i];
        item.state &= ~(QStyle::State_HasFocus | QStyle::State_MouseOver);
        item.state |= (i == m_itemIndex) ? QStyle::State_On : QStyle::State_Off;
        if (i == m_pressed)
            item.state |= QStyle::State_Sunken;
        if (hasFocus() && (i == m_itemIndex || (m_itemIndex < 0 && i == 0)))
            item.state |= QStyle::State_HasFocus;
        style()->drawControl(QStyle::CE_RadioButton, &item, &painter, this);
    }
}

void RadioGroup::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return QWidget::mousePressEvent(event);
    m_pressed = ItemAt(event->position().toPoint());
    update();
}

void RadioGroup::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return QWidget::mouseReleaseEvent(event);
    const int pressed = m_pressed;
    m_pressed = -1;
    update();
    if (pressed >= 0 && pressed == ItemAt(event->position().toPoint()))
        setItemIndex(pressed);
}

void RadioGroup::keyPressEvent(QKeyEvent* event) {
    const int count = static_cast<int>(m_items.size());
    if (count == 0)
        return QWidget::keyPressEvent(event);
    switch (event->key()) {
        case Qt::Key_Right:
        case Qt::Key_Down:
            setItemIndex((m_itemIndex + 1) % count);
            break;
        case Qt::Key_Left:
        case Qt::Key_Up:
            setItemIndex(m_itemIndex <= 0 ? count - 1 : m_itemIndex - 1);
            break;
        default:
            QWidget::keyPressEvent(event);
    }
}

void RadioGroup::focusInEvent(QFocusEvent* event) {
    update();
    QWidget::focusInEvent(event);
}

void RadioGroup::focusOutEvent(QFocusEvent* event) {
    update();
    QWidget::focusOutEvent(event);
}

}  // namespace brodix
