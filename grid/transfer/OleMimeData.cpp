#include "grid/transfer/OleMimeData.h"

#include <QUrl>
#include <algorithm>
#include <cstring>
#include <new>

#include "grid/transfer/core/EnumFormats.h"
#include "grid/transfer/core/TransferFormats.h"
#include "grid/transfer/core/TransferMime.h"
#include "platform/ole/AnsiUtf16.h"
#include "platform/ole/FormatList.h"
#include "platform/ole/GlobalMemory.h"

namespace orlex::grid {

namespace {

std::string UpToNul(const std::string& block) { return block.substr(0, std::min(block.find('\0'), block.size())); }

std::u16string WideUpToNul(const std::string& block) {
  std::u16string text;
  for (std::size_t i = 0; i + 1 < block.size(); i += 2) {
    const auto c = static_cast<char16_t>(static_cast<unsigned char>(block[i]) |
                                         static_cast<unsigned char>(block[i + 1]) << 8);
    if (c == 0) break;
    text += c;
  }
  return text;
}

QString ToQString(const std::u16string& text) {
  return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

std::string WideBlock(const QString& text) {
  std::string block;
  for (QChar c : text) {
    block += static_cast<char>(c.unicode() & 0xFF);
    block += static_cast<char>(c.unicode() >> 8);
  }
  return block + std::string(2, '\0');
}

// A DROPFILES block with UTF-16 names.
std::string DropFilesBlock(const QStringList& files) {
  std::string block(kDropFilesHeaderSize, '\0');
  block[0] = static_cast<char>(kDropFilesHeaderSize);
  block[kDropFilesWideOffset] = 1;
  for (const QString& file : files) {
    const std::string name = WideBlock(file);
    block += name;
  }
  return block + std::string(2, '\0');
}

bool Contains(const std::vector<CLIPFORMAT>& formats, CLIPFORMAT format) {
  return format != 0 && std::find(formats.begin(), formats.end(), format) != formats.end();
}

}  // namespace

// ---- TOleMimeData ----

TOleMimeData::TOleMimeData(IDataObject* data) {
  RegisterTransferFormats();
  if (data == nullptr) return;
  TEnumFormats reader(data);
  reader.Reset();
  while (reader.Next()) {
    const FORMATETC entry = reader.Current();
    if (blocks_.count(entry.cfFormat) || MimeTypeForFormat(entry.cfFormat).empty()) continue;
    STGMEDIUM medium;
    if (!reader.GetGlobal(TYMED_HGLOBAL, medium)) continue;  // listed but not served: not offered
    {
      TGlobalLock lock(medium.hGlobal);
      blocks_[entry.cfFormat].assign(reinterpret_cast<const char*>(lock.Data()), lock.Size());
    }
    ReleaseStgMedium(&medium);
    const QString mime = QString::fromStdString(MimeTypeForFormat(entry.cfFormat));
    if (!mimeTypes_.contains(mime)) mimeTypes_ << mime;
  }
}

QStringList TOleMimeData::formats() const { return mimeTypes_; }

bool TOleMimeData::hasFormat(const QString& mimeType) const { return mimeTypes_.contains(mimeType); }

const std::string* TOleMimeData::Snapshot(CLIPFORMAT format) const {
  const auto it = blocks_.find(format);
  return it == blocks_.end() ? nullptr : &it->second;
}

QVariant TOleMimeData::retrieveData(const QString& mimeType, QMetaType type) const {
  if (!mimeTypes_.contains(mimeType)) return {};
  const std::string mime = mimeType.toStdString();
  QByteArray bytes;
  if (mime == kMimeText) {
    QString text;
    if (const std::string* wide = Snapshot(CF_UNICODETEXT)) {
      text = ToQString(WideUpToNul(*wide));
    } else if (const std::string* ansi = Snapshot(CF_TEXT)) {
      text = ToQString(AnsiToUtf16(UpToNul(*ansi)));
    }
    if (type.id() == QMetaType::QString) return text;
    bytes = text.toUtf8();
  } else if (mime == kMimeUriList) {
    QList<QUrl> urls;
    if (const std::string* files = Snapshot(CF_HDROP)) {
      const auto* begin = reinterpret_cast<const std::uint8_t*>(files->data());
      for (const std::string& name : ReadDropFiles(begin, files->size())) {
        urls << QUrl::fromLocalFile(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())));
      }
    }
    if (Snapshot(UrlFormat())) {
      if (const std::string* ansi = Snapshot(CF_TEXT)) urls << QUrl(ToQString(AnsiToUtf16(UpToNul(*ansi))));
    }
    for (const QUrl& url : urls) bytes += url.toEncoded() + "\r\n";
  } else if (mime == kMimeRichText) {
    if (const std::string* rich = Snapshot(RichTextFormat())) bytes = QByteArray::fromStdString(UpToNul(*rich));
  } else {
    for (const auto& [format, block] : blocks_) {
      if (MimeTypeForFormat(format) == mime) bytes = QByteArray::fromStdString(block);
    }
  }
  if (type.id() == QMetaType::QString) return QString::fromUtf8(bytes);
  return bytes;
}

