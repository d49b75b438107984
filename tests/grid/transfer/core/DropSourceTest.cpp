#include "grid/transfer/core/OleDropSource.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "grid/transfer/core/EnumFormats.h"
#include "grid/transfer/core/TransferFormats.h"
#include "platform/ole/DragDropLoop.h"

#include "tests/support/ParamPrinting.h"

namespace {

using namespace orlex;
using namespace orlex::grid;

class TRecordingSource final : public TOleDropSource {
 public:
  explicit TRecordingSource(std::vector<std::string>& log) : log_(log) {}
  ~TRecordingSource() override { log_.push_back("freed"); }

 protected:
  void ButtonReleased() override { log_.push_back("released"); }
  void FeedbackGiven(DWORD effect) override { log_.push_back("feedback " + std::to_string(effect)); }
  void DragPolled() override { log_.push_back("polled"); }

 private:
  std::vector<std::string>& log_;
};

struct TContinueCase {
  const char* name;
  bool escape;
  DWORD keyState;
  HRESULT expected;
  std::vector<std::string> log;
};

void PrintTo(const TContinueCase& c, std::ostream* os) { orlex::test::PrintFields(c, os); }

class QueryContinueDragTest : public testing::TestWithParam<TContinueCase> {};

TEST_P(QueryContinueDragTest, EscapeCancelsAReleasedButtonDropsAndPollingComesLast) {
  std::vector<std::string> log;
  TComPtr<TOleDropSource> source(new TRecordingSource(log));
  EXPECT_EQ(source->QueryContinueDrag(GetParam().escape, GetParam().keyState), GetParam().expected);
  EXPECT_EQ(log, GetParam().log);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, QueryContinueDragTest,
    testing::Values(TContinueCase{"button_held", false, MK_LBUTTON, S_OK, {"polled"}},
                    TContinueCase{"button_held_with_ctrl", false, MK_LBUTTON | MK_CONTROL, S_OK, {"polled"}},
                    TContinueCase{"button_released", false, MK_RBUTTON, DRAGDROP_S_DROP, {"released", "polled"}},
                    TContinueCase{"escape", true, MK_LBUTTON, DRAGDROP_S_CANCEL, {"polled"}},
                    TContinueCase{"escape_after_release", true, 0, DRAGDROP_S_CANCEL, {"polled"}}),
    [](const testing::TestParamInfo<TContinueCase>& info) { return std::string(info.param.name); });

// Installs a drag loop for one test.
class TLoopScope {
 public:
  explicit TLoopScope(TDragDropLoop loop) : previous_(SetDragDropLoop(std::move(loop))) {}
  ~TLoopScope() { SetDragDropLoop(std::move(previous_)); }

 private:
  TDragDropLoop previous_;
};

TEST(DropSourceTest, FeedbackRecordsTheNoneEffectAndLeavesTheCursorsToThePlatform) {
  std::vector<std::string> log;
  TComPtr<TOleDropSource> source(new TRecordingSource(log));
  EXPECT_EQ(source->GiveFeedback(DROPEFFECT_NONE), DRAGDROP_S_USEDEFAULTCURSORS);
  EXPECT_TRUE(source->LastFeedbackNone);
  EXPECT_EQ(source->GiveFeedback(DROPEFFECT_MOVE), DRAGDROP_S_USEDEFAULTCURSORS);
  EXPECT_FALSE(source->LastFeedbackNone);
  EXPECT_EQ(log, (std::vector<std::string>{"feedback 0", "feedback 2"}));
}

TEST(DropSourceTest, TextDragCarriesItsTextsAndFreesDataObjectAndSourceOnReturn) {
  std::vector<std::string> log;
  std::string carried;
  TLoopScope loop([&](IDataObject* data, IDropSource* source, DWORD allowed, DWORD* effect) {
    TEnumFormats reader(data);
    carried = reader.Text(CF_TEXT);
    EXPECT_EQ(reader.Integer(GridColumnFormat()), -1);
    EXPECT_EQ(allowed, DROPEFFECT_COPY | DROPEFFECT_MOVE);
    source->GiveFeedback(DROPEFFECT_MOVE);
    *effect = DROPEFFECT_MOVE;
    return source->QueryContinueDrag(false, 0);
  });
  auto* source = new TRecordingSource(log);  // as the grid makes one per drag: nothing else holds it
  DWORD effect = 0;
  EXPECT_EQ(source->BeginTextDrag("a\tb", "a", DROPEFFECT_COPY | DROPEFFECT_MOVE, &effect), DRAGDROP_S_DROP);
  EXPECT_EQ(effect, DROPEFFECT_MOVE);
  EXPECT_EQ(carried, "a\tb");
  EXPECT_EQ(log.back(), "freed");
}

TEST(DropSourceTest, ADragWhoseLastFeedbackWasNoneIsCancelledWhateverTheLoopSays) {
  std::vector<std::string> log;
  TLoopScope loop([](IDataObject*, IDropSource* source, DWORD, DWORD* effect) {
    source->GiveFeedback(DROPEFFECT_NONE);
    *effect = DROPEFFECT_NONE;
    return DRAGDROP_S_DROP;
  });
  TComPtr<TOleDropSource> source(new TRecordingSource(log));  // held here: survives the drag
  DWORD effect = 7;
  EXPECT_EQ(source->BeginTextDrag("x", "x", DROPEFFECT_COPY, &effect), DRAGDROP_S_CANCEL);
  EXPECT_EQ(source->RefCount(), 1u);
}

TEST(DropSourceTest, ColumnDragCarriesTheColumnAndNoText) {
  std::int32_t column = 0;
  std::string text = "unset";
  TLoopScope loop([&](IDataObject* data, IDropSource*, DWORD, DWORD* effect) {
    TEnumFormats reader(data);
    column = reader.Integer(GridColumnFormat());
    text = reader.Text(CF_TEXT);
    *effect = DROPEFFECT_COPY;
    return DRAGDROP_S_DROP;
  });
  std::vector<std::string> log;
  DWORD effect = 0;
  EXPECT_EQ((new TRecordingSource(log))->BeginColumnDrag(3, DROPEFFECT_COPY, &effect), DRAGDROP_S_DROP);
  EXPECT_EQ(column, 3);
  EXPECT_EQ(text, "");  // listed, but not served
  EXPECT_EQ(log.back(), "freed");
}

TEST(DropSourceTest, WithoutADragLoopTheDragFailsAndFreesEverything) {
  TLoopScope loop(nullptr);
  std::vector<std::string> log;
  DWORD effect = 5;
  EXPECT_EQ((new TRecordingSource(log))->BeginTextDrag("x", "", DROPEFFECT_COPY, &effect), E_UNEXPECTED);
  EXPECT_EQ(effect, DROPEFFECT_NONE);
  EXPECT_EQ(log, (std::vector<std::string>{"freed"}));
}

}  // namespace
