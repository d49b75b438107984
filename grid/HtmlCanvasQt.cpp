#include "grid/HtmlCanvasQt.h"

#include <QApplication>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <QWidget>
#include <algorithm>

#include "grid/html/HtmlPictureFile.h"
#include "platform/AnsiText.h"

namespace orlex::grid {

namespace {

QRect ToQRect(const THtmlRect& r) { return QRect(r.Left, r.Top, r.Width(), r.Height()); }

QString Display(std::string_view text) {
  if (std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
  }
  return AnsiToDisplay(std::string(text));
}

// Drawing a piece far longer than its box could ever show costs time for nothing: a glyph is at
// least a pixel wide in practice, so a box shows no more characters than it has pixels, plus slack.
QString Visible(std::string_view text, int boxWidth) {
  const std::size_t limit = static_cast<std::size_t>(std::max(0, boxWidth)) + 256;
  return Display(text.substr(0, std::min(text.size(), limit * 4)));
}

constexpr std::size_t kMeasuredKept = 32;

constexpr int kSmallIcon = 16;
constexpr int kLargeIcon = 32;

}  // namespace

THtmlQtCanvas::THtmlQtCanvas(TTextCanvas& canvas, QPainter* painter, THTMLPictureCache& cache,
                             TPictureContainer* container, QWidget* styleWidget, TColorOf colorOf, TColor entryBrush)
    : canvas_(canvas),
      painter_(painter),
      cache_(cache),
      container_(container),
      styleWidget_(styleWidget),
      colorOf_(std::move(colorOf)),
      entryBrush_(entryBrush) {}

const TCanvasFont& THtmlQtCanvas::Select(const THtmlFont& font) {
  if (last_ && lastFont_.Name == font.Name && lastFont_.Size == font.Size && lastFont_.Style == font.Style) {
    return *last_;
  }
  last_ = &canvas_.SelectFont(font.Name, font.Size, font.Style);
  lastFont_ = font;
  return *last_;
}

int THtmlQtCanvas::TextWidth(const THtmlFont& font, std::string_view text) {
  const TCanvasFont& f = Select(font);
  for (const TMeasured& m : measured_) {
    if (m.font == &f && m.text == text) return m.width;
  }
  const int width = MeasureWidth(f, text);
  TMeasured entry{&f, std::string(text), width};
  if (measured_.size() < kMeasuredKept) {
    measured_.push_back(std::move(entry));
  } else {
    measured_[nextMeasured_] = std::move(entry);
    nextMeasured_ = (nextMeasured_ + 1) % kMeasuredKept;
  }
  return width;
}

int THtmlQtCanvas::MeasureWidth(const TCanvasFont& f, std::string_view text) {
  const QString shown = Display(text);
  if (!shown.contains(QChar(u'\t'))) return f.metrics.horizontalAdvance(shown);
  const std::u16string_view view(reinterpret_cast<const char16_t*>(shown.utf16()), static_cast<std::size_t>(shown.size()));
  return MeasureLine(view, true, TabStopWidth(f.layout), [&f](std::u16string_view run) {
    return f.metrics.horizontalAdvance(
        QString::fromRawData(reinterpret_cast<const QChar*>(run.data()), static_cast<qsizetype>(run.size())));
  });
}

int THtmlQtCanvas::TextHeight(const THtmlFont& font) { return Select(font).layout.lineHeight; }

void THtmlQtCanvas::DrawTextPiece(const THtmlFont& font, std::string_view text, int width, const THtmlRect& box,
                                  TColor color, TColor background, bool ellipsis) {
  if (!painter_ || box.Width() <= 0 || box.Height() <= 0) return;
  const TCanvasFont& f = Select(font);
  const QString shown = Visible(text, box.Width());
  const int height = f.layout.lineHeight;
  if (background != clNone) {
    painter_->fillRect(ToQRect(box).intersected(QRect(box.Left, box.Bottom - height, width, height)),
                       colorOf_(background));
  }
  if (font.Escapement != 0) {
    // A rotated font turns the text about its start on the baseline, clipped to the piece's box.
    painter_->save();
    painter_->setClipRect(ToQRect(box), Qt::IntersectClip);
    painter_->setFont(f.font);
    painter_->setPen(colorOf_(color));
    painter_->translate(box.Left, box.Bottom - f.metrics.descent());
    painter_->rotate(-font.Escapement / 10.0);
    painter_->drawText(QPoint(0, 0), shown);
    painter_->restore();
    return;
  }
  if (width <= box.Width() && height <= box.Height() && !shown.contains(QChar(u'\t'))) {
    // The common case: the piece lies wholly inside its box, so no clip and no layout are needed.
    painter_->setFont(f.font);
    painter_->setPen(colorOf_(color));
    painter_->drawText(QPoint(box.Left, box.Bottom - f.metrics.descent()), shown);
    return;
  }
  canvas_.SetTextColor(colorOf_(color));
  QRect rect = ToQRect(box);
  unsigned flags = DT_SINGLELINE | DT_BOTTOM | DT_EXPANDTABS | DT_NOPREFIX;
  if (ellipsis) flags |= DT_END_ELLIPSIS;
  canvas_.SelectFont(font.Name, font.Size, font.Style);
  canvas_.DrawText(shown, rect, flags);
}

void THtmlQtCanvas::FillRect(const THtmlRect& rect, TColor color) {
  if (painter_ && color != clNone) painter_->fillRect(ToQRect(rect), colorOf_(color));
}

void THtmlQtCanvas::DrawPolyline(const std::vector<THtmlPoint>& points, TColor color) {
  if (!painter_ || points.size() < 2) return;
  QList<QPoint> qpoints;
  qpoints.reserve(static_cast<qsizetype>(points.size()));
  for (const THtmlPoint& p : points) qpoints.append(QPoint(p.X, p.Y));
  painter_->save();
  painter_->setRenderHint(QPainter::Antialiasing, false);
  painter_->setPen(QPen(colorOf_(color), 1));
  painter_->drawPolyline(qpoints.constData(), static_cast<int>(qpoints.size()));
  painter_->restore();
}

void THtmlQtCanvas::DrawFocusRect(const THtmlRect& rect) {
  if (!painter_ || rect.Width() <= 0 || rect.Height() <= 0) return;
  // Every other pixel of the frame inverted, as the platform's focus rectangle is.
  QList<QPoint> points;
  const int right = rect.Right - 1;
  const int bottom = rect.Bottom - 1;
  auto add = [&](int x, int y) {
    if (((x + y) & 1) == 0) points.append(QPoint(x, y));
  };
  for (int x = rect.Left; x <= right; ++x) {
    add(x, rect.Top);
    if (bottom != rect.Top) add(x, bottom);
  }
  for (int y = rect.Top + 1; y < bottom; ++y) {
    add(rect.Left, y);
    if (right != rect.Left) add(right, y);
  }
  painter_->save();
  painter_->setCompositionMode(QPainter::RasterOp_SourceXorDestination);
  painter_->setPen(QPen(Qt::white, 1));
  painter_->drawPoints(points.constData(), static_cast<int>(points.size()));
  painter_->restore();
}

void THtmlQtCanvas::DrawBullet(const THtmlFont& font, int x, int bottom, bool round, TColor color) {
  if (!painter_) return;
  // The Symbol font's bullet (0xB7) is the Unicode bullet in the text's own font here.
  const TCanvasFont& f = Select(font);
  painter_->save();
  painter_->setFont(f.font);
  painter_->setPen(colorOf_(color));
  painter_->drawText(QPoint(x, bottom - f.metrics.descent()), round ? QString(QChar(0x2022)) : QStringLiteral("o"));
  painter_->restore();
}

THTMLPicture* THtmlQtCanvas::Load(const THtmlPictureSource& source) {
  switch (source.Kind) {
    case hpkImageList:
      return nullptr;  // the grid has no image list
    case hpkContainer:
      return container_ ? container_->FindPicture(source.Name) : nullptr;
    case hpkSmallIcon:
    case hpkLargeIcon: {
      const std::string identifier = (source.Kind == hpkSmallIcon ? "SSYS:" : "LSYS:") + source.Name;
      if (THTMLPicture* found = cache_.Find(identifier)) return found;
      THTMLPicture& picture = cache_.Add(identifier);
      QFileIconProvider provider;
      QIcon icon;
      if (source.Index >= 0) {
        static constexpr QAbstractFileIconProvider::IconType kTypes[] = {
            QAbstractFileIconProvider::Computer, QAbstractFileIconProvider::Desktop,
            QAbstractFileIconProvider::Trashcan, QAbstractFileIconProvider::Network,
            QAbstractFileIconProvider::Drive,    QAbstractFileIconProvider::Folder,
            QAbstractFileIconProvider::File};
        icon = provider.icon(kTypes[source.Index % 7]);
      } else {
        const QString name = QString::fromUtf8(source.Name.c_str());
        const QFileInfo info(name);
        // Existing files and folders as they are; other names by their extension.
        icon = info.exists() ? provider.icon(info) : provider.icon(QFileInfo(QStringLiteral("/nonexistent/x.") + info.suffix()));
        if (icon.isNull()) icon = provider.icon(QAbstractFileIconProvider::File);
      }
      const int size = source.Kind == hpkSmallIcon ? kSmallIcon : kLargeIcon;
      if (!icon.isNull()) picture.SetImage(icon.pixmap(size, size).toImage());
      return &picture;
    }
    case hpkCached: {
      if (THTMLPicture* found = cache_.Find(source.Name)) return found;
      THTMLPicture& picture = cache_.Add(source.Name);
      std::string upper(source.Name);
      std::transform(upper.begin(), upper.end(), upper.begin(),
                     [](char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); });
      if (upper.starts_with("RES://")) {
        try {
          picture.LoadFromResource(source.Name.substr(6));
        } catch (const EHTMLPictureError& error) {
          if (pictureError_.empty()) pictureError_ = error.what();
        }
      } else if (const std::optional<std::string> path = PictureFilePath(source.Name)) {
        picture.LoadFromFile(*path);
      }
      // Any other scheme only records the identifier: nothing is downloaded.
      return &picture;
    }
  }
  return nullptr;
}

