// Drag and drop of the grid widget: the start of a drag on a mouse move, the picture of the dragged
// cells, the move that empties the source, and the drop target's hover (cell under the pointer,
// auto-scroll, the grid's verdict, arrow markers) and drops. The data transfer objects reach the grid
// through GridOleObjects; the arithmetic lives in transfer/core.
#include <QGuiApplication>
#include <QCursor>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <algorithm>

#include "grid/CellGrid.h"
#include "grid/core/CellTextBlock.h"
#include "grid/transfer/GridOleObjects.h"
#include "grid/transfer/core/CellRange.h"
#include "grid/transfer/core/DropHover.h"
#include "platform/ole/OleTypes.h"

namespace orlex::grid {

namespace {

constexpr int kGridTimerMs = 500;
constexpr int kDragStartDistance = 4;  // pixels in x or y from the press
constexpr double kDragImageOpacity = 192.0 / 255.0;
constexpr std::uint8_t kOfferedColumn = 4;  // a grid column among the offered formats

// The picture of the dragged cells: a borderless, translucent window that follows the pointer and
// never takes input, so the drop target under the pointer is always the window below it.
class TDragImageWindow : public QWidget {
 public:
  explicit TDragImageWindow(const QPixmap& picture)
      : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                             Qt::WindowDoesNotAcceptFocus | Qt::WindowTransparentForInput),
        picture_(picture) {
    setObjectName("DragImageWindow");
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFixedSize(picture.size());
    setWindowOpacity(kDragImageOpacity);
  }
  const QPixmap& Picture() const { return picture_; }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.drawPixmap(0, 0, picture_);
  }

 private:
  QPixmap picture_;
};

}  // namespace

struct TCellGrid::TTransferState {
  QTimer gridTimer;
  int gridTickCount = 0;
  TGridRect dragSourceRect;
  std::unique_ptr<TDragImageWindow> dragImage;
  bool registered = false;
  bool dragging = false;
};

void TCellGrid::TTransferStateDeleter::operator()(TTransferState* state) const { delete state; }

void TCellGrid::InitTransfer() {
  transfer_.reset(new TTransferState);
  transfer_->gridTimer.setInterval(kGridTimerMs);
  connect(&transfer_->gridTimer, &QTimer::timeout, this, [this] { ++transfer_->gridTickCount; });
  transfer_->gridTimer.start();
  DragDropSettings.OnDropTargetChanged = [this](bool value) { RegisterDropTarget(value); };
}

void TCellGrid::EndTransfer() {
  if (!transfer_) return;
  DragDropSettings.OnDropTargetChanged = nullptr;
  if (transfer_->registered) RevokeGridDropTarget(*this);
  transfer_->gridTimer.stop();
  FreeDragImage();
}

int TCellGrid::GridTickCount() const { return transfer_->gridTickCount; }

TGridRect TCellGrid::DragSourceRect() const { return transfer_->dragSourceRect; }

bool TCellGrid::DropTargetRegistered() const { return transfer_->registered; }

QWidget* TCellGrid::DragImageWindow() const { return transfer_->dragImage.get(); }

bool TCellGrid::Dragging() const { return transfer_->dragging; }

void TCellGrid::RegisterDropTarget(bool value) {
  if (value) {
    // A second registration of the same window fails and leaves the flag false, as the platform's
    // call does.
    transfer_->registered = !transfer_->registered && RegisterGridDropTarget(*this);
  } else if (transfer_->registered) {
    RevokeGridDropTarget(*this);
  }
}

void TCellGrid::CellUnderScreenPoint(const QPoint& screenPoint, int& col, int& row) const {
  const QPoint client = viewport()->mapFromGlobal(screenPoint);
  MouseToCell(client.x(), client.y(), col, row);
}

// ---- Source ----

bool TCellGrid::DragStartMove(const QPoint& point) {
  int col = -1;
  int row = -1;
  MouseToCell(point.x(), point.y(), col, row);
  const QPoint press = PressPoint();
  const bool farEnough = std::abs(point.x() - press.x()) >= kDragStartDistance ||
                         std::abs(point.y() - press.y()) >= kDragStartDistance;
  if (col < 0 || row < 0 || !farEnough || !DragDropSettings.OleDropSource || GridState() == gsColSizing) return false;
  DisarmDrag();
  StartDrag(col, row, point);
  return true;
}


