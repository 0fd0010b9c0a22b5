#pragma once

#include <memory>

class QFont;
class QPoint;
class QRect;
class QWidget;

namespace brodix {

class Shell;
class TF_main;
class TF_Zoom;

// The character height of the fonts the windows are designed with (raster/FontNames.h).
inline constexpr int kDesignFontPixels = 12;

// Application-wide settings that must be in place before the first window: the title, the
// desktop entry, the icon and the font mapping. Needs a QApplication.
void InitializeApplication();

// Makes the icons compiled into the ui library available (once; any later call does nothing).
void RegisterResources();

// font at the design's character height of 12 pixels.
QFont DesignFont(const QFont& font);

// The program's windows, created in start-up order: the main window (whose FormCreate reads
// the symbol sheet), then the zoom window, hidden. F_main and F_Zoom point at them while they
// exist.
class Program {
  public:
    explicit Program(Shell& shell);
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    TF_main& Main() { return *m_main; }
    TF_Zoom& Zoom() { return *m_zoom; }

    // Shows the main window centred on the desktop by its outer size (placed again once the
    // window manager has framed it), the focus on "Make".
    void ShowMainWindow();

  private:
    std::unique_ptr<TF_main> m_main;
    std::unique_ptr<TF_Zoom> m_zoom;
};

// Where a window of outer size width x height goes: centred on desktop.
QPoint CentredPosition(const QRect& desktop, int width, int height);

}  // namespace brodix
