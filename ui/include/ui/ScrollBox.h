#pragma once

#include <QScrollArea>

namespace brodix {

// A scroll box whose scroll extent is the far edge of its contents' children, with no margin:
// a child at (5, 5) of width w gives an extent of 5 + w. Scroll bars come and go as the
// children grow and shrink; a line step is 8 pixels, a page nine tenths of the view.
class ScrollBox : public QScrollArea {
    Q_OBJECT

  public:
    explicit ScrollBox(QWidget* parent = nullptr);

    // Follows the moves and resizes of the children of widget() from now on.
    void WatchContents();

    static constexpr int kLineStep = 8;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void FitContents();
    void SetSteps();
};

}  // namespace brodix
