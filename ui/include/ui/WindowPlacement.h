#pragma once

#include <functional>

class QPoint;
class QRect;
class QSize;
class QWidget;

namespace brodix {

// Where a top-level window's outer top-left corner goes, given its outer size (frame included).
using Placement = std::function<QPoint(const QSize& outer)>;

// Places window by place now, and once more when the window manager has framed it: before the
// first showing the frame is unknown and the client size stands for the outer size, so the
// first placement is off by the frame. Placing is frame-inclusive: the point is the frame's
// top-left corner. Without a window manager there is no frame and the first placement stands.
void PlaceByOuterSize(QWidget& window, Placement place);

// Where a window whose frame is frame, lying on the monitor from, goes on the monitor to: the
// same offset from the monitor's top-left corner, pulled back so that its right and bottom
// edges stay on that monitor (and its top-left corner too, when it is larger than the monitor).
QPoint PlaceOnMonitor(const QRect& frame, const QRect& from, const QRect& to);

// Before window goes from hidden to visible: when active lies on another monitor than window,
// window moves onto that monitor (PlaceOnMonitor). Nothing happens when window is visible.
void FollowMonitorOf(QWidget& window, const QWidget* active);

// The window cannot be resized by dragging its edges, but the window manager may maximise it
// (the controls keep their positions). It keeps its present size as its normal size.
void AllowMaximiseButNoDragResize(QWidget& window);

// Asks the window manager for a title bar with the caption alone: no system menu, no minimise,
// maximise or close, no resizing; the window can only be moved. On an X11 display only; on
// other displays nothing happens.
void ShowOnlyTheCaption(QWidget& window);

}  // namespace brodix
