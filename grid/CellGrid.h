#pragma once

// The grid control: the cell store of TCellGridBase on screen. Column widths and row heights with
// their defaults, zoom, auto-sizing and the fit to the control's width (CellGridSizing.cpp), the
// paint pass and cell painting (CellGridPaint.cpp), the narrowed repaint of a changed text
// (CellGridTextRepaint.cpp), repaint throttling, column resizing with the mouse and the owner
// window's resize hook (CellGrid.cpp). Keyboard, wheel and scroll-bar navigation live in their own
// file and reach the current cell only through TCellGridBase.

#include <QAbstractScrollArea>
#include <QElapsedTimer>
#include <QPalette>
#include <QPointer>
#include <QRect>
#include <QRegion>
#include <QTimer>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "grid/core/CellGridBase.h"
#include "grid/core/CellStyle.h"
#include "grid/core/DirtyCells.h"
#include "grid/transfer/core/DragDropSettings.h"
#include "grid/DropArrows.h"
#include "grid/core/GridNavigation.h"
#include "grid/core/GridSizing.h"
#include "grid/HtmlPictures.h"
#include "grid/TextCanvas.h"

class QPainter;

namespace orlex::grid {

// Horizontal and vertical text inset used by painting and measuring.
struct TCellTextMargin {
  int Horizontal = 2;
  int Vertical = 2;
};

// Width and height of a cell's text as measured for auto-sizing.
struct TCellExtent {
  int Width = 0;
  int Height = 0;
};

// Which scroll bars the grid may show (ssBoth in this system).
enum TScrollStyle : std::uint8_t { ssNone = 0, ssHorizontal = 1, ssVertical = 2, ssBoth = 3 };
// Forces a scroll bar regardless of the content (saNone in this system).
enum TScrollBarAlways : std::uint8_t { saNone = 0, saVert = 1, saHorz = 2, saBoth = 3 };

class TCellGrid : public QAbstractScrollArea, public TCellGridBase {
  Q_OBJECT

 public:
  // The four drop-indicator arrows, hidden until a drop target shows them.
  void SetArrowColor(TColor color) { arrows_.SetArrowColor(color); }
  TArrowWindows& Arrows() { return arrows_; }

  explicit TCellGrid(QWidget* parent = nullptr);
  ~TCellGrid() override;

  // ---- Sizes (CellGridSizing.cpp) ----
  int DefaultColWidth() const { return colWidths_.Default(); }
  // Discards all own widths: every column takes the new default; the grid repaints.
  void SetDefaultColWidth(int width);
  int DefaultRowHeight() const { return rowHeights_.Default(); }
  void SetDefaultRowHeight(int height);
  int ColWidths(int col) const { return colWidths_.Get(col); }
  // Fails with "Grid index out of range" for col >= ColCount (or negative); repaints when changed.
  void SetColWidths(int col, int width);
  int RowHeights(int row) const { return rowHeights_.Get(row); }
  void SetRowHeights(int row, int height);
  int FixedColWidth() const { return ColWidths(0); }
  void SetFixedColWidth(int width);
  int FixedRowHeight() const { return fixedRowHeight_; }
  void SetFixedRowHeight(int height);

  TCellTextMargin CellTextMargin;
  int MinRowHeight = 0;     // lower bound of AutoSizeRow; DefaultRowHeight from the end of loading
  int MaxRowHeight = 0;     // upper bound of AutoSizeRow; 0 = none
  int MinColWidth = 0;      // lower bound of AutoSizeColumn; 10 from the end of loading
  bool AutoSizeColOnDblClick = true;
  bool SizeWithForm = false;
  TScrollStyle ScrollBars = ssBoth;
  TScrollBarAlways ScrollBarAlways = saNone;
  // BorderStyle single: a plain 1-pixel frame without Ctl3D, a sunken 2-pixel one with it.
  bool SingleBorder() const { return singleBorder_; }
  void SetSingleBorder(bool value);
  bool Ctl3D() const { return ctl3D_; }
  void SetCtl3D(bool value);

  // Sets a row's height from its cells' texts (clamped by MinRowHeight and MaxRowHeight).
  void AutoSizeRow(int row);
  // Sets a column's width from its cells' single-line texts.
  void AutoSizeColumn(int col);
  // Width and height of a cell's text in its painting font enlarged by ZoomFactor.
  TCellExtent CellTextExtent(int col, int row, bool wrap);
  // Scales all column widths so that they fill the control's width.
  void FitColumnsToWidth();
  // The grid's own zoom step: ZoomFactor += delta within +-10, every size grows by delta.
  void ZoomBy(int delta);

