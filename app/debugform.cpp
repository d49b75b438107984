#include "app/debugform.h"

#include <QPlainTextEdit>
#include <QResizeEvent>
#include <QShowEvent>

#include "platform/AnsiText.h"

namespace orlex::app {

Tdebugfrm::Tdebugfrm(const TDebugListing& listing, QWidget* parent)
    : QWidget(parent, Qt::Window), listing_(listing) {
  setObjectName("debugfrm");
  setWindowTitle("Debug");
  // A diagnostic window: closing it must never end the application.
  setAttribute(Qt::WA_QuitOnClose, false);
  QFont font("Tahoma");
  font.setPixelSize(11);
  setFont(font);
  resize(613, 433);

  Memo1 = new QPlainTextEdit(this);
  Memo1->setObjectName("Memo1");
  Memo1->setReadOnly(true);
  Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
  Memo1->setMaximumBlockCount(static_cast<int>(TDebugListing::kMaxLines));
  Memo1->setGeometry(rect());
  Memo1->clear();

  flushTimer_.setSingleShot(true);
  flushTimer_.setInterval(kFlushIntervalMs);
  connect(&flushTimer_, &QTimer::timeout, this, &Tdebugfrm::Flush);
}

void Tdebugfrm::LinesAdded() {
  if (isVisible() && !flushTimer_.isActive()) flushTimer_.start();
}

void Tdebugfrm::Flush() {
  flushTimer_.stop();
  if (shownUpTo_ == listing_.EndSequence()) return;
  const TDebugListing::TUpdate update = listing_.Since(shownUpTo_);
  QString text;
  for (const std::string& line : update.lines) {
    if (!text.isEmpty()) text += '\n';
    text += orlex::AnsiToDisplay(line);
  }
  if (update.reload) {
    Memo1->setPlainText(text);
  } else if (!update.lines.empty()) {
    Memo1->appendPlainText(text);
  }
  shownUpTo_ = listing_.EndSequence();
}

void Tdebugfrm::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  Flush();
}

void Tdebugfrm::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  Memo1->setGeometry(rect());
}

}  // namespace orlex::app
