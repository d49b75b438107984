#include "grid/CellGrid.h"
#include "grid/transfer/GridOleObjects.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QProxyStyle>
#include <QResizeEvent>
#include <QScrollBar>
#include <algorithm>
#include <climits>
#include <utility>

#include "grid/CellGridAccessible.h"
#include "grid/GridColorQt.h"

namespace orlex::grid {

namespace {

// Paint passes are spaced at least this far apart (about 60 a second at most).
constexpr int kMinPaintIntervalMs = 17;
constexpr int kScrollBarExtent = 16;

// The grid's scroll bars are 16 pixels wide whatever the style's own extent.
class TGridScrollBarStyle : public QProxyStyle {
 public:
  int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override {
    if (metric == PM_ScrollBarExtent) return kScrollBarExtent;
    return QProxyStyle::pixelMetric(metric, option, widget);
  }
};

// Joins each band (rectangles of one top and height, left to right) with the band right below it when
// both hold the same spans, as a region's own union does: a column of changed cells becomes one
// rectangle, and the repaint, its clip and the image sent to the X server deal with a few rectangles
// instead of one per cell.
void CoalesceBands(std::vector<QRect>& rects) {
  std::size_t kept = 0;  // rects[0, kept) are final; the last band kept starts at bandStart
  std::size_t bandStart = 0;
  std::size_t i = 0;
  while (i < rects.size()) {
    std::size_t end = i + 1;
    while (end < rects.size() && rects[end].top() == rects[i].top()) ++end;
    const std::size_t count = end - i;
    bool joins = kept > 0 && kept - bandStart == count && rects[bandStart].bottom() + 1 == rects[i].top();
    for (std::size_t k = 0; joins && k < count; ++k) {
      joins = rects[bandStart + k].left() == rects[i + k].left() && rects[bandStart + k].right() == rects[i + k].right();
    }
    if (joins) {
      for (std::size_t k = 0; k < count; ++k) rects[bandStart + k].setBottom(rects[i + k].bottom());
    } else {
      bandStart = kept;
      for (std::size_t k = i; k < end; ++k) rects[kept++] = rects[k];
    }
    i = end;
  }
  rects.resize(kept);
}

// Gives each rectangle the widest span of its column's rectangles (cells of one column share their
// left and right edges, so the span stays inside every cell of it). Changed values repaint only where
// their texts lie, and those spans differ from row to row; made alike, a column of them joins into
// one rectangle.
void WidenToColumnSpans(std::vector<QRect>& rects, const std::vector<int>& cols) {
  struct TSpan {
    int col;
    int left;
    int right;
  };
  std::vector<TSpan> spans;
  auto spanOf = [&spans](int col) -> TSpan& {
    for (TSpan& span : spans) {
      if (span.col == col) return span;
    }
    return spans.emplace_back(TSpan{col, INT_MAX, INT_MIN});
  };
  for (std::size_t i = 0; i < rects.size(); ++i) {
    TSpan& span = spanOf(cols[i]);
    span.left = std::min(span.left, rects[i].left());
    span.right = std::max(span.right, rects[i].right());
  }
  for (std::size_t i = 0; i < rects.size(); ++i) {
    const TSpan& span = spanOf(cols[i]);
    rects[i].setLeft(span.left);
    rects[i].setRight(span.right);
  }
}

// The cells' rectangles, given row by row and left to right, as one region. In that order they are
// already the bands a region keeps (top to bottom, left to right, one height per band) once
// neighbours in a row are joined, so the region takes them at once rather than joining them one by
// one; anything out of that order (overlapping rows, say) is joined the slow way.
QRegion CellsRegion(std::vector<QRect>& rects) {
  std::size_t kept = 0;
  for (const QRect& rect : rects) {
    QRect& last = rects[kept == 0 ? 0 : kept - 1];
    if (kept > 0 && rect.top() == last.top() && rect.height() == last.height() && rect.left() >= last.left() &&
        rect.left() <= last.right() + 1) {
      last.setRight(std::max(last.right(), rect.right()));
    } else {
      rects[kept++] = rect;
    }
  }
  rects.resize(kept);
  bool banded = true;
  for (std::size_t i = 1; i < rects.size() && banded; ++i) {
    const QRect& a = rects[i - 1];
    const QRect& b = rects[i];
    banded = b.top() == a.top() ? b.height() == a.height() && b.left() > a.right() + 1 : b.top() > a.bottom();
  }
  QRegion region;
  if (banded) {
    CoalesceBands(rects);
    region.setRects(rects.data(), static_cast<int>(rects.size()));
  } else {
    for (const QRect& rect : rects) region += rect;
  }
  return region;
}

constexpr std::size_t kKeptFlushRects = 4096;

}  // namespace

TCellGrid::TCellGrid(QWidget* parent) : QAbstractScrollArea(parent) {
  orlex::grid::InstallCellGridAccessibility();
  colWidths_.SetCount(ColCount());
  rowHeights_.SetCount(RowCount());

  auto* barStyle = new TGridScrollBarStyle;
  barStyle->setParent(this);
  verticalScrollBar()->setStyle(barStyle);
  horizontalScrollBar()->setStyle(barStyle);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);