  // End of loading the stored settings: captures the minimum row height and column width.
  void Loaded() override;

  // ---- Geometry ----
  // Cell rectangle in viewport (client) coordinates, full size even when partly visible; an empty
  // rectangle for a scrollable cell scrolled out of view.
  QRect CellRect(int col, int row) const;
  // Left edge of a column and top edge of a row in viewport coordinates; -1 when scrolled out of view.
  int ColLeft(int col) const;
  int RowTop(int row) const;
  // Sum of the fixed columns' widths and of the fixed rows' heights.
  int FixedColsWidth() const;
  int FixedRowsHeight() const;
  // Last column and row at least partly inside the viewport.
  int LastVisibleCol() const;
  int LastVisibleRow() const;
  // Scrollable rows entirely visible from the top row on.
  int FullyVisibleRows() const;
  // Recomputes the scroll bars' ranges from the sizes and the viewport.
  void UpdateScrollRanges();
  // Width of the vertical scroll bar (also while it is hidden).
  int ScrollBarWidth() const;

  // ---- Repainting ----
  void RepaintCell(int col, int row) override;
  // A cell whose text alone changed repaints only the columns of pixels where its old or its new text
  // can have ink, over the cell's full height, when what it last showed is known
  // (CellGridTextRepaint.cpp); otherwise, and for everything else, the whole cell.
  void RepaintCellText(int col, int row) override;
  // On by default; off, a text change repaints the whole cell (benchmarks compare the two).
  void SetNarrowTextRepaints(bool enabled);
  void RepaintRow(int row) override;
  void RepaintCol(int col) override;
  void RepaintGrid() override;
  // Invalidates a viewport rectangle; the pending region is painted at most ~60 times a second.
  void InvalidateRect(const QRect& rect);
  // Paints everything pending now (tests, and callers that must see the result at once).
  void FlushRepaints();
  // Completed paint passes.
  std::uint64_t PaintPassNumber() const { return paintPassNumber_; }
  // Cells the last completed paint pass drew (what a change costs to show, for tests and benchmarks).
  int CellsInLastPaintPass() const { return cellsInLastPass_; }
  // Raise/lower the update lock: while locked nothing is painted; unlocking repaints everything.
  void BeginUpdate();
  void EndUpdate();

  // The canvas that measuring and painting share.
  TTextCanvas& Canvas() { return canvas_; }

  // ---- HTML cell text (CellGridHtml.cpp) ----
  // Pictures of HTML texts, by identifier, kept while the grid lives.
  THTMLPictureCache& HtmlPictures() { return htmlPictures_; }
  // Named pictures for IMG sources without ":"; none unless a form supplies one.
  TPictureContainer* PictureContainer = nullptr;
  // Whether the point (viewport coordinates) lies on an inline control of an HTML cell text.
  bool HtmlControlAt(int col, int row, const QPoint& point);

  // ---- Painting (CellGridPaint.cpp) ----
  // Paints background, lines and content of one cell; rect is the cell's full rectangle.
  void DrawCell(QPainter& painter, int ACol, int ARow, QRect ARect, TGridDrawState AState);
  // Whether the grid window has keyboard focus (the focused state and the focus frame depend on it).
  bool GridHasFocus() const;

  // ---- Owner window resize hook ----
  // Called on every resize of the owner window, after the owner has laid its children out. A
  // failure it raises is swallowed. The owner is the grid's top-level window unless set.
  std::function<void()> OnOwnerResize;
  void SetOwnerWindow(QWidget* owner);

  // The text a screen reader reads for a cell: what the cell shows, without HTML tags
  // (CellGridAccessible.cpp).
  QString AccessibleText(int col, int row) const;

  // A Qt colour for a TColor (system colours through the palette).
  QColor QtColor(TColor color) const;
  // The Qt colour to draw text of a TColor on a background: a theme text colour that would be
  // unreadable on it turns black or white (grid/core/ReadableColor.h).
  QColor QtTextColor(TColor text, TColor background) const;

  // ---- Navigation: keys, mouse, wheel, scroll bars (CellGridNavigation.cpp) ----
  TDragDropSettings DragDropSettings;
  bool EnableWheel = true;
  bool IntelliZoom = true;
  TIntelliPan IntelliPan = ipVertical;
  bool EnhRowColMove = true;  // a press on a header cell arms a drag only while this is off

