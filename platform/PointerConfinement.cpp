#include "platform/PointerConfinement.h"

#include <QGuiApplication>
#include <array>

#include <X11/Xlib.h>
#include <X11/extensions/Xfixes.h>

namespace orlex {

struct TPointerConfinement::TBarriers {
  Display* display = nullptr;
  std::array<PointerBarrier, 4> ids{};
  int count = 0;
};

namespace {

Display* X11Display() {
  auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  return x11 ? x11->display() : nullptr;
}

bool BarriersSupported(Display* display) {
  int eventBase = 0;
  int errorBase = 0;
  int major = 0;
  int minor = 0;
  if (!XFixesQueryExtension(display, &eventBase, &errorBase)) return false;
  if (!XFixesQueryVersion(display, &major, &minor)) return false;
  return major >= 5;
}

}  // namespace

TPointerConfinement::TPointerConfinement() : barriers_(std::make_unique<TBarriers>()) {}

TPointerConfinement::~TPointerConfinement() { Release(); }

bool TPointerConfinement::HasBarriers() const { return barriers_->count > 0; }

void TPointerConfinement::Confine(const QRect& screenRect) {
  Release();
  rect_ = screenRect;
  active_ = true;
  Display* display = X11Display();
  if (display == nullptr || screenRect.isEmpty() || !BarriersSupported(display)) return;
  const Window root = DefaultRootWindow(display);
  // The pointer stops one pixel short of a barrier it runs into from inside, so the right and
  // bottom barriers lie one pixel outside the rectangle.
  const int left = screenRect.left();
  const int top = screenRect.top();
  const int right = screenRect.left() + screenRect.width();
  const int bottom = screenRect.top() + screenRect.height();
  barriers_->display = display;
  auto add = [&](int x1, int y1, int x2, int y2) {
    barriers_->ids[barriers_->count++] = XFixesCreatePointerBarrier(display, root, x1, y1, x2, y2, 0, 0, nullptr);
  };
  add(left, top, left, bottom);      // left edge
  add(right, top, right, bottom);    // right edge
  add(left, top, right, top);        // top edge
  add(left, bottom, right, bottom);  // bottom edge
  XFlush(display);
}

void TPointerConfinement::Release() {
  if (barriers_->count > 0) {
    for (int i = 0; i < barriers_->count; ++i) XFixesDestroyPointerBarrier(barriers_->display, barriers_->ids[i]);
    XFlush(barriers_->display);
    barriers_->count = 0;
  }
  active_ = false;
}

}  // namespace orlex
