#include "grid/transfer/core/SourceDataObject.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "grid/transfer/core/TransferFormats.h"
#include "platform/ole/GlobalMemory.h"

#include "tests/support/ParamPrinting.h"

namespace {

using namespace orlex;
using namespace orlex::grid;

FORMATETC Format(CLIPFORMAT cf, DWORD tymed = TYMED_HGLOBAL, DWORD aspect = DVASPECT_CONTENT) {
  return FORMATETC{cf, nullptr, aspect, -1, tymed};
}

// The bytes GetData serves for a format, or nothing with the result it gave.
std::vector<std::uint8_t> Served(IDataObject& data, const FORMATETC& format, HRESULT* result = nullptr) {
  STGMEDIUM medium;
  const HRESULT hr = data.GetData(&format, &medium);
  if (result) *result = hr;
  if (hr != S_OK) {
    EXPECT_EQ(medium.tymed, TYMED_NULL);
    EXPECT_EQ(medium.hGlobal, nullptr);
    return {};
  }
  EXPECT_EQ(medium.tymed, TYMED_HGLOBAL);
  std::vector<std::uint8_t> bytes;
  {
    TGlobalLock lock(medium.hGlobal);
    bytes.assign(lock.Data(), lock.Data() + lock.Size());
  }
  ReleaseStgMedium(&medium);
  return bytes;
}

class SourceDataObjectTest : public testing::Test {
 protected:
  void SetUp() override { RegisterTransferFormats(); }
  void TearDown() override { SetRtfDropEnabled(false); }
};

struct TQueryCase {
  const char* name;
  bool columnDrag;
  bool rtfEnabled;
  FORMATETC format;
  HRESULT expected;
};

void PrintTo(const TQueryCase& c, std::ostream* os) { orlex::test::PrintFields(c, os); }

// Formats are looked up at run time (registered identifiers), so the table holds placeholders.
constexpr CLIPFORMAT kRtf = 0xFFF0;
constexpr CLIPFORMAT kColumn = 0xFFF1;

class QueryGetDataTest : public SourceDataObjectTest, public testing::WithParamInterface<TQueryCase> {};

TEST_P(QueryGetDataTest, AnswersOnlyExactHGlobalContentOfCarriedFormats) {
  const TQueryCase& c = GetParam();
  SetRtfDropEnabled(c.rtfEnabled);
  TComPtr<IDataObject> data(c.columnDrag ? new TSourceDataObject("", "", 3)
                                         : new TSourceDataObject("abc", "{\\rtf1 abc}", -1));
  FORMATETC format = c.format;
  if (format.cfFormat == kRtf) format.cfFormat = RichTextFormat();
  if (format.cfFormat == kColumn) format.cfFormat = GridColumnFormat();
  EXPECT_EQ(data->QueryGetData(&format), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, QueryGetDataTest,
    testing::Values(
        TQueryCase{"text", false, false, Format(CF_TEXT), S_OK},
        TQueryCase{"unicode", false, false, Format(CF_UNICODETEXT), S_OK},
        TQueryCase{"tymed_mask_with_stream", false, false, Format(CF_TEXT, TYMED_HGLOBAL | TYMED_ISTREAM), DV_E_FORMATETC},
        TQueryCase{"stream_only", false, false, Format(CF_TEXT, TYMED_ISTREAM), DV_E_FORMATETC},
        TQueryCase{"thumbnail_aspect", false, false, Format(CF_TEXT, TYMED_HGLOBAL, 2), DV_E_FORMATETC},
        TQueryCase{"rtf_while_disabled", false, false, Format(kRtf), DV_E_FORMATETC},
        TQueryCase{"rtf_while_enabled", false, true, Format(kRtf), S_OK},
        TQueryCase{"column_of_text_drag", false, false, Format(kColumn), DV_E_FORMATETC},
        TQueryCase{"files", false, false, Format(CF_HDROP), DV_E_FORMATETC},
        TQueryCase{"format_zero", false, false, Format(0), DV_E_FORMATETC},
        TQueryCase{"text_of_column_drag", true, false, Format(CF_TEXT), DV_E_FORMATETC},
        TQueryCase{"rtf_of_column_drag", true, true, Format(kRtf), DV_E_FORMATETC},
        TQueryCase{"column", true, false, Format(kColumn), S_OK}),
    [](const testing::TestParamInfo<TQueryCase>& info) { return std::string(info.param.name); });

TEST_F(SourceDataObjectTest, ServesTextAsAnsiAndUtf16BlocksWithTheirNul) {
  TComPtr<IDataObject> data(new TSourceDataObject("abc", "", -1));
  EXPECT_EQ(Served(*data, Format(CF_TEXT)), (std::vector<std::uint8_t>{'a', 'b', 'c', 0}));
  EXPECT_EQ(Served(*data, Format(CF_UNICODETEXT)), (std::vector<std::uint8_t>{'a', 0, 'b', 0, 'c', 0, 0, 0}));

  TComPtr<IDataObject> degrees(new TSourceDataObject("\xB0" "C", "", -1));  // a Windows-1252 degree sign
  EXPECT_EQ(Served(*degrees, Format(CF_UNICODETEXT)), (std::vector<std::uint8_t>{0xB0, 0, 'C', 0, 0, 0}));
}

TEST_F(SourceDataObjectTest, ServesTheColumnAsFourLittleEndianBytes) {
  TComPtr<IDataObject> data(new TSourceDataObject("", "", 3));
  EXPECT_EQ(Served(*data, Format(GridColumnFormat())), (std::vector<std::uint8_t>{3, 0, 0, 0}));
  HRESULT result = S_OK;
  EXPECT_TRUE(Served(*data, Format(CF_TEXT), &result).empty());
  EXPECT_EQ(result, DV_E_FORMATETC);
}

TEST_F(SourceDataObjectTest, RichTextIsServedWithItsNulAndAnEmptyOneAsOneNulByte) {
  SetRtfDropEnabled(true);
  TComPtr<IDataObject> data(new TSourceDataObject("a", "{\\rtf1 a}", -1));
  EXPECT_EQ(Served(*data, Format(RichTextFormat())),
            (std::vector<std::uint8_t>{'{', '\\', 'r', 't', 'f', '1', ' ', 'a', '}', 0}));
  TComPtr<IDataObject> empty(new TSourceDataObject("a", "", -1));
  EXPECT_EQ(Served(*empty, Format(RichTextFormat())), (std::vector<std::uint8_t>{0}));
}

TEST_F(SourceDataObjectTest, RefusedRequestsClearTheMediumAndTheOtherCallsAnswerTheirFixedCodes) {
  TComPtr<IDataObject> data(new TSourceDataObject("abc", "", -1));
  STGMEDIUM medium{TYMED_ISTREAM, reinterpret_cast<HGLOBAL>(0x1234), nullptr};
  const FORMATETC stream = Format(CF_TEXT, TYMED_ISTREAM);
  EXPECT_EQ(data->GetData(&stream, &medium), DV_E_FORMATETC);
  EXPECT_EQ(medium.tymed, TYMED_NULL);
  EXPECT_EQ(medium.hGlobal, nullptr);

  const FORMATETC text = Format(CF_TEXT);
  EXPECT_EQ(data->GetDataHere(&text, &medium), DV_E_FORMATETC);
  EXPECT_EQ(data->SetData(&text, &medium, false), DV_E_FORMATETC);
  FORMATETC out = text;
  out.ptd = reinterpret_cast<DVTARGETDEVICE*>(&out);
  EXPECT_EQ(data->GetCanonicalFormatEtc(&text, &out), E_NOTIMPL);
  EXPECT_EQ(out.ptd, nullptr);

  IEnumFORMATETC* enumerator = reinterpret_cast<IEnumFORMATETC*>(&out);
  EXPECT_EQ(data->EnumFormatEtc(DATADIR_SET, &enumerator), E_NOTIMPL);
  EXPECT_EQ(enumerator, nullptr);
  DWORD connection = 0;
  EXPECT_EQ(data->DAdvise(&text, 0, nullptr, &connection), OLE_E_ADVISENOTSUPPORTED);
  EXPECT_EQ(data->DUnadvise(connection), OLE_E_ADVISENOTSUPPORTED);
  IEnumSTATDATA* advises = reinterpret_cast<IEnumSTATDATA*>(&out);
  EXPECT_EQ(data->EnumDAdvise(&advises), OLE_E_ADVISENOTSUPPORTED);
  EXPECT_EQ(advises, nullptr);
}

// Enumerates every entry of a fresh enumerator of the data object.
std::vector<FORMATETC> Listed(IDataObject& data) {
  TComPtr<IEnumFORMATETC> list;
  EXPECT_EQ(data.EnumFormatEtc(DATADIR_GET, list.Receive()), S_OK);
  std::vector<FORMATETC> entries(6);
  ULONG fetched = 0;
  list->Next(6, entries.data(), &fetched);
  entries.resize(fetched);
  return entries;
}

TEST_F(SourceDataObjectTest, EnumeratorListsTheTextFormatsAndTheColumnOnlyForAColumnDrag) {
  const auto entry = [](CLIPFORMAT cf) { return FORMATETC{cf, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL}; };
  TComPtr<IDataObject> text(new TSourceDataObject("abc", "", -1));
  EXPECT_EQ(Listed(*text), (std::vector<FORMATETC>{entry(CF_TEXT), entry(CF_UNICODETEXT), entry(RichTextFormat())}));
  TComPtr<IDataObject> column(new TSourceDataObject("", "", 0));
  EXPECT_EQ(Listed(*column), (std::vector<FORMATETC>{entry(CF_TEXT), entry(CF_UNICODETEXT), entry(RichTextFormat()),
                                                     entry(GridColumnFormat())}));
}

TEST_F(SourceDataObjectTest, NextSkipResetAndCloneFollowThePosition) {
  TComPtr<TSourceEnumFormatEtc> list(new TSourceEnumFormatEtc);
  FORMATETC entries[5];
  ULONG fetched = 99;
  EXPECT_EQ(list->Next(5, entries, &fetched), S_FALSE);
  EXPECT_EQ(fetched, 3u);
  EXPECT_EQ(list->Next(1, entries, &fetched), S_FALSE);
  EXPECT_EQ(fetched, 0u);
  EXPECT_EQ(list->Reset(), S_OK);
  EXPECT_EQ(list->Next(1, entries, &fetched), S_OK);
  EXPECT_EQ(entries[0].cfFormat, CF_TEXT);

  EXPECT_EQ(list->Skip(1), S_OK);
  TComPtr<IEnumFORMATETC> clone;
  ASSERT_EQ(list->Clone(clone.Receive()), S_OK);
  EXPECT_EQ(static_cast<TSourceEnumFormatEtc*>(clone.Get())->Position, 2);
  EXPECT_EQ(clone->Next(1, entries, nullptr), S_OK);
  EXPECT_EQ(entries[0].cfFormat, RichTextFormat());
  EXPECT_EQ(list->Position, 2);  // the clone moves on its own

  list->Reset();
  EXPECT_EQ(list->Skip(10), S_FALSE);
  EXPECT_EQ(list->Position, 3);
  TComPtr<TSourceEnumFormatEtc> withColumn(new TSourceEnumFormatEtc(0, true));
  EXPECT_EQ(withColumn->Skip(10), S_FALSE);
  EXPECT_EQ(withColumn->Position, 4);
  EXPECT_EQ(withColumn->Skip(0xFFFFFFFFu), S_FALSE);
  EXPECT_EQ(withColumn->Position, 4);
}

}  // namespace