  // Cell under a client (viewport) point; (-1, -1) when either axis finds none.
  void MouseToCell(int x, int y, int& col, int& row) const;
  // Moves the current cell; fails with "Grid index out of range" outside the counts. SelectCell may
  // refuse. With show the cell is scrolled into view.
  void MoveCurrent(int col, int row, bool moveAnchor, bool show);
  // Asked before every move of the current cell: OnSelectCell may refuse; repaints the old and the new.
  virtual bool SelectCell(int col, int row);
  // Move the current cell (with show) and raise the click notification.
  void SetRow(int row);
  void SetCol(int col);
  // Scroll without moving the current cell (limited to the scrollable range).
  void SetTopRow(int row);
  void SetLeftCol(int col);
  // Scrolls as little as needed to show a cell completely.
  void ScrollCellIntoView(int col, int row);
  // Last fully visible column (row) - left column (top row), at least 1.
  int PageWidth() const;
  int PageHeight() const;
  TGridState GridState() const;
  bool DragArmed() const;
  // Client point of the last left press that reached the cell handling.
  QPoint PressPoint() const;
  bool Panning() const;
  // The platform's wheel lines, read when the grid was created.
  int WheelLines() const;
  // The scroll bars' positions on their 0..127 scale.
  int ScrollPos(Qt::Orientation orientation) const;

  // Notifications (sender first; unassigned means nothing happens). Key codes are Qt::Key values.
  std::function<void(TCellGrid&, int col, int row, bool& canSelect)> OnSelectCell;
  std::function<void(TCellGrid&)> OnClick;
  std::function<void(TCellGrid&)> OnDblClick;
  std::function<void(TCellGrid&, TMouseButton, TShiftState, int x, int y)> OnMouseDown;
  std::function<void(TCellGrid&, int row, int col)> OnClickCell;
  std::function<void(TCellGrid&, int& key, TShiftState)> OnKeyDown;
  std::function<void(TCellGrid&, char& key)> OnKeyPress;
  // Clipboard shortcuts (only with Navigation.AllowClipboardShortCuts): may refuse.
  std::function<void(TCellGrid&, bool& allow)> OnClipboardCopy;
  std::function<void(TCellGrid&, bool& allow)> OnClipboardCut;
  std::function<void(TCellGrid&, bool& allow)> OnClipboardPaste;

  // ---- Clipboard (grid/transfer/GridClipboard.cpp) ----
  // Copy the selection: its text, and the top-left cell's rich text and the own cell format as
  // Navigation asks.
  void ClipCopy();
  // Copy, then empty the selection's writable cells (their records too with AllowFmtClipboard).
  void ClipCut();
  // Paste at the selection's top-left cell.
  void ClipPaste();
  // Paste the clipboard's best format at a cell; the number of cells visited.
  int ClipPasteAt(int col, int row);
  // The text a cell contributes to copied text.
  std::string ClipCellValue(int col, int row);

  // ---- Drag and drop (grid/transfer/GridDragDrop.cpp) ----
  TDragScrollOptions DragScrollOptions;
  bool FixedRowAlways = false;
  // Advanced by each tick of the grid's 500 ms timer; paces sideways scrolling during a drag.
  int GridTickCount() const;
  // Cell under a screen point; (-1, -1) when none.
  void CellUnderScreenPoint(const QPoint& screenPoint, int& col, int& row) const;
  // The selection saved when the last text drag started.
  TGridRect DragSourceRect() const;
  bool DropTargetRegistered() const;
  // The picture of the dragged cells while a drag shows one, else nullptr.
  QWidget* DragImageWindow() const;
  // Whether a drag started here is running.
  bool Dragging() const;

  // The drop target's operations, as the platform's drag and drop calls them (screen points). They
  // are public so that a drag can be played by hand.
  void DragMoving(const QPoint& screenPoint, bool& allow, std::uint8_t offeredFormats);
  void DragLeaving();
  void TextDropped(const QPoint& screenPoint, const std::string& text);
  void RtfDropped(const QPoint& screenPoint, const std::string& richText);
  void UrlDropped(const QPoint& screenPoint, const std::string& url);
  void ColumnDropped(const QPoint& screenPoint, int column);
  void FilesDropped(const QPoint& screenPoint, const std::vector<std::string>& names);
  // The drop source's hooks.
  void DragSourceButtonReleased();
  void DragSourcePolled();

