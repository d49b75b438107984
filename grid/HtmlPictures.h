#pragma once

// Pictures of HTML cell texts: one decoded picture (THTMLPicture), the grid's cache of them by
// identifier (THTMLPictureCache) and a named collection a form may supply (TPictureContainer).

#include <QImage>
#include <QPoint>
#include <QSize>
#include <memory>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <vector>

namespace orlex::grid {

// A resource picture that cannot be loaded; its text is the picture loader's.
class EHTMLPictureError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Prefix under which "RES://name" pictures are looked up among the executable's Qt resources.
inline constexpr char kHtmlResourcePrefix[] = ":/orlex/pictures/";

class THTMLPicture {
 public:
  std::string Identifier;  // the source text it was loaded from
  bool Stretch = false;
  int FrameNumber = 0;

  bool Empty() const { return frames_.empty(); }
  // Decodes bitmap, icon, GIF (every frame) or JPEG bytes; false and empty when Qt cannot decode them.
  bool LoadFromBytes(const std::string& bytes);
  // A regular file of bounded size only; false and empty otherwise.
  bool LoadFromFile(const std::string& path);
  // From the executable's resources; throws EHTMLPictureError with the loader's text when the
  // resource is missing, empty or cannot be decoded, leaving the picture empty.
  void LoadFromResource(const std::string& name);
  void SetImage(const QImage& image);

  // Natural size: the logical screen size of an animation, else the image's size.
  QSize Size() const { return logicalSize_; }
  int FrameCount() const { return static_cast<int>(frames_.size()); }
  const QImage& Frame(int index) const { return frames_[static_cast<std::size_t>(index)]; }
  QPoint FrameOffset(int index) const { return offsets_[static_cast<std::size_t>(index)]; }
  const std::string& Data() const { return data_; }

 private:
  std::string data_;
  std::vector<QImage> frames_;
  std::vector<QPoint> offsets_;
  QSize logicalSize_;
};

// The grid's pictures, added on first use and kept while the grid lives; found by identifier
// (exact, case-sensitive).
class THTMLPictureCache {
 public:
  THTMLPicture* Find(const std::string& identifier);
  THTMLPicture& Add(const std::string& identifier);
  std::size_t Count() const { return pictures_.size(); }

 private:
  std::vector<std::unique_ptr<THTMLPicture>> pictures_;
  std::unordered_map<std::string, THTMLPicture*> byIdentifier_;
};

struct TPictureItem {
  std::string Name;
  int Tag = 0;
  THTMLPicture Picture;
};

// Named pictures, found by name ignoring case.
class TPictureContainer {
 public:
  std::vector<TPictureItem> Items;
  THTMLPicture* FindPicture(const std::string& name);
};

}  // namespace orlex::grid
