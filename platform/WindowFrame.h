#pragma once

#include <QMargins>
#include <chrono>
#include <optional>

class QWidget;

namespace orlex {

// The frame the window manager puts around the top-level `window`, known before the window is ever
// shown, so outer sizes can be turned into client sizes without resizing a window the window manager
// is busy framing. Asks the window manager (_NET_REQUEST_FRAME_EXTENTS) and waits up to `timeout` for
// its answer. nullopt when the display is not X11, when no window manager that knows the request is
// running, or when it does not answer in time.
std::optional<QMargins> RequestFrameExtents(const QWidget& window,
                                            std::chrono::milliseconds timeout = std::chrono::milliseconds(300));

// The frame around a window the window manager has framed (outer minus client rectangle); zero
// margins for a window that has no frame (yet).
QMargins CurrentFrameMargins(const QWidget& window);

}  // namespace orlex
