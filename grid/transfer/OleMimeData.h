#pragma once

// Our data objects on Qt's side of drag and drop and the clipboard, and the other way round:
// TOleMimeData is the QMimeData a QDrag carries for one of our data objects; TMimeDataObject is the
// IDataObject through which a drop target reads an incoming QMimeData. The format names are those
// of TransferMime.h (docs/Transfer.md).

#include <QMimeData>
#include <QPointer>
#include <QStringList>
#include <map>
#include <string>
#include <vector>

#include "platform/ole/ReadOnlyDataObject.h"

namespace orlex::grid {

// Serves the formats of a data object, read once when it is made: across processes QDrag::exec
// returns before the target reads the data, and the data object is gone by then. The bytes are
// turned into each MIME type's form only when asked for.
class TOleMimeData : public QMimeData {
  Q_OBJECT

 public:
  explicit TOleMimeData(IDataObject* data);

  QStringList formats() const override;
  bool hasFormat(const QString& mimeType) const override;
  // The block of a format as taken at construction (without the MIME conversion); empty if absent.
  const std::string* Snapshot(CLIPFORMAT format) const;

 protected:
  QVariant retrieveData(const QString& mimeType, QMetaType type) const override;

 private:
  std::map<CLIPFORMAT, std::string> blocks_;  // every format the object served, by identifier
  QStringList mimeTypes_;
};

// An IDataObject over an incoming drag's or the clipboard's QMimeData. It offers CF_TEXT and
// CF_UNICODETEXT for text/plain, rich text for text/rtf, the grid column, CF_HDROP for the local
// files of a text/uri-list and the URL format for its other URLs (with their text as CF_TEXT when the
// drag has no text/plain), and every application/x-orlexgauges- type as its registered name. Data is
// read from the QMimeData when asked for; once the QMimeData is gone nothing can be read.
class TMimeDataObject final : public TReadOnlyDataObject {
 public:
  explicit TMimeDataObject(const QMimeData* mime);

  HRESULT GetData(const FORMATETC* format, STGMEDIUM* medium) override;
  HRESULT QueryGetData(const FORMATETC* format) override;
  HRESULT EnumFormatEtc(DWORD direction, IEnumFORMATETC** enumerator) override;

  const std::vector<CLIPFORMAT>& Formats() const { return formats_; }

 private:
  // The block a format is served as; false when the data cannot be had.
  bool BlockFor(CLIPFORMAT format, std::string& block) const;

  QPointer<const QMimeData> mime_;
  std::vector<CLIPFORMAT> formats_;
  bool textFromUrls_ = false;  // CF_TEXT comes from the URI list (no text/plain offered)
};

}  // namespace orlex::grid
