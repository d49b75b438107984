#pragma once

// A copy's formats as the QMimeData the desktop's clipboard holds, and back: plain text as text/plain,
// rich text as text/rtf, the grid's own cell format under the MIME type of its registered name
// (docs/Transfer.md).

#include <QMimeData>

#include "grid/transfer/core/GridClipboard.h"

namespace orlex::grid {

// A new QMimeData holding the contents (the caller hands it to the clipboard, which owns it).
QMimeData* MimeFromClipboardContents(const TClipboardContents& contents);

// What a paste can use of whatever another application put on the clipboard.
TClipboardContents ClipboardContentsFromMime(const QMimeData* mime);

}  // namespace orlex::grid
