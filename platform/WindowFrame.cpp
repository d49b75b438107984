#include "platform/WindowFrame.h"

#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>
#include <QWidget>
#include <thread>
#include <vector>

// Xlib last: its macros (None, Bool, Status...) clash with Qt's names.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace orlex {

namespace {

// A property of 32-bit items (longs on the Xlib side), or an empty list.
std::vector<unsigned long> ReadCardinals(Display* display, Window window, Atom property, Atom type) {
  Atom actualType = 0;
  int actualFormat = 0;
  unsigned long count = 0;
  unsigned long after = 0;
  unsigned char* data = nullptr;
  std::vector<unsigned long> items;
  if (XGetWindowProperty(display, window, property, 0, 1024, False, type, &actualType, &actualFormat, &count,
                         &after, &data) == Success &&
      data != nullptr) {
    if (actualType == type && actualFormat == 32) {
      const auto* values = reinterpret_cast<const unsigned long*>(data);
      items.assign(values, values + count);
    }
    XFree(data);
  }
  return items;
}

// A window manager that follows the desktop conventions runs and says it answers frame requests.
bool WindowManagerAnswersFrameRequests(Display* display) {
  const Window root = DefaultRootWindow(display);
  const Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", False);
  const std::vector<unsigned long> wm = ReadCardinals(display, root, check, XA_WINDOW);
  // The check window names itself while its window manager lives; a stale one does not.
  if (wm.size() != 1 || ReadCardinals(display, wm[0], check, XA_WINDOW) != wm) return false;
  const Atom request = XInternAtom(display, "_NET_REQUEST_FRAME_EXTENTS", False);
  for (unsigned long atom : ReadCardinals(display, root, XInternAtom(display, "_NET_SUPPORTED", False), XA_ATOM)) {
    if (atom == request) return true;
  }
  return false;
}

std::optional<QMargins> ReadFrameExtents(Display* display, Window window, Atom extents) {
  const std::vector<unsigned long> v = ReadCardinals(display, window, extents, XA_CARDINAL);
  if (v.size() != 4) return std::nullopt;
  // left, right, top, bottom
  return QMargins(static_cast<int>(v[0]), static_cast<int>(v[2]), static_cast<int>(v[1]), static_cast<int>(v[3]));
}

}  // namespace

std::optional<QMargins> RequestFrameExtents(const QWidget& window, std::chrono::milliseconds timeout) {
  auto* x11 = qGuiApp != nullptr ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  Display* display = x11 != nullptr ? x11->display() : nullptr;
  if (display == nullptr || !WindowManagerAnswersFrameRequests(display)) return std::nullopt;
  const Atom extents = XInternAtom(display, "_NET_FRAME_EXTENTS", False);
  if (window.testAttribute(Qt::WA_WState_Created)) {
    if (auto known = ReadFrameExtents(display, static_cast<Window>(window.winId()), extents)) return known;
  }
  // Asked of a stand-in of the same kind, so the window itself is not created before its position
  // and size are set (a window created early is placed by the window manager, not where it is moved).
  QWidget probe(window.parentWidget(), window.windowFlags());
  const auto xid = static_cast<Window>(probe.winId());

  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = xid;
  event.xclient.message_type = XInternAtom(display, "_NET_REQUEST_FRAME_EXTENTS", False);
  event.xclient.format = 32;
  XSendEvent(display, DefaultRootWindow(display), False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
  XFlush(display);
  // The answer is a property on the window; Qt's event queue owns the events, so poll the property.
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  do {
    if (auto answered = ReadFrameExtents(display, xid, extents)) return answered;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  } while (std::chrono::steady_clock::now() < deadline);
  return std::nullopt;
}

QMargins CurrentFrameMargins(const QWidget& window) {
  const QRect outer = window.frameGeometry();
  const QRect client = window.geometry();
  return QMargins(client.left() - outer.left(), client.top() - outer.top(), outer.right() - client.right(),
                  outer.bottom() - client.bottom());
}

}  // namespace orlex