  // The paint pass covers every pixel of the viewport, so nothing is erased first.
  viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
  viewport()->setAutoFillBackground(false);
  viewport()->setMouseTracking(true);
  setFocusPolicy(Qt::StrongFocus);
  ApplyBorder();

  flushTimer_.setSingleShot(true);
  connect(&flushTimer_, &QTimer::timeout, this, [this] { FlushRepaints(); });
  if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance(thread())) {
    connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, [this] {
      if (flushBeforeWait_) FlushRepaints();
    });
  }
  InitNavigation();
  InitTransfer();
}

TCellGrid::~TCellGrid() {
  EndTransfer();
  if (owner_) owner_->removeEventFilter(this);
}

void TCellGrid::ApplyBorder() {
  if (!singleBorder_) {
    setFrameStyle(QFrame::NoFrame);
  } else if (ctl3D_) {
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(2);
  } else {
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);
  }
}

void TCellGrid::SetCtl3D(bool value) {
  if (ctl3D_ == value) return;
  ctl3D_ = value;
  ApplyBorder();
}

void TCellGrid::LookChanged() { SetCtl3D(!Flat); }

void TCellGrid::SetSingleBorder(bool value) {
  if (singleBorder_ == value) return;
  singleBorder_ = value;
  ApplyBorder();
}

void TCellGrid::Loaded() {
  TCellGridBase::Loaded();
  loading_ = false;
  MinRowHeight = DefaultRowHeight();
  MinColWidth = 10;
  UpdateScrollRanges();
  // The only moment the accept settings reach the drop target.
  if (DropTargetRegistered()) {
    orlex::grid::SetGridDropTargetAccepts(*this, DragDropSettings.OleAcceptText, DragDropSettings.OleAcceptFiles,
                                          DragDropSettings.OleAcceptURLs);
  }
}

QColor TCellGrid::QtColor(TColor color) const { return ColorToQColor(color, pass_.active ? pass_.palette : palette()); }

QColor TCellGrid::QtTextColor(TColor text, TColor background) const {
  // A pass asks for the same few pairs again and again (one text colour on each column's colour);
  // the contrast rule is worked out once per pair and palette.
  const QPalette& colors = pass_.active ? pass_.palette : palette();
  const qint64 paletteKey = colors.cacheKey();
  for (const TTextColorMemo& memo : textColorMemo_) {
    if (memo.valid && memo.text == text && memo.background == background && memo.paletteKey == paletteKey) {
      return memo.color;
    }
  }
  const QColor color = ReadableTextQColor(text, background, colors);
  textColorMemo_[textColorMemoNext_] = {true, text, background, paletteKey, color};
  textColorMemoNext_ = (textColorMemoNext_ + 1) % textColorMemo_.size();
  return color;
}

// ---- Repainting ----

void TCellGrid::InvalidateRect(const QRect& rect) {
  if (!isVisible() || rect.isEmpty()) return;
  dirty_ += rect.intersected(viewport()->rect());
  ScheduleFlush();
}

void TCellGrid::ScheduleFlush() {
  if (updateLock_ > 0 || flushTimer_.isActive() || (dirty_.isEmpty() && dirtyCells_.Empty())) return;
  const qint64 since = sinceFlush_.isValid() ? sinceFlush_.elapsed() : kMinPaintIntervalMs;
  const qint64 delay = std::max<qint64>(0, kMinPaintIntervalMs - since);
  flushTimer_.start(static_cast<int>(delay));
  flushBeforeWait_ = delay == 0;
}

