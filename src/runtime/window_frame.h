#pragma once
// The frame that a window manager draws around a top-level window, learnt before the window is mapped.
#include <QMargins>
#include <optional>

class QWidget;

namespace rt {

// Nothing without a window manager (or on a platform without one to ask) and for a window without a
// frame. Under an X11 window manager: the frame extents it will draw around `window`, whose native
// window must exist and not be mapped yet, asked for with _NET_REQUEST_FRAME_EXTENTS; a manager that
// does not tell is taken to draw the classic dialog frame.
std::optional<QMargins> windowManagerFrame(QWidget *window);

} // namespace rt
