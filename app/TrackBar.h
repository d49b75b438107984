#pragma once

#include <QSlider>

namespace orlex::app {

// The zoom track bar. The style draws a slider's focus only as a faint tint of its handle; after the
// keyboard has brought focus here it gets the style's focus frame, as buttons and other controls do.
class TTrackBar : public QSlider {
  Q_OBJECT

 public:
  explicit TTrackBar(Qt::Orientation orientation, QWidget* parent = nullptr) : QSlider(orientation, parent) {}

 protected:
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace orlex::app