void TCellGrid::StartDrag(int col, int row, const QPoint& point) {
  bool allow = true;
  if (OnOleDrag) OnOleDrag(*this, row, col, Cells(col, row), allow);
  if (!allow) {
    // The rest of the movement selects, as a drag over the cells does.
    BeginRangeSelecting();
    return;
  }
  transfer_->dragging = true;
  if (OnOleDragStart) OnOleDragStart(*this, row, col);
  const QPoint screenPoint = viewport()->mapToGlobal(point);
  if (DragDropSettings.ShowCells) ShowDragImage(screenPoint);

  transfer_->dragSourceRect = Selection();
  const std::string text = SelectionText();
  const std::string richText = Cells(col, row);
  std::uint32_t effect = DROPEFFECT_NONE;
  const long result =
      RunGridTextDrag(*this, text, richText, DROPEFFECT_COPY | DROPEFFECT_MOVE, &effect);
  transfer_->dragging = false;
  // The picture goes with the release; after an Escape it goes here.
  FreeDragImage();
  Arrows().HideAll();
  if (result == DRAGDROP_S_DROP) {
    if (effect == DROPEFFECT_MOVE && !DragDropSettings.OleCopyAlways) {
      ClearCellRange(*this, transfer_->dragSourceRect);
    }
    if (OnOleDragStop) OnOleDragStop(*this, static_cast<int>(effect));
  }
  if (OnOleDragEnded) OnOleDragEnded(*this, result);
}

void TCellGrid::ShowDragImage(const QPoint& screenPoint) {
  if (!transfer_->dragImage) {
    const TGridRect sel = Selection();
    const TGridRect visible{std::max(sel.Left, LeftCol()), std::max(sel.Top, TopRow()),
                            std::min(sel.Right, LastVisibleCol()), std::min(sel.Bottom, LastVisibleRow())};
    const QRect first = CellRect(visible.Left, visible.Top);
    const QRect last = CellRect(visible.Right, visible.Bottom);
    if (first.isEmpty() || last.isEmpty()) return;
    QRect area(first.topLeft() + QPoint(1, 1), last.bottomRight() + QPoint(2, 2));
    area = area.normalized();
    // The grid as it looks without its selection colours and focus frame.
    const bool showSelection = ShowSelection;
    const bool hideFocusRect = HideFocusRect;
    ShowSelection = false;
    HideFocusRect = true;
    QPixmap picture = viewport()->grab(area);
    ShowSelection = showSelection;
    HideFocusRect = hideFocusRect;
    RepaintGrid();
    QPainter painter(&picture);
    painter.setPen(QtColor(GridFixedLineColor));
    if (visible.Left == 0 && FixedCols() > 0 && (Options & goFixedVertLine)) {
      painter.drawLine(0, 0, 0, picture.height() - 1);
    }
    if (visible.Top == 0 && FixedRows() > 0 && (Options & goFixedHorzLine)) {
      painter.drawLine(0, 0, picture.width() - 1, 0);
    }
    painter.end();
    transfer_->dragImage = std::make_unique<TDragImageWindow>(picture);
  }
  QPoint topLeft = screenPoint;
  if (layoutDirection() == Qt::RightToLeft) {
    topLeft.rx() = screenPoint.x() - transfer_->dragImage->width() + ColWidths(0);
  }
  transfer_->dragImage->move(topLeft);
  transfer_->dragImage->show();
}

void TCellGrid::FreeDragImage() { transfer_->dragImage.reset(); }

void TCellGrid::DragSourceButtonReleased() {
  if (DragDropSettings.ShowCells) FreeDragImage();
}

void TCellGrid::DragSourcePolled() {
  if (!transfer_->dragImage) return;
  transfer_->dragImage->move(QCursor::pos() + QPoint(4, 4));
}

// ---- Target ----

void TCellGrid::DragMoving(const QPoint& screenPoint, bool& allow, std::uint8_t offeredFormats) {
  int col = -1;
  int row = -1;
  CellUnderScreenPoint(screenPoint, col, row);
  allow = col >= 0 && row >= 0;
  const bool columnDrag = (offeredFormats & kOfferedColumn) != 0;
  if (allow && !columnDrag) {
    const QPoint client = viewport()->mapFromGlobal(screenPoint);
    const TDropScroll next =
        DropAutoScroll(ColAxis(), RowAxis(), LeftCol(), TopRow(), col, row, client.y(), transfer_->gridTickCount);
    transfer_->gridTickCount = next.TickCount;
    if (next.LeftCol != LeftCol() || next.TopRow != TopRow()) {
      MoveTopLeft(next.LeftCol, next.TopRow);
      // The cell under the pointer is another one now.
      CellUnderScreenPoint(screenPoint, col, row);
    }
  }
  TDropVerdictFacts facts;
  facts.ColumnDrag = columnDrag;
  facts.Col = col;
  facts.Row = row;
  facts.FixedCols = FixedCols();
  facts.FixedRows = FixedRows();
  facts.RowCount = RowCount();
  facts.FixedRowAlways = FixedRowAlways;
  allow = GridDropVerdict(allow, facts);
  if (OnOleDragOver) OnOleDragOver(*this, row, col, allow);
  allow = allow && row >= 0 && col >= 0;

  TArrowWindows& arrows = Arrows();
  if (!allow) {
    arrows.Window(adRight)->hide();
    arrows.Window(adDown)->hide();
    arrows.Window(adUp)->hide();
    return;
  }
  if (columnDrag) {
    const QRect cell = CellRect(col, row);
    const QPoint topLeft = viewport()->mapToGlobal(cell.topLeft());
    arrows.Window(adDown)->move(topLeft.x(), topLeft.y() - 8);
    arrows.Window(adUp)->move(topLeft.x(), topLeft.y() + cell.height());
    arrows.Window(adDown)->show();
    arrows.Window(adUp)->show();
    return;
  }
  const int markRow = row == 0 && FixedRowAlways ? 1 : row;
  const int markCol = DragDropSettings.OleEntireRows ? FixedCols() : col;
  const QRect cell = CellRect(markCol, markRow);
  const QPoint topLeft = viewport()->mapToGlobal(cell.topLeft());
  arrows.Window(adRight)->move(topLeft.x() - 10, topLeft.y());
  arrows.Window(adRight)->show();
  arrows.Window(adRight)->raise();
}