void TCellGrid::FlushRepaints() {
  flushTimer_.stop();
  flushBeforeWait_ = false;
  if (updateLock_ > 0 || (dirty_.isEmpty() && dirtyCells_.Empty())) return;
  // Passes are spaced from start to start: counted from a pass's end, a Feed's steady 50 packets a
  // second would find each next pass a few milliseconds early and every packet would wait for the
  // timer (an extra wake-up each) and show that much later.
  sinceFlush_.restart();
  if (isVisible() && !dirtyCells_.Empty()) {
    const QRect visible = viewport()->rect();
    flushRects_.clear();
    flushCols_.clear();
    bool narrowed = false;
    for (const std::uint64_t key : dirtyCells_.Cells()) {
      const int col = TDirtyCells::Col(key);
      const int row = TDirtyCells::Row(key);
      const QRect full = CellRect(col, row);
      const QRect cell = (TDirtyCells::TextOnly(key) ? TextRepaintRect(col, row) : full).intersected(visible);
      if (cell.isEmpty()) continue;
      narrowed = narrowed || cell.width() < full.intersected(visible).width();
      flushRects_.push_back(cell);
      flushCols_.push_back(col);
    }
    if (narrowed) WidenToColumnSpans(flushRects_, flushCols_);
    const QRegion cells = CellsRegion(flushRects_);
    if (dirty_.isEmpty()) dirty_ = cells;
    else dirty_ += cells;
    if (flushRects_.capacity() > kKeptFlushRects) {
      std::vector<QRect>().swap(flushRects_);
      std::vector<int>().swap(flushCols_);
    }
  }
  const QRegion region = std::exchange(dirty_, QRegion());
  dirtyCells_.Clear();
  if (isVisible() && !region.isEmpty()) viewport()->repaint(region);
  if (!accessibleDirty_.Empty()) {
    // A copy: what a listener does on being told may write cells again.
    const std::vector<std::uint64_t> announced = accessibleDirty_.Cells();
    accessibleDirty_.Clear();
    for (const std::uint64_t key : announced) {
      orlex::grid::NotifyAccessibleTextChanged(*this, TDirtyCells::Col(key), TDirtyCells::Row(key));
    }
  }
}

void TCellGrid::RepaintCell(int col, int row) {
  if (!isVisible() || col < 0 || row < 0) return;
  dirtyCells_.Add(col, row);
  // Announced with the paint, so a value that changes a thousand times a second is read out at most
  // at the screen's rate; nothing is kept while no assistive technology listens.
  if (orlex::grid::AccessibilityListening()) accessibleDirty_.Add(col, row);
  ScheduleFlush();
}

void TCellGrid::RepaintRow(int row) {
  if (!isVisible()) return;
  const int top = RowTop(row);
  const int lastCol = LastVisibleCol();
  if (top < 0 || ColLeft(lastCol) < 0) return;
  InvalidateRect(QRect(0, top, ColLeft(lastCol) + ColWidths(lastCol), RowHeights(row)));
}

void TCellGrid::RepaintCol(int col) {
  if (!isVisible()) return;
  const int left = ColLeft(col);
  const int top = RowTop(TopRow());
  const int lastRow = LastVisibleRow();
  if (left < 0 || top < 0) return;
  InvalidateRect(QRect(left, top, ColWidths(col), RowTop(lastRow) + RowHeights(lastRow) - top));
}

void TCellGrid::RepaintGrid() {
  if (!isVisible()) return;
  InvalidateRect(viewport()->rect());
}

void TCellGrid::BeginUpdate() {
  ++updateLock_;
  flushTimer_.stop();
  flushBeforeWait_ = false;
}

void TCellGrid::EndUpdate() {
  if (updateLock_ == 0) return;
  if (--updateLock_ == 0) RepaintGrid();
}

void TCellGrid::CountsChanged() {
  colWidths_.SetCount(ColCount());
  rowHeights_.SetCount(RowCount());
  UpdateScrollRanges();
  orlex::grid::NotifyAccessibleCountsChanged(*this);
}

// ---- Widget events ----

void TCellGrid::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  UpdateScrollRanges();
}

void TCellGrid::showEvent(QShowEvent* event) {
  QAbstractScrollArea::showEvent(event);
  if (!owner_ && window() != this) SetOwnerWindow(window());
  UpdateScrollRanges();
}

void TCellGrid::scrollContentsBy(int, int) {
  // The scroll bars' values only mirror the top-left cell on their 0..127 scale; their actions move
  // it (ScrollBarAction).
}

void TCellGrid::focusInEvent(QFocusEvent* event) {
  QAbstractScrollArea::focusInEvent(event);
  RepaintCell(Col(), Row());
  orlex::grid::NotifyAccessibleFocus(*this);
}

QVariant TCellGrid::inputMethodQuery(Qt::InputMethodQuery query) const {
  if (query == Qt::ImCursorRectangle) {
    const QRect cell = CellRect(Col(), Row());
    if (!cell.isEmpty()) return QRect(viewport()->mapTo(this, cell.topLeft()), cell.size());
  }
  return QAbstractScrollArea::inputMethodQuery(query);
}

void TCellGrid::focusOutEvent(QFocusEvent* event) {
  QAbstractScrollArea::focusOutEvent(event);
  RepaintCell(Col(), Row());
}

// ---- Column sizing with the mouse ----

