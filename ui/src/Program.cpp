#include "ui/Program.h"

#include <QApplication>
#include <QFont>
#include <QGuiApplication>
#include <QIcon>
#include <QPushButton>
#include <QScreen>
#include <QWindow>

#include "raster/FontNames.h"
#include "raster/Screen.h"
#include "ui/Unit1.h"
#include "ui/Unit2.h"
#include "ui/WindowPlacement.h"

// The icons are compiled into the ui library; a static library's resources are registered only
// when asked for by name, outside any namespace.
static void RegisterIconResources() {
    Q_INIT_RESOURCE(icons);
}

namespace brodix {

void RegisterResources() {
    static const bool registered = (RegisterIconResources(), true);
    (void)registered;
}

void InitializeApplication() {
    RegisterResources();
    // The application title. Not the display name: Qt would append that to every caption,
    // and the main window's title bar shows "Ruvovuro" alone.
    QCoreApplication::setApplicationName(QStringLiteral("Brodix"));
    QGuiApplication::setDesktopFileName(QStringLiteral("brodix"));
    // The design's fonts are drawn in the families that draw them on canvases.
    for (const char* family : {kWindowFontFamily, kGroupFontFamily}) {
        QFont::insertSubstitution(QString::fromUtf8(family),
                                  QString::fromStdString(FontFamilyFor(family)));
    }
    QIcon icon;
    icon.addFile(QStringLiteral(":/brodix/icons/brodix-32.xpm"), QSize(32, 32));
    for (int size : {48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/brodix/icons/brodix-%1.png").arg(size), QSize(size, size));
    QGuiApplication::setWindowIcon(icon);
}

QFont DesignFont(const QFont& font) {
    QFont designed(font);
    designed.setPixelSize(kDesignFontPixels);
    return designed;
}

QPoint CentredPosition(const QRect& desktop, int width, int height) {
    return QPoint(desktop.left() + (desktop.width() - width) / 2,
                  desktop.top() + (desktop.height() - height) / 2);
}

Program::Program(Shell& shell) {
    // The screen's pixels per inch tie font sizes in points to heights in pixels.
    if (QScreen* screen = QGuiApplication::primaryScreen())
        Screen::SetPixelsPerInch(qRound(screen->logicalDotsPerInchY()));
    m_main = std::make_unique<TF_main>(shell);
    m_zoom = std::make_unique<TF_Zoom>(shell);
    // The zoom window belongs to the program's one taskbar entry, not an entry of its own.
    m_main->winId();
    m_zoom->winId();
    if (m_zoom->windowHandle() && m_main->windowHandle())
        m_zoom->windowHandle()->setTransientParent(m_main->windowHandle());
}

Program::~Program() {
    m_zoom.reset();
    m_main.reset();
}

void Program::ShowMainWindow() {
    TF_main& window = *m_main;
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect desktop = screen->virtualGeometry();
        PlaceByOuterSize(window, [desktop](const QSize& outer) {
            return CentredPosition(desktop, outer.width(), outer.height());
        });
    }
    window.BTN_MAKE->setFocus(Qt::OtherFocusReason);
    window.show();
    window.raise();
    window.activateWindow();
}

}  // namespace brodix
