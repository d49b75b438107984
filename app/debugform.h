#pragma once

#include <QTimer>
#include <QWidget>
#include <cstdint>

#include "app/core/DebugListing.h"

class QPlainTextEdit;

namespace orlex::app {

// The debug window: shows the debug listing. Hidden until the user asks for it; closing only hides it.
// While hidden it does no work at all; while shown it adds new lines in batches, so a Feed sending
// thousands of packets a second does not slow the display.
class Tdebugfrm : public QWidget {
  Q_OBJECT

 public:
  explicit Tdebugfrm(const TDebugListing& listing, QWidget* parent = nullptr);

  // The listing has grown.
  void LinesAdded();
  // Brings the view up to date with the listing now.
  void Flush();

  QPlainTextEdit* Memo1 = nullptr;

  static constexpr int kFlushIntervalMs = 100;

 protected:
  void showEvent(QShowEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  const TDebugListing& listing_;
  std::uint64_t shownUpTo_ = 0;
  QTimer flushTimer_;
};

}  // namespace orlex::app
