#pragma once

#include <QRect>
#include <memory>

namespace orlex {

// Holds the mouse pointer inside a screen rectangle (ClipCursor). On X11 four pointer barriers
// surround the rectangle; they stop real (relative) mouse motion, also during a drag, while warps
// pass through them. Elsewhere nothing is held, but the rectangle is kept so callers can be checked.
// Releasing, destroying or confining again removes the previous barriers.
class TPointerConfinement {
 public:
  TPointerConfinement();
  ~TPointerConfinement();
  TPointerConfinement(const TPointerConfinement&) = delete;
  TPointerConfinement& operator=(const TPointerConfinement&) = delete;

  void Confine(const QRect& screenRect);
  void Release();
  bool Active() const { return active_; }
  // The rectangle of the last Confine while active; empty otherwise.
  QRect Rect() const { return active_ ? rect_ : QRect(); }
  // Whether barriers are really in place (X11 with XFixes 5).
  bool HasBarriers() const;

 private:
  struct TBarriers;
  std::unique_ptr<TBarriers> barriers_;
  QRect rect_;
  bool active_ = false;
};

}  // namespace orlex