std::optional<THtmlPictureInfo> THtmlQtCanvas::FindPicture(const THtmlPictureSource& source) {
  const THTMLPicture* picture = Load(source);
  if (!picture || picture->Empty()) return std::nullopt;
  return THtmlPictureInfo{picture, picture->Size().width(), picture->Size().height()};
}

void THtmlQtCanvas::DrawPicture(const THtmlPictureInfo& info, const THtmlRect& dest, bool stretch) {
  if (!painter_) return;
  const auto* picture = static_cast<const THTMLPicture*>(info.Handle);
  const int frame = std::clamp(picture->FrameNumber, 0, picture->FrameCount() - 1);
  if (stretch) {
    painter_->drawImage(ToQRect(dest), picture->Frame(frame));
    return;
  }
  if (picture->FrameCount() > 1) {
    painter_->fillRect(QRect(QPoint(dest.Left, dest.Top), picture->Size()), colorOf_(entryBrush_));
  }
  painter_->drawImage(QPoint(dest.Left, dest.Top) + picture->FrameOffset(frame), picture->Frame(frame));
}

void THtmlQtCanvas::TilePicture(const THtmlPictureInfo& info, const THtmlRect& area) {
  if (!painter_ || area.Width() <= 0 || area.Height() <= 0) return;
  const auto* picture = static_cast<const THTMLPicture*>(info.Handle);
  painter_->save();
  painter_->setClipRect(ToQRect(area), Qt::IntersectClip);
  painter_->drawTiledPixmap(ToQRect(area), QPixmap::fromImage(picture->Frame(0)));
  painter_->restore();
}

