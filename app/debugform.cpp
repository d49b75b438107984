#include "app/debugform.h"

#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
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
  // A listing has no undo: an undo history would keep every line ever shown or dropped.
  Memo1->setUndoRedoEnabled(false);
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
  for (std::size_t i = 0; i < update.lines.size(); ++i) {
    if (i > 0) text += '\n';
    text += orlex::AnsiToDisplay(update.lines[i]);
  }
  if (update.reload) {
    Memo1->setPlainText(text);
    shownFrom_ = listing_.FirstSequence();
  } else if (!update.lines.empty()) {
    // A text box holding one empty line looks empty to itself and would append onto that line.
    if (showsLines_ && Memo1->document()->isEmpty()) text.prepend('\n');
    Memo1->appendPlainText(text);
  }
  showsLines_ = showsLines_ || !update.lines.empty();
  shownUpTo_ = listing_.EndSequence();
  DropWhatTheListingDropped();
}

// The window keeps exactly the lines the listing keeps, so it obeys the listing's bounds in lines and
// in bytes: a few huge packets must not grow it past them.
void Tdebugfrm::DropWhatTheListingDropped() {
  const std::uint64_t first = listing_.FirstSequence();
  if (first <= shownFrom_) return;
  const std::uint64_t drop = first - shownFrom_;
  QTextDocument* document = Memo1->document();
  if (drop >= static_cast<std::uint64_t>(document->blockCount())) {
    Memo1->clear();
  } else {
    QTextCursor cursor(document);
    cursor.movePosition(QTextCursor::Start);
    cursor.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor, static_cast<int>(drop));
    cursor.removeSelectedText();
  }
  shownFrom_ = first;
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