  // Drag and drop events (row before column).
  std::function<void(TCellGrid&, int row, int col, const std::string& data, bool& allow)> OnOleDrag;
  std::function<void(TCellGrid&, int row, int col)> OnOleDragStart;
  std::function<void(TCellGrid&, int row, int col, bool& allow)> OnOleDragOver;
  std::function<void(TCellGrid&, int row, int col, const std::string& data, bool& allow)> OnOleDrop;
  std::function<void(TCellGrid&, const TGridRect& rect)> OnOleDropped;
  // After a drag started here ended in a drop (never after a cancelled one).
  std::function<void(TCellGrid&, int effect)> OnOleDragStop;
  std::function<void(TCellGrid&, int row, int col, int dropCol)> OnOleDropCol;
  std::function<void(TCellGrid&, int row, int col, const std::string& fileName, bool& allow)> OnOleDropFile;
  std::function<void(TCellGrid&, int row, int col, const std::string& url, bool& allow)> OnOleDropURL;
  std::function<void(TCellGrid&, int topRow, int leftCol, TDragScrollDirection& dir, bool& canScroll)>
      OnDragScroll;
  // After every drag started here, dropped or cancelled (after OnOleDragStop when there was a drop),
  // with the drag's result code: what the application began at the start can end here.
  std::function<void(TCellGrid&, long result)> OnOleDragEnded;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  // The keyboard's context menu opens at the current cell.
  QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
  void keyPressEvent(QKeyEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  bool viewportEvent(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void CountsChanged() override;
  // The border follows Flat: a flat grid has no 3D edge.
  void LookChanged() override;

  // Mouse seams for navigation and drag and drop: called for every mouse event that column sizing
  // does not take.
  virtual void GridMousePress(QMouseEvent* event);
  virtual void GridMouseMove(QMouseEvent* event);
  virtual void GridMouseRelease(QMouseEvent* event);
  virtual void GridMouseDoubleClick(QMouseEvent* event);

  // Content of one cell inside its line-free rectangle.
  void PaintCellContent(QPainter& painter, int ACol, int ARow, TGridDrawState AState, QRect ARect);
  // The text part of PaintCellContent.
  void PaintCellText(QPainter& painter, int ACol, int ARow, TGridDrawState AState, QRect ARect,
                     const TCellStyle& style, TColor brush, TColor fontColor);
  // Draws an HTML cell text into its text rectangle with the cell's font and colours (CellGridHtml.cpp).
  void PaintHtmlText(int col, int row, const std::string& text, QRect rect, const TCellStyle& style, TColor brush, TColor fontColor,
                     TColor linkColor);

 private:
  // The text drawn and measured for a stored text of the given kind.
  QString DisplayText(const std::string& text, CellTextKind kind) const;
  // Widest line and total height of an HTML text laid out in rect (CellGridHtml.cpp).
  QSize MeasureHtmlText(const std::string& text, const QRect& rect, const TFontDesc& font, bool wrap);
  // Selects the painting font of a style with ZoomFactor added.
  const TCanvasFont& SelectCellFont(const TFontDesc& font);
  // The draw state the paint pass gives a cell.
  TGridDrawState PassDrawState(int col, int row, bool fixedArea) const;
  void PaintArea(QPainter& painter, const QRegion& region, int col0, int col1, int row0, int row1,
                 bool fixedArea);
  // DrawCell for a cell whose full rectangle the caller has already worked out.
  void DrawCellIn(QPainter& painter, int ACol, int ARow, const QRect& full, TGridDrawState AState);
  void DrawFocusFrame(QPainter& painter, const QRect& rect);
  // Narrowed text repaints (CellGridTextRepaint.cpp). Whether a paint pass keeps what it draws: it
  // paints what the screen shows (not a picture of the grid taken by render or grab) and narrowing is on.
  bool PaintsTheScreen(QPainter& painter);
  // PaintCellContent with the cell's unselected look when the caller has it already.
  void PaintCellContentIn(QPainter& painter, int ACol, int ARow, TGridDrawState AState, QRect ARect,
                          const TCellStyle* unselected);
  // After a cell was drawn in a pass on the screen: keeps the cell's rectangle and where its text's
  // pixels may lie.
  void KeepDrawnText(int col, int row, const QRect& cell, const QRegion& region);
  // What the flush repaints of a cell whose text alone changed.
  QRect TextRepaintRect(int col, int row);
  // Left and right (just outside) of where the cell's current text can have pixels, from its
  // alignment, its font's advances and ink and its text rectangle; nullopt unless a plain single line
  // of printable ASCII that fits.
  std::optional<std::pair<int, int>> TextSpanBound(int col, int row, const QRect& cell);
  void DrawSizingLine(QPainter& painter, int x);
  void WidthsChanged();
  void HeightsChanged();
  int ColumnBorderAt(const QPoint& point) const;
  void OwnerResized();
  void ScheduleFlush();
  void ApplyBorder();

  // Navigation (CellGridNavigation.cpp).
  struct TNavState;
  struct TNavStateDeleter {
    void operator()(TNavState* state) const;
  };
  friend class TGridNavTarget;
  void InitNavigation();
  void SyncScrollBars();
  void ScrollBarAction(Qt::Orientation orientation, int action);
  void MoveTopLeft(int leftCol, int topRow);
  void LeftPress(const QPoint& point, Qt::KeyboardModifiers modifiers, bool doubleClick);
  void SelectingMove(const QPoint& point);
  void RepeatTick();
  void StartPanning(const QPoint& point);
  void EndPanning();
  void PanTick();
  void HandleWheel(QWheelEvent* event);
  bool OfferWheelToParent(QWheelEvent* event);
  void ClipboardShortCut(int action);
  TGridAxis ColAxis() const;
  TGridAxis RowAxis() const;
  std::unique_ptr<TNavState, TNavStateDeleter> nav_;

  // Drag and drop (grid/transfer/GridDragDrop.cpp).
  struct TTransferState;
  struct TTransferStateDeleter {
    void operator()(TTransferState* state) const;
  };
  friend class TGridDropTargetAccess;
  void InitTransfer();
  void EndTransfer();
  // The start rule on a mouse move while a drag is armed; true when the move was taken by it.
  bool DragStartMove(const QPoint& point);
  // Navigation state the drag code changes: the armed flag, and the switch to range selecting that a
  // refused drag makes (CellGridNavigation.cpp).
  void DisarmDrag();
  void BeginRangeSelecting();
  void StartDrag(int col, int row, const QPoint& point);
  void ShowDragImage(const QPoint& screenPoint);
  void FreeDragImage();
  void RegisterDropTarget(bool value);
  std::unique_ptr<TTransferState, TTransferStateDeleter> transfer_;

  TArrowWindows arrows_{this};
  TSizeList colWidths_{64};
  TSizeList rowHeights_{22};
  int fixedRowHeight_ = 22;
  bool loading_ = true;
  bool singleBorder_ = true;
  bool ctl3D_ = true;
  TTextCanvas canvas_;
  THTMLPictureCache htmlPictures_;
  std::string htmlPictureError_;  // raised once the paint pass is complete
  std::pair<int, int> htmlControlDown_{-1, -1};  // cell whose inline control the left button holds

  QRegion dirty_;
  // Cells waiting to be repainted: a value written many times between two paint passes costs an
  // append each time, and its rectangle is found once, at the flush.
  TDirtyCells dirtyCells_;
  // Cells to announce to assistive technology at the next flush; filled only while one listens.
  TDirtyCells accessibleDirty_;
  std::vector<QRect> flushRects_;  // the rectangles of one flush, kept for the next
  std::vector<int> flushCols_;     // and their columns
  // Per cell drawn on the screen: its rectangle then, and the columns of pixels (left to just before
  // right) its text may cover there. A missing cell counts as covered whole. Each cell has one place,
  // by its column and row modulo 64, so any 64 by 64 cells on show never displace one another and
  // keeping one costs no search.
  struct TDrawnText {
    int col = -1;
    int row = -1;
    QRect cell;
    int left = 0;
    int right = 0;
  };
  static constexpr int kDrawnTextSide = 64;
  TDrawnText& DrawnTextPlace(int col, int row);
  std::vector<TDrawnText> drawnTexts_;
  bool keepDrawnTexts_ = false;  // the current pass paints the screen
  bool narrowTextRepaints_ = true;
  QTimer flushTimer_;
  // A flush is due now: it runs before the event loop next waits, in the same pass as the work that
  // asked for it (the timer, started as well, is the fallback for loops that never wait).
  bool flushBeforeWait_ = false;
  QElapsedTimer sinceFlush_;
  std::uint64_t paintPassNumber_ = 0;
  // What every cell of a paint pass asks and nothing in the pass changes: asked once per pass (the
  // widget's focus and palette lookups walk up to the window each time).
  struct TPassState {
    bool active = false;
    bool hasFocus = false;
    // Each cell is drawn clipped to its own rectangle, as the region is made of many.
    bool cellClips = false;
    QPalette palette;
  };
  TPassState pass_;
  int cellsInPass_ = 0;
  int cellsInLastPass_ = 0;
  int updateLock_ = 0;

  // Column sizing with the mouse.
  int sizingCol_ = -1;
  int sizingOffset_ = 0;
  int sizingLineX_ = -1;

  QPointer<QWidget> owner_;
  QSize ownerSize_;

  // The last text colours QtTextColor worked out.
  struct TTextColorMemo {
    bool valid = false;
    TColor text = 0;
    TColor background = 0;
    qint64 paletteKey = 0;
    QColor color;
  };
  mutable std::array<TTextColorMemo, 8> textColorMemo_{};
  mutable std::size_t textColorMemoNext_ = 0;
};

}  // namespace orlex::grid
