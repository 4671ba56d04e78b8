#pragma once
// The window is laid out by its outer size, frame included. How thick the frame is depends on
// the window manager, so the client area is whatever the frame leaves of the outer size.

#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QSize>

namespace varnelle {

inline constexpr QSize kWindowOuterSize(360, 334);

// The client area of a window whose frame has `frame` margins, but never smaller than `least`, so
// that an unusually thick frame cannot cut components off.
QSize client_size(QSize outer, QMargins frame, QSize least);

// Top-left of the frame of a window of `outer` size centred in `available`; a window larger than
// the screen keeps its caption on the screen.
QPoint centred_position(QRect available, QSize outer);

}  // namespace varnelle
