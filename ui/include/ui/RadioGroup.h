#pragma once

#include <QStringList>
#include <QWidget>

namespace brodix {

// A framed group of radio items in one column, with one item selected. It fires clicked()
// only when the selection moves to another item: a mouse click on an item that is not
// selected, or the arrow keys (right and down the next item, left and up the previous one,
// wrapping). Clicking the selected item, or creating the group, fires nothing.
class RadioGroup : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString caption READ caption WRITE setCaption)
    Q_PROPERTY(QStringList items READ items WRITE setItems)
    Q_PROPERTY(int itemIndex READ itemIndex WRITE setItemIndex)

  public:
    explicit RadioGroup(QWidget* parent = nullptr);

    QString caption() const { return m_caption; }
    void setCaption(const QString& caption);
    QStringList items() const { return m_items; }
    void setItems(const QStringList& items);
    int itemIndex() const { return m_itemIndex; }
    // Selects index (-1: none); fires clicked() when that moves the selection.
    void setItemIndex(int index);

    // Where item index lies in the group, as the layout of the group's font gives it.
    QRect ItemRect(int index) const;

  signals:
    void clicked();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

  private:
    int ItemAt(const QPoint& position) const;
    int LineHeight() const;

    QString m_caption;
    QStringList m_items;
    int m_itemIndex = -1;
    int m_pressed = -1;
};

}  // namespace brodix