void TCellGrid::DragLeaving() {
  Arrows().Window(adDown)->hide();
  Arrows().Window(adUp)->hide();
  Arrows().Window(adRight)->hide();
}


void TCellGrid::TextDropped(const QPoint& screenPoint, const std::string& text) {
  int col = -1;
  int row = -1;
  CellUnderScreenPoint(screenPoint, col, row);
  bool allow = true;
  const TTextBlockSize size = TextBlockSize(text);
  const int columns = size.Columns;
  const int extraRows = size.ExtraRows;
  if (Options & goRowSelect) col = DragDropSettings.OleEntireRows ? 0 : FixedCols();
  if (OnOleDrop) OnOleDrop(*this, row, col, text, allow);
  TGridRect dropped;
  if (allow) {
    if (transfer_->dragSourceRect.Top >= row && DragDropSettings.OleRemoveRows) {
      transfer_->dragSourceRect.Top += extraRows + 1;
      transfer_->dragSourceRect.Bottom += extraRows + 1;
    }
    if (row == 0 && FixedRowAlways && RowCount() == 1) row = 1;
    PasteTextBlock(col, row, text);
    if (col < FixedCols()) col = FixedCols();
    const int right = (Options & goRowSelect) ? col + columns - FixedCols() : col + columns - 1;
    dropped = TGridRect{col, row, right, row + extraRows};
    if (col >= 0 && row >= 0 && col < ColCount() && row < RowCount()) {
      SetCurrentCell(col, row);
      SetAnchor(std::clamp(dropped.Right, FixedCols(), ColCount() - 1),
                std::clamp(dropped.Bottom, FixedRows(), RowCount() - 1));
      RepaintGrid();
    }
  }
  Arrows().Window(adRight)->hide();
  Arrows().Window(adDown)->hide();
  if (OnOleDropped) OnOleDropped(*this, dropped);
}

void TCellGrid::RtfDropped(const QPoint& screenPoint, const std::string& richText) {
  int col = -1;
  int row = -1;
  CellUnderScreenPoint(screenPoint, col, row);
  bool allow = true;
  if (OnOleDrop) OnOleDrop(*this, row, col, richText, allow);
  if (allow && col >= 0 && row >= 0) SetCells(col, row, richText);
  Arrows().Window(adRight)->hide();
  Arrows().Window(adDown)->hide();
}

void TCellGrid::UrlDropped(const QPoint& screenPoint, const std::string& url) {
  int col = -1;
  int row = -1;
  CellUnderScreenPoint(screenPoint, col, row);
  bool allow = true;
  if (OnOleDropURL) OnOleDropURL(*this, row, col, url, allow);
  if (allow && col >= 0 && row >= 0) SetCells(col, row, url);
  Arrows().Window(adRight)->hide();
  Arrows().Window(adDown)->hide();
}

void TCellGrid::ColumnDropped(const QPoint& screenPoint, int column) {
  int col = -1;
  int row = -1;
  CellUnderScreenPoint(screenPoint, col, row);
  Arrows().Window(adDown)->hide();
  Arrows().Window(adUp)->hide();
  if (OnOleDropCol) OnOleDropCol(*this, row, col, column);
}

void TCellGrid::FilesDropped(const QPoint& screenPoint, const std::vector<std::string>& names) {
  if (names.size() == 1) {
    int col = -1;
    int row = -1;
    CellUnderScreenPoint(screenPoint, col, row);
    bool allow = true;
    if (OnOleDropFile) OnOleDropFile(*this, row, col, names.front(), allow);
    // The grid has no CSV or spreadsheet import: such a file is refused here.
  }
  Arrows().Window(adRight)->hide();
  Arrows().Window(adDown)->hide();
}

}  // namespace orlex::grid
