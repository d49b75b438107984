#pragma once

// The format reader: looks into a data object (ours or another application's) through its format
// enumerator and reads the formats a drop target understands. A plain object, made for one call.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/ole/ComObject.h"

namespace orlex::grid {

class TEnumFormats {
 public:
  // Attaches the data object and registers the transfer formats.
  explicit TEnumFormats(IDataObject* data);

  // Drops the previous object and enumerator, then asks the new object (if any) for its DATADIR_GET
  // enumerator and resets it. An object that cannot enumerate reads as offering nothing: the failure
  // stays here instead of crossing the drop target's interface.
  void Attach(IDataObject* data);
  // Whether the attached object gave an enumerator.
  bool CanEnumerate() const { return static_cast<bool>(enumerator_); }

  bool Reset();
  // The next entry into Current(); false at the end.
  bool Next();
  // Searches the list from the start; on success Current() is that entry.
  bool HasFormat(CLIPFORMAT format);

  // The current entry's data as a global block, when the entry is valid and its tymed holds every bit
  // of the mask. The caller gives the medium back with ReleaseStgMedium.
  bool GetGlobal(DWORD tymedMask, STGMEDIUM& medium);
  // The first 32-bit little-endian value of the format's block; -1 when it cannot be read.
  std::int32_t Integer(CLIPFORMAT format);
  // The format's block up to its first NUL (or its end); empty when it cannot be read.
  std::string Text(CLIPFORMAT format);
  // Reads the current entry's DROPFILES block into FileNames (the caller has just found CF_HDROP
  // with HasFormat); true when it named at least one file.
  bool ReadFileNames();

  const FORMATETC& Current() const { return current_; }
  bool Valid() const { return valid_; }
  int NextCount() const { return count_; }
  std::vector<std::string> FileNames;

 private:
  TComPtr<IDataObject> data_;
  TComPtr<IEnumFORMATETC> enumerator_;
  FORMATETC current_;
  bool valid_ = false;
  int count_ = 0;
};

// The names of a DROPFILES block (offset of the names, a point, two flags, then NUL-terminated names
// ending with an empty one; UTF-16 when the wide flag is set). The block is foreign data and is never
// read past its end: an offset outside it gives no names, a name without its NUL is not taken. Wide
// names come back as UTF-8.
std::vector<std::string> ReadDropFiles(const std::uint8_t* block, std::size_t size);

// The DROPFILES header size and the offset of its wide flag.
inline constexpr std::size_t kDropFilesHeaderSize = 20;
inline constexpr std::size_t kDropFilesWideOffset = 16;

}  // namespace orlex::grid
