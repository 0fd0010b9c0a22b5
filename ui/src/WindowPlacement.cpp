#include "ui/WindowPlacement.h"

#include "ui/XcbReply.h"

#include <QtGui/qguiapplication_platform.h>
#include <xcb/xcb.h>
#include <QEvent>
#include <QGuiApplication>
#include <QMargins>
#include <QMetaObject>
#include <QPoint>
#include <QRect>
#include <QScreen>
#include <QWidget>
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <utility>

namespace brodix {

namespace {

xcb_connection_t* X11Connection() {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

xcb_atom_t InternAtom(xcb_connection_t* connection, const char* name) {
    const auto cookie =
        xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(std::strlen(name)), name);
    const XcbReply<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(connection, cookie, nullptr));
    return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

// The window manager's frame around window, once it is known. On X11 it is read from the
// display: Qt may keep the empty frame it saw before the window manager framed the window.
std::optional<QMargins> FrameOf(QWidget& window) {
    if (xcb_connection_t* connection = X11Connection()) {
        static const xcb_atom_t extents = InternAtom(connection, "_NET_FRAME_EXTENTS");
        const auto cookie =
            xcb_get_property(connection, 0, static_cast<xcb_window_t>(window.winId()), extents,
                             XCB_ATOM_CARDINAL, 0, 4);
        const XcbReply<xcb_get_property_reply_t> reply(
            xcb_get_property_reply(connection, cookie, nullptr));
        std::optional<QMargins> frame;
        if (reply && reply->format == 32 && xcb_get_property_value_length(reply.get()) == 16) {
            const auto* v = static_cast<const std::uint32_t*>(xcb_get_property_value(reply.get()));
            // left, right, top, bottom
            frame = QMargins(static_cast<int>(v[0]), static_cast<int>(v[2]), static_cast<int>(v[1]),
                             static_cast<int>(v[3]));
        }
        return frame;
    }
    const QRect outer = window.frameGeometry();
    const QRect inner = window.geometry();
    if (outer == inner)
        return std::nullopt;
    return QMargins(inner.left() - outer.left(), inner.top() - outer.top(),
                    outer.right() - inner.right(), outer.bottom() - inner.bottom());
}

// Places the window by its outer size now (the frame unknown, the client size standing for
// it), then watches the window's events after it is shown until the window manager's frame is
// known, places it again and lets go. The frame comes with no event of the window's own when
// the manager leaves the window where it asked to be, so any event will do; the move waits
// until the event is handled.
class FramedPlacement final : public QObject {
  public:
    FramedPlacement(QWidget& window, Placement place)
        : QObject(&window), m_window(window), m_place(std::move(place)) {
        window.installEventFilter(this);
    }

    // The client area goes where the frame leaves it: Qt's own frame-inclusive moves use the
    // frame as Qt knows it.
    void Apply(const QMargins& frame) {
        const QSize outer = m_window.size().grownBy(frame);
        const QPoint client = m_place(outer) + QPoint(frame.left(), frame.top());
        m_window.setGeometry(QRect(client, m_window.size()));
    }

  protected:
    bool eventFilter(QObject* watched, QEvent*) override {
        if (watched != &m_window || !m_window.isVisible())
            return false;
        const std::optional<QMargins> frame = FrameOf(m_window);
        // Without a window manager no frame comes; the window has long been drawn by then.
        if (!frame && ++m_eventsWithoutFrame < kEventsToWait)
            return false;
        m_window.removeEventFilter(this);
        QMetaObject::invokeMethod(
            this,
            [this, frame] {
                if (frame)
                    Apply(*frame);
                deleteLater();
            },
            Qt::QueuedConnection);
        return false;
    }

  private:
    static constexpr int kEventsToWait = 500;
    QWidget& m_window;
    Placement m_place;
    int m_eventsWithoutFrame = 0;
};

QScreen* ScreenOf(const QWidget& window) {
    if (QScreen* screen = QGuiApplication::screenAt(window.frameGeometry().center()))
        return screen;
    return window.screen();
}

// The Motif window manager hints, as window managers read them from _MOTIF_WM_HINTS.
constexpr std::uint32_t kMwmHintsFunctions = 1;
constexpr std::uint32_t kMwmHintsDecorations = 2;
constexpr std::uint32_t kMwmFuncMove = 4;
constexpr std::uint32_t kMwmDecorBorder = 2;
constexpr std::uint32_t kMwmDecorTitle = 8;

// A resize step no drag can reach: the window manager keeps the size at the base size plus
// whole steps, so dragging an edge changes nothing. Maximising ignores the steps.
constexpr int kNoDragResizeStep = 32767;

}  // namespace

void PlaceByOuterSize(QWidget& window, Placement place) {
    auto* placement = new FramedPlacement(window, std::move(place));
    placement->Apply(QMargins());
}

QPoint PlaceOnMonitor(const QRect& frame, const QRect& from, const QRect& to) {
    int left = to.left() + (frame.left() - from.left());
    int top = to.top() + (frame.top() - from.top());
    left = std::max(std::min(left, to.left() + to.width() - frame.width()), to.left());
    top = std::max(std::min(top, to.top() + to.height() - frame.height()), to.top());
    return QPoint(left, top);
}

void FollowMonitorOf(QWidget& window, const QWidget* active) {
    if (window.isVisible() || !active || active == &window)
        return;
    QScreen* from = ScreenOf(window);
    QScreen* to = ScreenOf(*active);
    if (!from || !to || from == to)
        return;
    window.move(PlaceOnMonitor(window.frameGeometry(), from->geometry(), to->geometry()));
}

void AllowMaximiseButNoDragResize(QWidget& window) {
    // A window made later does not take the base size and step from its widget.
    window.winId();
    const QSize normal = window.size();
    window.setMinimumSize(normal);
    window.setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    window.setBaseSize(normal);
    window.setSizeIncrement(kNoDragResizeStep, kNoDragResizeStep);
}

void ShowOnlyTheCaption(QWidget& window) {
    xcb_connection_t* connection = X11Connection();
    if (!connection)
        return;
    const auto id = static_cast<xcb_window_t>(window.winId());
    const xcb_atom_t hints = InternAtom(connection, "_MOTIF_WM_HINTS");
    if (hints == XCB_ATOM_NONE)
        return;
    // Qt states only the decorations; without the functions, window managers that draw the
    // buttons from what the window may do still offer minimise, maximise and close.
    const std::array<std::uint32_t, 5> value{kMwmHintsFunctions | kMwmHintsDecorations,
                                             kMwmFuncMove, kMwmDecorBorder | kMwmDecorTitle, 0, 0};
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, hints, hints, 32,
                        static_cast<std::uint32_t>(value.size()), value.data());
    xcb_flush(connection);
}

}  // namespace brodix
