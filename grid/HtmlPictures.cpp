#include "grid/HtmlPictures.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <algorithm>
#include <cctype>

#include "grid/html/HtmlPictureFile.h"

namespace orlex::grid {

namespace {

// Largest frame count read from one animation, so a crafted GIF cannot hold the paint.
constexpr int kMaxFrames = 256;

}  // namespace

bool THTMLPicture::LoadFromBytes(const std::string& bytes) {
  frames_.clear();
  offsets_.clear();
  logicalSize_ = QSize();
  data_ = bytes;
  QByteArray array(bytes.data(), static_cast<qsizetype>(bytes.size()));
  QBuffer buffer(&array);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer);
  reader.setAutoTransform(false);
  // Qt's GIF reader hands every frame already composed on the animation's logical screen.
  const QSize screen = reader.size();
  while (static_cast<int>(frames_.size()) < kMaxFrames) {
    QImage frame;
    if (!reader.read(&frame)) break;
    frames_.push_back(std::move(frame));
    offsets_.push_back(QPoint(0, 0));
    if (!reader.supportsAnimation() || !reader.canRead()) break;
  }
  if (frames_.empty()) {
    data_.clear();
    return false;
  }
  logicalSize_ = screen.isValid() ? screen : frames_.front().size();
  return true;
}

bool THTMLPicture::LoadFromFile(const std::string& path) {
  const std::optional<std::string> bytes = ReadPictureFile(path);
  return bytes && LoadFromBytes(*bytes);
}

void THTMLPicture::LoadFromResource(const std::string& name) {
  QFile file(QString::fromUtf8(kHtmlResourcePrefix) + QString::fromUtf8(name.c_str()));
  if (!file.open(QIODevice::ReadOnly)) throw EHTMLPictureError("Could not create image stream");
  const QByteArray bytes = file.readAll();
  if (bytes.isEmpty()) throw EHTMLPictureError("Empty image stream created");
  if (!LoadFromBytes(bytes.toStdString())) throw EHTMLPictureError("Could not load image. Invalid format");
}

void THTMLPicture::SetImage(const QImage& image) {
  frames_.assign(1, image);
  offsets_.assign(1, QPoint(0, 0));
  logicalSize_ = image.size();
}

THTMLPicture* THTMLPictureCache::Find(const std::string& identifier) {
  const auto it = byIdentifier_.find(identifier);
  return it == byIdentifier_.end() ? nullptr : it->second;
}

THTMLPicture& THTMLPictureCache::Add(const std::string& identifier) {
  pictures_.push_back(std::make_unique<THTMLPicture>());
  pictures_.back()->Identifier = identifier;
  byIdentifier_.emplace(identifier, pictures_.back().get());
  return *pictures_.back();
}

THTMLPicture* TPictureContainer::FindPicture(const std::string& name) {
  auto same = [&](const std::string& other) {
    return other.size() == name.size() && std::equal(other.begin(), other.end(), name.begin(), [](char a, char b) {
             return std::toupper(static_cast<unsigned char>(a)) == std::toupper(static_cast<unsigned char>(b));
           });
  };
  for (TPictureItem& item : Items) {
    if (same(item.Name)) return &item.Picture;
  }
  return nullptr;
}

}  // namespace orlex::grid