void THtmlQtCanvas::DrawControl(const THtmlControl& control, bool pressed) {
  if (!painter_ || !styleWidget_) return;
  QStyle* style = styleWidget_->style();
  const QRect box = ToQRect(control.Box);
  const QString value = AnsiToDisplay(control.Value);
  painter_->save();
  if (control.Type == "EDIT" || control.Type == "PASSWORD" || control.Type == "MASK" || control.Type == "COMBO") {
    // A one-pixel frame in the classic grey, the value inside it.
    painter_->setPen(QColor(0x80, 0x80, 0x80));
    painter_->setBrush(Qt::NoBrush);
    painter_->drawRect(box.adjusted(0, 0, -1, -1));
    QRect textRect = box.adjusted(3, 1, -3, -1);
    if (control.Type == "COMBO") {
      const int buttonWidth = std::min(box.height(), box.width());
      QStyleOptionButton button;
      button.initFrom(styleWidget_);
      button.rect = QRect(box.right() - buttonWidth + 1, box.top() + 1, buttonWidth - 1, box.height() - 2);
      button.state = QStyle::State_Enabled | (pressed ? QStyle::State_Sunken : QStyle::State_Raised);
      style->drawControl(QStyle::CE_PushButtonBevel, &button, painter_, styleWidget_);
      QStyleOption arrow;
      arrow.initFrom(styleWidget_);
      arrow.rect = button.rect.adjusted(3, 3, -3, -3);
      style->drawPrimitive(QStyle::PE_IndicatorArrowDown, &arrow, painter_, styleWidget_);
      textRect.setRight(button.rect.left() - 2);
    }
    const QString shown = control.Type == "PASSWORD" ? QString(value.size(), QChar(u'*')) : value;
    painter_->setPen(styleWidget_->palette().color(QPalette::Text));
    painter_->setFont(canvas_.CurrentFont().font);
    painter_->drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine, shown);
  } else if (control.Type == "CHECK" || control.Type == "RADIO") {
    QStyleOptionButton option;
    option.initFrom(styleWidget_);
    option.rect = box;
    option.state = QStyle::State_Enabled | (value.toUpper() == QStringLiteral("TRUE") ? QStyle::State_On : QStyle::State_Off);
    if (pressed) option.state |= QStyle::State_Sunken;
    style->drawPrimitive(control.Type == "CHECK" ? QStyle::PE_IndicatorCheckBox : QStyle::PE_IndicatorRadioButton,
                         &option, painter_, styleWidget_);
  } else if (control.Type == "BUTTON") {
    QStyleOptionButton option;
    option.initFrom(styleWidget_);
    option.rect = box;
    option.text = value;
    option.state = QStyle::State_Enabled | (pressed ? QStyle::State_Sunken : QStyle::State_Raised);
    style->drawControl(QStyle::CE_PushButton, &option, painter_, styleWidget_);
  }
  painter_->restore();
}

}  // namespace orlex::grid