// ---- TMimeDataObject ----

TMimeDataObject::TMimeDataObject(const QMimeData* mime) : mime_(mime) {
  RegisterTransferFormats();
  if (mime == nullptr) return;
  const QStringList types = mime->formats();
  const bool hasText = types.contains(kMimeText);
  bool files = false;
  bool otherUrls = false;
  if (types.contains(kMimeUriList)) {
    for (const QUrl& url : mime->urls()) (url.isLocalFile() ? files : otherUrls) = true;
  }
  textFromUrls_ = !hasText && otherUrls;
  if (hasText || textFromUrls_) formats_ = {CF_TEXT, CF_UNICODETEXT};
  if (types.contains(kMimeRichText)) formats_.push_back(RichTextFormat());
  if (files) formats_.push_back(CF_HDROP);
  if (otherUrls) formats_.push_back(UrlFormat());
  for (const QString& type : types) {
    const CLIPFORMAT format = RegisteredFormatForMimeType(type.toStdString());
    if (format != 0 && !Contains(formats_, format)) formats_.push_back(format);
  }
}

bool TMimeDataObject::BlockFor(CLIPFORMAT format, std::string& block) const {
  if (!mime_ || !Contains(formats_, format)) return false;
  const QMimeData& mime = *mime_;
  auto urlText = [&] {
    for (const QUrl& url : mime.urls()) {
      if (!url.isLocalFile()) return url.toString();
    }
    return QString();
  };
  if (format == CF_TEXT || format == CF_UNICODETEXT) {
    const QString text = textFromUrls_ ? urlText() : mime.text();
    block = format == CF_TEXT ? text.toStdString() + std::string(1, '\0') : WideBlock(text);
  } else if (format == CF_HDROP) {
    QStringList names;
    for (const QUrl& url : mime.urls()) {
      if (url.isLocalFile()) names << url.toLocalFile();
    }
    block = DropFilesBlock(names);
  } else if (format == UrlFormat()) {
    block = urlText().toStdString() + std::string(1, '\0');
  } else if (format == RichTextFormat()) {
    block = mime.data(kMimeRichText).toStdString() + std::string(1, '\0');
  } else {
    block = mime.data(QString::fromStdString(MimeTypeForFormat(format))).toStdString();
  }
  return true;
}

HRESULT TMimeDataObject::QueryGetData(const FORMATETC* format) {
  if (format == nullptr || format->dwAspect != DVASPECT_CONTENT || !(format->tymed & TYMED_HGLOBAL) ||
      !Contains(formats_, format->cfFormat) || !mime_) {
    return DV_E_FORMATETC;
  }
  return S_OK;
}

HRESULT TMimeDataObject::GetData(const FORMATETC* format, STGMEDIUM* medium) {
  if (medium == nullptr) return E_POINTER;
  *medium = STGMEDIUM{};
  std::string block;
  if (QueryGetData(format) != S_OK || !BlockFor(format->cfFormat, block)) return DV_E_FORMATETC;
  HGLOBAL handle = GlobalFromBytes(block.data(), block.size());
  if (handle == nullptr) return DV_E_FORMATETC;
  medium->tymed = TYMED_HGLOBAL;
  medium->hGlobal = handle;
  return S_OK;
}

HRESULT TMimeDataObject::EnumFormatEtc(DWORD direction, IEnumFORMATETC** enumerator) {
  if (enumerator == nullptr) return E_POINTER;
  *enumerator = nullptr;
  if (direction != DATADIR_GET) return E_NOTIMPL;
  std::vector<FORMATETC> entries;
  for (CLIPFORMAT format : formats_) entries.push_back({format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL});
  auto* list = new (std::nothrow) TFormatListEnumerator(std::move(entries));
  if (list == nullptr) return E_OUTOFMEMORY;
  list->AddRef();
  *enumerator = list;
  return S_OK;
}

}  // namespace orlex::grid
