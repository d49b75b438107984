#include "grid/transfer/OleMimeData.h"

#include <gtest/gtest.h>

#include <QUrl>
#include <memory>
#include <string>
#include <vector>

#include "grid/transfer/core/EnumFormats.h"
#include "grid/transfer/core/OleDropTarget.h"
#include "grid/transfer/core/SourceDataObject.h"
#include "grid/transfer/core/TransferFormats.h"
#include "platform/ole/ClipboardFormats.h"
#include "platform/ole/GlobalMemory.h"

#include "tests/support/ParamPrinting.h"

namespace {

using namespace orlex;
using namespace orlex::grid;

class TTextTarget final : public TOleDropTarget {
 public:
  std::vector<std::string> log;

 protected:
  void TextDropped(POINTL, const std::string& text) override { log.push_back("text " + text); }
  void ColumnDropped(POINTL, std::int32_t column) override { log.push_back("column " + std::to_string(column)); }
  void FilesDropped(POINTL, const std::vector<std::string>& names) override {
    for (const auto& name : names) log.push_back("file " + name);
  }
  void UrlDropped(POINTL, const std::string& url) override { log.push_back("url " + url); }
};

// Enters and drops the QMimeData on a target the way a widget's drag events would.
std::vector<std::string> DropOn(TTextTarget& target, const QMimeData& mime) {
  TComPtr<IDataObject> data(new TMimeDataObject(&mime));
  DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
  EXPECT_EQ(target.DragEnter(data.Get(), MK_LBUTTON, {}, &effect), S_OK);
  effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
  EXPECT_EQ(target.Drop(data.Get(), 0, {}, &effect), S_OK);
  return target.log;
}

TEST(OleMimeDataTest, OurTextDragSurvivesTheDataObjectAndReadsBackThroughTheAdapter) {
  std::unique_ptr<TOleMimeData> mime;
  {
    TComPtr<IDataObject> data(new TSourceDataObject("a\tb\r\n\xB0" "C", "a", -1));
    mime = std::make_unique<TOleMimeData>(data.Get());
  }  // the data object is freed: the drag's data now lives in the snapshot
  EXPECT_EQ(mime->formats(), QStringList{"text/plain"});
  EXPECT_EQ(mime->text(), QString::fromUtf8("a\tb\r\n\u00B0C"));
  EXPECT_EQ(mime->data("text/plain"), QByteArray("a\tb\r\n\xC2\xB0" "C"));

  TComPtr<IDataObject> back(new TMimeDataObject(mime.get()));
  TEnumFormats reader(back.Get());
  EXPECT_EQ(reader.Text(CF_TEXT), "a\tb\r\n\xC2\xB0" "C");
  EXPECT_FALSE(reader.HasFormat(RichTextFormat()));  // rich text is off
  TComPtr<TTextTarget> target(new TTextTarget);
  EXPECT_EQ(DropOn(*target, *mime), (std::vector<std::string>{"text a\tb\r\n\xC2\xB0" "C"}));
}

TEST(OleMimeDataTest, AColumnDragOffersOnlyTheColumn) {
  TComPtr<IDataObject> data(new TSourceDataObject("", "", 3));
  TOleMimeData mime(data.Get());
  EXPECT_EQ(mime.formats(), QStringList{"application/x-orlexgauges-grid-column"});
  TComPtr<TTextTarget> target(new TTextTarget);
  target->AcceptsColumns = true;
  EXPECT_EQ(DropOn(*target, mime), (std::vector<std::string>{"column 3"}));
}

TEST(OleMimeDataTest, RichTextTravelsAsTextRtfWhileEnabled) {
  SetRtfDropEnabled(true);
  TComPtr<IDataObject> data(new TSourceDataObject("x", "{\\rtf1 x}", -1));
  TOleMimeData mime(data.Get());
  SetRtfDropEnabled(false);
  EXPECT_EQ(mime.formats(), (QStringList{"text/plain", "text/rtf"}));
  EXPECT_EQ(mime.data("text/rtf"), QByteArray("{\\rtf1 x}"));
  TComPtr<IDataObject> back(new TMimeDataObject(&mime));
  EXPECT_EQ(TEnumFormats(back.Get()).Text(RichTextFormat()), "{\\rtf1 x}");
}

struct TForeignCase {
  const char* name;
  QString text;       // empty: no text/plain
  QList<QUrl> urls;   // empty: no text/uri-list
  std::vector<std::string> delivered;
};

void PrintTo(const TForeignCase& c, std::ostream* os) { orlex::test::PrintFields(c, os); }

class ForeignDragTest : public testing::TestWithParam<TForeignCase> {};

TEST_P(ForeignDragTest, ReadsAsTheFormatsAWindowsApplicationWouldOffer) {
  QMimeData mime;
  if (!GetParam().text.isEmpty()) mime.setText(GetParam().text);
  if (!GetParam().urls.isEmpty()) mime.setUrls(GetParam().urls);
  TComPtr<TTextTarget> target(new TTextTarget);
  EXPECT_EQ(DropOn(*target, mime), GetParam().delivered);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ForeignDragTest,
    testing::Values(
        TForeignCase{"browser_link", "http://h/p", {QUrl("http://h/p")}, {"text http://h/p", "url http://h/p"}},
        TForeignCase{"link_without_text", "", {QUrl("http://h/p")}, {"text http://h/p", "url http://h/p"}},
        TForeignCase{"file_manager",
                     "",
                     {QUrl::fromLocalFile("/tmp/a b.csv"), QUrl::fromLocalFile(QString::fromUtf8("/tmp/\u00E9"))},
                     {"file /tmp/a b.csv", "file /tmp/\xC3\xA9"}},
        TForeignCase{"plain_text", QString::fromUtf8("\u00B0C"), {}, {"text \xC2\xB0" "C"}}),
    [](const testing::TestParamInfo<TForeignCase>& info) { return std::string(info.param.name); });

TEST(OleMimeDataTest, RegisteredNamesTravelUnderTheirEncodedMimeType) {
  const CLIPFORMAT cells = RegisterClipboardFormat("TCellGrid Cells");
  QMimeData mime;
  mime.setData("application/x-orlexgauges-TCellGrid_20Cells", QByteArray("\x01\x00\x02", 3));
  mime.setData("application/x-something-else", "ignored");
  TComPtr<TMimeDataObject> data(new TMimeDataObject(&mime));
  EXPECT_EQ(data->Formats(), std::vector<CLIPFORMAT>{cells});
  TEnumFormats reader(data.Get());
  ASSERT_TRUE(reader.HasFormat(cells));
  STGMEDIUM medium;
  ASSERT_TRUE(reader.GetGlobal(TYMED_HGLOBAL, medium));
  EXPECT_EQ(GlobalSize(medium.hGlobal), 3u);
  ReleaseStgMedium(&medium);

  TOleMimeData again(data.Get());
  EXPECT_EQ(again.formats(), QStringList{"application/x-orlexgauges-TCellGrid_20Cells"});
  EXPECT_EQ(again.data("application/x-orlexgauges-TCellGrid_20Cells"), QByteArray("\x01\x00\x02", 3));
}

TEST(OleMimeDataTest, OnceTheQtDataIsGoneNothingCanBeRead) {
  auto mime = std::make_unique<QMimeData>();
  mime->setText("a");
  TComPtr<IDataObject> data(new TMimeDataObject(mime.get()));
  mime.reset();
  const FORMATETC text{CF_TEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  STGMEDIUM medium;
  EXPECT_EQ(data->QueryGetData(&text), DV_E_FORMATETC);
  EXPECT_EQ(data->GetData(&text, &medium), DV_E_FORMATETC);
  EXPECT_EQ(TEnumFormats(data.Get()).Text(CF_TEXT), "");
}

}  // namespace
