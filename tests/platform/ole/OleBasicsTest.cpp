#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/ole/ClipboardFormats.h"
#include "platform/ole/ComObject.h"
#include "platform/ole/GlobalMemory.h"
#include "platform/ole/OleInit.h"

namespace {

using namespace orlex;

// A drop source that records its own destruction.
class TCountedSource final : public TComObject<IDropSource> {
 public:
  explicit TCountedSource(bool& destroyed) : destroyed_(destroyed) {}
  ~TCountedSource() override { destroyed_ = true; }
  HRESULT QueryContinueDrag(bool, DWORD) override { return S_OK; }
  HRESULT GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }

 private:
  bool& destroyed_;
};

TEST(ComObjectTest, CountStartsAtZeroAndTheObjectFreesItselfWhenItReturnsThere) {
  bool destroyed = false;
  auto* source = new TCountedSource(destroyed);
  EXPECT_EQ(source->RefCount(), 0u);
  EXPECT_EQ(source->AddRef(), 1u);

  void* unknown = nullptr;
  ASSERT_EQ(source->QueryInterface(IID_IUnknown, &unknown), S_OK);
  void* dropSource = nullptr;
  ASSERT_EQ(source->QueryInterface(IID_IDropSource, &dropSource), S_OK);
  EXPECT_EQ(dropSource, static_cast<IDropSource*>(source));
  EXPECT_EQ(source->RefCount(), 3u);

  void* other = &destroyed;
  EXPECT_EQ(source->QueryInterface(IID_IDropTarget, &other), E_NOINTERFACE);
  EXPECT_EQ(other, nullptr);
  EXPECT_EQ(source->QueryInterface(IID_IDataObject, &other), E_NOINTERFACE);
  EXPECT_EQ(source->RefCount(), 3u);

  source->Release();
  source->Release();
  EXPECT_FALSE(destroyed);
  EXPECT_EQ(source->Release(), 0u);
  EXPECT_TRUE(destroyed);
}

TEST(ComObjectTest, HolderKeepsOneReferenceAndAdoptsOutParameters) {
  bool destroyed = false;
  {
    TComPtr<IDropSource> held(new TCountedSource(destroyed));
    TComPtr<IDropSource> copy = held;
    void* again = nullptr;
    ASSERT_EQ(held->QueryInterface(IID_IDropSource, &again), S_OK);
    auto adopted = TComPtr<IDropSource>::Adopt(static_cast<IDropSource*>(again));
    EXPECT_EQ(static_cast<TCountedSource*>(held.Get())->RefCount(), 3u);
  }
  EXPECT_TRUE(destroyed);
}

TEST(GlobalMemoryTest, ZeroInitialisedBlocksLockToTheirBytesAndCountLocks) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 8);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(GlobalSize(block), 8u);
  auto* bytes = static_cast<std::uint8_t*>(GlobalLock(block));
  ASSERT_NE(bytes, nullptr);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(bytes[i], 0) << i;
  bytes[3] = 7;
  EXPECT_EQ(GlobalLock(block), bytes);
  EXPECT_TRUE(GlobalUnlock(block));   // still locked once
  EXPECT_FALSE(GlobalUnlock(block));  // now unlocked
  EXPECT_FALSE(GlobalUnlock(block));  // nothing left to unlock
  {
    TGlobalLock lock(block);
    EXPECT_EQ(lock.Data()[3], 7);
    EXPECT_EQ(lock.Size(), 8u);
  }
  EXPECT_EQ(GlobalFree(block), nullptr);
}

TEST(GlobalMemoryTest, FailedAllocationIsANullHandleNotAnException) {
  EXPECT_EQ(GlobalAlloc(GHND, kGlobalBlockLimit + 1), nullptr);
  EXPECT_EQ(GlobalLock(nullptr), nullptr);
  EXPECT_EQ(GlobalSize(nullptr), 0u);
  EXPECT_EQ(GlobalFree(nullptr), nullptr);
  HGLOBAL empty = GlobalAlloc(GHND, 0);  // an empty block is still a block
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(GlobalSize(empty), 0u);
  EXPECT_NE(GlobalLock(empty), nullptr);
  GlobalUnlock(empty);
  GlobalFree(empty);
}

TEST(GlobalMemoryTest, ReleaseStgMediumFreesTheBlockOrReleasesTheOwnerOnly) {
  STGMEDIUM medium;
  medium.tymed = TYMED_HGLOBAL;
  medium.hGlobal = GlobalFromBytes("abc", 4);
  ReleaseStgMedium(&medium);  // ASan reports the block if it is not freed
  EXPECT_EQ(medium.tymed, TYMED_NULL);
  EXPECT_EQ(medium.hGlobal, nullptr);

  bool destroyed = false;
  auto* owner = new TCountedSource(destroyed);
  owner->AddRef();
  HGLOBAL ownedBlock = GlobalFromBytes("x", 1);
  medium = STGMEDIUM{TYMED_HGLOBAL, ownedBlock, owner};
  ReleaseStgMedium(&medium);
  EXPECT_TRUE(destroyed);
  EXPECT_EQ(GlobalSize(ownedBlock), 1u);  // the owner's block is left to the owner
  GlobalFree(ownedBlock);
  ReleaseStgMedium(nullptr);
}

TEST(ClipboardFormatsTest, OneIdentifierPerNameForTheWholeProcess) {
  const CLIPFORMAT rtf = RegisterClipboardFormat("Rich Text Format");
  EXPECT_GE(rtf, kFirstRegisteredFormat);
  EXPECT_EQ(RegisterClipboardFormat("Rich Text Format"), rtf);
  EXPECT_EQ(RegisterClipboardFormat("RICH TEXT FORMAT"), rtf);
  const CLIPFORMAT column = RegisterClipboardFormat("Grid Column");
  EXPECT_NE(column, rtf);
  EXPECT_GE(column, kFirstRegisteredFormat);
  EXPECT_EQ(RegisterClipboardFormat(""), 0);
  EXPECT_EQ(GetClipboardFormatName(rtf), "Rich Text Format");
  EXPECT_EQ(GetClipboardFormatName(CF_TEXT), std::nullopt);
  EXPECT_EQ(GetClipboardFormatName(0xFFFF), std::nullopt);
  EXPECT_EQ(CF_TEXT, 1);
  EXPECT_EQ(CF_UNICODETEXT, 13);
  EXPECT_EQ(CF_HDROP, 15);
}

TEST(OleInitTest, FirstCallInitialisesLaterCallsReportAlreadyDone) {
  int reserved = 0;
  EXPECT_EQ(OleInitialize(), S_OK);
  EXPECT_EQ(OleInitialize(), S_FALSE);
  EXPECT_TRUE(OleInitializeSucceeded(S_FALSE));
  EXPECT_FALSE(OleInitializeSucceeded(E_INVALIDARG));
  EXPECT_EQ(OleInitialize(&reserved), E_INVALIDARG);
  OleUninitialize();
  OleUninitialize();
  EXPECT_EQ(OleInitialize(), S_OK);
  OleUninitialize();
  EXPECT_EQ(OleInitializeFailureText(E_OUTOFMEMORY), "OleInitialize failed ($8007000e)");
}

}  // namespace
