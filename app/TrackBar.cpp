#include "app/TrackBar.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>

namespace orlex::app {

void TTrackBar::paintEvent(QPaintEvent* event) {
  QSlider::paintEvent(event);
  if (!hasFocus()) return;
  // initFrom carries whether focus came from the keyboard; the style shows the frame only then.
  QStyleOptionFocusRect option;
  option.initFrom(this);
  option.backgroundColor = palette().color(backgroundRole());
  QPainter painter(this);
  style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
}

}  // namespace orlex::app
