#include "grid/transfer/core/EnumFormats.h"

#include "grid/transfer/core/TransferFormats.h"
#include "platform/ole/AnsiUtf16.h"
#include "platform/ole/GlobalMemory.h"

namespace orlex::grid {

namespace {

std::uint32_t ReadU32(const std::uint8_t* p) {
  return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 | std::uint32_t{p[3]} << 24;
}

// Reads the medium's block while it is held, then gives the medium back.
template <class Read>
auto ReadMedium(STGMEDIUM& medium, Read read) {
  auto result = [&] {
    TGlobalLock lock(medium.hGlobal);
    return read(lock.Data(), lock.Size());
  }();
  ReleaseStgMedium(&medium);
  return result;
}

}  // namespace

TEnumFormats::TEnumFormats(IDataObject* data) {
  Attach(data);
  RegisterTransferFormats();
}

void TEnumFormats::Attach(IDataObject* data) {
  enumerator_.Reset();
  data_ = TComPtr<IDataObject>(data);
  valid_ = false;
  count_ = 0;
  if (!data_) return;
  IEnumFORMATETC* enumerator = nullptr;
  if (data_->EnumFormatEtc(DATADIR_GET, &enumerator) != S_OK || enumerator == nullptr) {
    if (enumerator) enumerator->Release();
    return;
  }
  enumerator_ = TComPtr<IEnumFORMATETC>::Adopt(enumerator);
  Reset();
}

bool TEnumFormats::Reset() {
  valid_ = false;
  count_ = 0;
  return enumerator_ && enumerator_->Reset() == S_OK;
}

bool TEnumFormats::Next() {
  ++count_;
  valid_ = enumerator_ && enumerator_->Next(1, &current_, nullptr) == S_OK;
  return valid_;
}

bool TEnumFormats::HasFormat(CLIPFORMAT format) {
  if (format == 0) return false;
  Reset();
  while (Next()) {
    if (current_.cfFormat == format) return true;
  }
  return false;
}

bool TEnumFormats::GetGlobal(DWORD tymedMask, STGMEDIUM& medium) {
  medium = STGMEDIUM{};
  if (!valid_ || !data_ || (current_.tymed & tymedMask) != tymedMask) return false;
  FORMATETC wanted = current_;
  wanted.tymed = tymedMask;
  if (data_->GetData(&wanted, &medium) != S_OK) {
    medium = STGMEDIUM{};
    return false;
  }
  if (medium.tymed != TYMED_HGLOBAL || medium.hGlobal == nullptr) {
    ReleaseStgMedium(&medium);
    return false;
  }
  return true;
}

std::int32_t TEnumFormats::Integer(CLIPFORMAT format) {
  STGMEDIUM medium;
  if (!HasFormat(format) || !GetGlobal(TYMED_HGLOBAL, medium)) return -1;
  return ReadMedium(medium, [](const std::uint8_t* bytes, std::size_t size) {
    return size >= 4 ? static_cast<std::int32_t>(ReadU32(bytes)) : -1;
  });
}

std::string TEnumFormats::Text(CLIPFORMAT format) {
  STGMEDIUM medium;
  if (!HasFormat(format) || !GetGlobal(TYMED_HGLOBAL, medium)) return {};
  return ReadMedium(medium, [](const std::uint8_t* bytes, std::size_t size) {
    std::size_t length = 0;
    while (length < size && bytes[length] != 0) ++length;
    return std::string(reinterpret_cast<const char*>(bytes), length);
  });
}

bool TEnumFormats::ReadFileNames() {
  FileNames.clear();
  STGMEDIUM medium;
  if (!GetGlobal(TYMED_HGLOBAL, medium)) return false;
  FileNames = ReadMedium(medium, ReadDropFiles);
  return !FileNames.empty();
}

std::vector<std::string> ReadDropFiles(const std::uint8_t* block, std::size_t size) {
  std::vector<std::string> names;
  if (block == nullptr || size < kDropFilesHeaderSize) return names;
  const std::size_t offset = ReadU32(block);
  const bool wide = ReadU32(block + kDropFilesWideOffset) != 0;
  const std::size_t unit = wide ? 2 : 1;
  auto at = [&](std::size_t i) -> std::uint16_t {
    return wide ? static_cast<std::uint16_t>(block[i] | block[i + 1] << 8) : block[i];
  };
  std::size_t i = offset;
  while (i <= size - unit && at(i) != 0) {
    std::size_t end = i;
    while (end <= size - unit && at(end) != 0) end += unit;
    if (end > size - unit) break;  // no NUL before the end of the block: not a whole name
    if (wide) {
      std::u16string name;
      for (std::size_t k = i; k < end; k += 2) name += static_cast<char16_t>(at(k));
      names.push_back(Utf16ToAnsi(name));
    } else {
      names.emplace_back(reinterpret_cast<const char*>(block + i), end - i);
    }
    i = end + unit;
  }
  return names;
}

}  // namespace orlex::grid
