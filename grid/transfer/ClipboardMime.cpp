#include "grid/transfer/ClipboardMime.h"

#include "grid/transfer/core/TransferMime.h"
#include "platform/ole/AnsiUtf16.h"

namespace orlex::grid {

namespace {

QString CellsMimeType() { return QString::fromStdString(MimeTypeForFormat(GridCellsFormat())); }

}  // namespace

QMimeData* MimeFromClipboardContents(const TClipboardContents& contents) {
  auto* mime = new QMimeData;
  if (contents.Text) {
    const std::u16string text = AnsiToUtf16(*contents.Text);
    mime->setText(QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size())));
  }
  if (contents.RichText) mime->setData(kMimeRichText, QByteArray::fromStdString(*contents.RichText));
  if (contents.Cells) mime->setData(CellsMimeType(), QByteArray::fromStdString(*contents.Cells));
  return mime;
}

TClipboardContents ClipboardContentsFromMime(const QMimeData* mime) {
  TClipboardContents contents;
  if (mime == nullptr) return contents;
  if (mime->hasText()) contents.Text = mime->text().toStdString();
  if (mime->hasFormat(kMimeRichText)) contents.RichText = mime->data(kMimeRichText).toStdString();
  if (const QString cells = CellsMimeType(); mime->hasFormat(cells)) contents.Cells = mime->data(cells).toStdString();
  return contents;
}

}  // namespace orlex::grid