int TCellGrid::ColumnBorderAt(const QPoint& point) const {
  if (!(Options & goColSizing)) return -1;
  if (point.y() >= FixedRowsHeight() || point.x() < FixedColsWidth()) return -1;
  std::vector<int> edges;
  const int last = LastVisibleCol();
  for (int c = LeftCol(); c <= last; ++c) {
    edges.push_back(ColLeft(c) + ColWidths(c));
  }
  const int hit = HitColumnBorder(edges, viewport()->width(), point.x());
  return hit < 0 ? -1 : LeftCol() + hit;
}

void TCellGrid::DrawSizingLine(QPainter& painter, int x) {
  // Dotted and inverting: every other pixel XORed with white, from the top to the last visible row.
  const int lastRow = LastVisibleRow();
  const int bottom = std::min(viewport()->height(), RowTop(lastRow) + RowHeights(lastRow));
  painter.save();
  painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
  painter.setPen(Qt::white);
  for (int y = 0; y < bottom; y += 2) painter.drawPoint(x, y);
  painter.restore();
}

void TCellGrid::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) {
    const QPoint point = event->position().toPoint();
    const int col = ColumnBorderAt(point);
    if (col >= 0) {
      const int border = ColLeft(col) + ColWidths(col);
      sizingCol_ = col;
      sizingOffset_ = border - point.x();
      sizingLineX_ = border;
      InvalidateRect(QRect(sizingLineX_, 0, 1, viewport()->height()));
      event->accept();
      return;
    }
  }
  GridMousePress(event);
}

void TCellGrid::mouseMoveEvent(QMouseEvent* event) {
  const QPoint point = event->position().toPoint();
  if (sizingCol_ >= 0) {
    InvalidateRect(QRect(sizingLineX_, 0, 1, viewport()->height()));
    sizingLineX_ = point.x() + sizingOffset_;
    InvalidateRect(QRect(sizingLineX_, 0, 1, viewport()->height()));
    event->accept();
    return;
  }
  if (ColumnBorderAt(point) >= 0) {
    viewport()->setCursor(Qt::SplitHCursor);
  } else {
    viewport()->unsetCursor();
  }
  GridMouseMove(event);
}

void TCellGrid::mouseReleaseEvent(QMouseEvent* event) {
  if (sizingCol_ >= 0) {
    const int col = sizingCol_;
    sizingCol_ = -1;
    InvalidateRect(QRect(sizingLineX_, 0, 1, viewport()->height()));
    const int newWidth = sizingLineX_ - ColLeft(col);
    sizingLineX_ = -1;
    if (AcceptsResizedWidth(newWidth)) SetColWidths(col, newWidth);
    event->accept();
    return;
  }
  GridMouseRelease(event);
}

void TCellGrid::mouseDoubleClickEvent(QMouseEvent* event) {
  const QPoint point = event->position().toPoint();
  if ((Options & goColSizing) && AutoSizeColOnDblClick && event->button() == Qt::LeftButton &&
      point.y() >= 0 && point.y() < FixedRowsHeight()) {
    int col = -1;
    int row = -1;
    MouseToCell(point.x(), point.y(), col, row);
    if (col < 0) {
      // Right of the last column: the header cell of the last column.
      const int lastLeft = ColLeft(ColCount() - 1);
      if (lastLeft >= 0 && point.x() >= lastLeft) col = ColCount() - 1;
    }
    if (col >= 0) {
      const int left = ColLeft(col);
      const int right = left + ColWidths(col);
      if (point.x() - left < 4) {
        if (col - 1 >= FixedCols() && col - 1 >= 0) {
          AutoSizeColumn(col - 1);
          event->accept();
          return;
        }
      } else if (right - point.x() < 4 && col >= FixedCols()) {
        AutoSizeColumn(col);
        event->accept();
        return;
      }
    }
  }
  GridMouseDoubleClick(event);
}

// ---- Owner window resize hook ----

void TCellGrid::SetOwnerWindow(QWidget* owner) {
  if (owner_) owner_->removeEventFilter(this);
  owner_ = owner;
  if (owner_) {
    ownerSize_ = owner_->size();
    owner_->installEventFilter(this);
  }
}

bool TCellGrid::eventFilter(QObject* watched, QEvent* event) {
  if (watched == owner_ && event->type() == QEvent::Resize) OwnerResized();
  return QAbstractScrollArea::eventFilter(watched, event);
}

void TCellGrid::OwnerResized() {
  const QSize size = owner_->size();
  if (SizeWithForm && ownerSize_.isValid()) {
    const int w = width() + size.width() - ownerSize_.width();
    const int h = height() + size.height() - ownerSize_.height();
    if (w > 0 && h > 0) resize(w, h);
  }
  ownerSize_ = size;
  if (OnOwnerResize) {
    try {
      OnOwnerResize();
    } catch (...) {
      // The owner's handler must not break the grid's resize; its failure is dropped here.
    }
  }
}

}  // namespace orlex::grid
