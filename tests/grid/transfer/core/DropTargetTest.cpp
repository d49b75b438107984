#include "grid/transfer/core/OleDropTarget.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "tests/grid/transfer/FakeDataObject.h"
#include "grid/transfer/core/TransferFormats.h"

#include "tests/support/ParamPrinting.h"

namespace {

using namespace orlex;
using namespace orlex::grid;
using orlex::grid::test::TFakeDataObject;
using orlex::grid::test::Z;

class TRecordingTarget final : public TOleDropTarget {
 public:
  std::vector<std::string> log;
  bool refuseMove = false;
  bool throwOnText = false;

 protected:
  void TextDropped(POINTL p, const std::string& text) override {
    if (throwOnText) throw std::runtime_error("Grid index out of range");
    log.push_back("text " + text + At(p));
  }
  void ColumnDropped(POINTL, std::int32_t column) override { log.push_back("column " + std::to_string(column)); }
  void RtfDropped(POINTL, const std::string& rich) override { log.push_back("rtf " + rich); }
  void FilesDropped(POINTL, const std::vector<std::string>& names) override {
    std::string joined = "files";
    for (const auto& name : names) joined += " " + name;
    log.push_back(joined);
  }
  void UrlDropped(POINTL, const std::string& url) override { log.push_back("url " + url); }
  void DragMoving(POINTL, bool& allow, TDropFormats offered) override {
    log.push_back("moving " + std::to_string(allow) + " " + std::to_string(offered));
    if (refuseMove) allow = false;
  }
  void DragEntering() override { log.push_back("entering"); }
  void DragLeaving() override { log.push_back("leaving"); }

 private:
  static std::string At(POINTL p) { return " @" + std::to_string(p.x) + "," + std::to_string(p.y); }
};

// A DROPFILES block with narrow names.
std::string DropFiles(const std::vector<std::string>& names) {
  std::string block(20, '\0');
  block[0] = 20;
  for (const auto& name : names) block += Z(name);
  return block + std::string(1, '\0');
}

class DropTargetTest : public testing::Test {
 protected:
  void SetUp() override { RegisterTransferFormats(); }
  void TearDown() override { SetRtfDropEnabled(false); }

  // Enters, hovers once and drops; returns the effects of the three steps.
  std::vector<DWORD> EnterOverDrop(TRecordingTarget& target, TFakeDataObject* data, DWORD keys = MK_LBUTTON,
                                   DWORD allowed = DROPEFFECT_COPY | DROPEFFECT_MOVE) {
    TComPtr<IDataObject> held(data);
    std::vector<DWORD> effects;
    DWORD effect = allowed;
    EXPECT_EQ(target.DragEnter(held.Get(), keys, {5, 6}, &effect), S_OK);
    effects.push_back(effect);
    effect = allowed;
    EXPECT_EQ(target.DragOver(keys, {5, 6}, &effect), S_OK);
    effects.push_back(effect);
    effect = allowed;
    EXPECT_EQ(target.Drop(held.Get(), keys, {5, 6}, &effect), S_OK);
    effects.push_back(effect);
    return effects;
  }
};

TEST_F(DropTargetTest, TextAndFilesToATargetThatRefusesFilesIsAcceptedAndDeliversBoth) {
  TComPtr<TRecordingTarget> target(new TRecordingTarget);
  target->AcceptsFiles = false;
  const auto effects = EnterOverDrop(*target, new TFakeDataObject({{CF_TEXT, Z("a")}, {CF_HDROP, DropFiles({"/t/x.csv"})}}));
  EXPECT_TRUE(target->EnterAccepted);
  EXPECT_EQ(target->OfferedFormats, dfText | dfFiles);
  EXPECT_EQ(effects, (std::vector<DWORD>{DROPEFFECT_MOVE, DROPEFFECT_MOVE, DROPEFFECT_MOVE}));
  EXPECT_EQ(target->log, (std::vector<std::string>{"entering", "moving 1 3", "text a @5,6", "files /t/x.csv"}));
}

TEST_F(DropTargetTest, UrlDragDeliversTheTextThenTheUrlWithTheSameText) {
  TComPtr<TRecordingTarget> target(new TRecordingTarget);
  EnterOverDrop(*target, new TFakeDataObject({{UrlFormat(), "x"}, {CF_TEXT, Z("http://h/p")}}));
  EXPECT_EQ(target->OfferedFormats, dfText | dfURL);
  EXPECT_EQ(target->log, (std::vector<std::string>{"entering", "moving 1 17", "text http://h/p @5,6", "url http://h/p"}));
}

TEST_F(DropTargetTest, FilesAloneToATargetThatRefusesFilesAreNotAcceptedAndNothingIsDelivered) {
  TComPtr<TRecordingTarget> target(new TRecordingTarget);
  target->AcceptsFiles = false;
  const auto effects = EnterOverDrop(*target, new TFakeDataObject({{CF_HDROP, DropFiles({"/t/x"})}}));
  EXPECT_FALSE(target->EnterAccepted);
  EXPECT_EQ(effects, (std::vector<DWORD>{DROPEFFECT_NONE, DROPEFFECT_NONE, DROPEFFECT_NONE}));
  // The hover still asks the hook, with Allow false.
  EXPECT_EQ(target->log, (std::vector<std::string>{"entering", "moving 0 2"}));
}

TEST_F(DropTargetTest, AColumnIsDeliveredAloneAndRichTextOnlyWhileEnabled) {
  TComPtr<TRecordingTarget> columns(new TRecordingTarget);
  columns->AcceptsColumns = true;
  EnterOverDrop(*columns, new TFakeDataObject({{CF_TEXT, Z("t")}, {GridColumnFormat(), std::string("\x05\0\0\0", 4)}}));
  EXPECT_EQ(columns->log.back(), "column 5");
  EXPECT_EQ(columns->log.size(), 3u);

  TComPtr<TRecordingTarget> plain(new TRecordingTarget);
  EnterOverDrop(*plain, new TFakeDataObject({{CF_TEXT, Z("t")}, {RichTextFormat(), Z("{\\rtf1 t}")}}));
  EXPECT_EQ(plain->OfferedFormats, dfText | dfRichText);
  EXPECT_EQ(plain->log.back(), "text t @5,6");

  SetRtfDropEnabled(true);
  TComPtr<TRecordingTarget> rich(new TRecordingTarget);
  EnterOverDrop(*rich, new TFakeDataObject({{CF_TEXT, Z("t")}, {RichTextFormat(), Z("{\\rtf1 t}")}}));
  EXPECT_EQ(rich->log.back(), "rtf {\\rtf1 t}");
}

struct TEffectCase {
  const char* name;
  DWORD keys;
  DWORD allowed;
  DWORD expected;
};

void PrintTo(const TEffectCase& c, std::ostream* os) { orlex::test::PrintFields(c, os); }

class EffectRuleTest : public testing::TestWithParam<TEffectCase> {};

TEST_P(EffectRuleTest, CtrlCopiesElseMoveWhenAllowedElseCopy) {
  EXPECT_EQ(DropEffectFor(GetParam().keys, GetParam().allowed), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EffectRuleTest,
    testing::Values(TEffectCase{"plain_move", MK_LBUTTON, DROPEFFECT_COPY | DROPEFFECT_MOVE, DROPEFFECT_MOVE},
                    TEffectCase{"ctrl", MK_LBUTTON | MK_CONTROL, DROPEFFECT_COPY | DROPEFFECT_MOVE, DROPEFFECT_COPY},
                    TEffectCase{"ctrl_move_only", MK_CONTROL, DROPEFFECT_MOVE, DROPEFFECT_COPY},
                    TEffectCase{"shift_alt_ignored", MK_SHIFT | MK_ALT, DROPEFFECT_MOVE, DROPEFFECT_MOVE},
                    TEffectCase{"copy_only", MK_LBUTTON, DROPEFFECT_COPY, DROPEFFECT_COPY},
                    TEffectCase{"neither_allowed", MK_LBUTTON, DROPEFFECT_LINK, DROPEFFECT_COPY}),
    [](const testing::TestParamInfo<TEffectCase>& info) { return std::string(info.param.name); });

TEST_F(DropTargetTest, HoverRefusedByTheHookAnswersNone) {
  TComPtr<TRecordingTarget> target(new TRecordingTarget);
  target->refuseMove = true;
  const auto effects = EnterOverDrop(*target, new TFakeDataObject({{CF_TEXT, Z("a")}}));
  EXPECT_EQ(effects[1], DROPEFFECT_NONE);
  EXPECT_EQ(effects[2], DROPEFFECT_MOVE);  // the drop itself answers with the key rule
  EXPECT_EQ(target->DragLeave(), S_OK);
  EXPECT_EQ(target->log.back(), "leaving");
}

TEST_F(DropTargetTest, ADataObjectThatCannotEnumerateOffersNothing) {
  TComPtr<TRecordingTarget> target(new TRecordingTarget);
  const auto effects = EnterOverDrop(*target, new TFakeDataObject({{CF_TEXT, Z("a")}}, /*canEnumerate=*/false));
  EXPECT_FALSE(target->EnterAccepted);
  EXPECT_EQ(target->OfferedFormats, 0);
  EXPECT_EQ(effects, (std::vector<DWORD>{DROPEFFECT_NONE, DROPEFFECT_NONE, DROPEFFECT_NONE}));

  DWORD effect = DROPEFFECT_MOVE;
  EXPECT_EQ(target->DragEnter(nullptr, 0, {}, &effect), S_OK);
  EXPECT_EQ(effect, DROPEFFECT_NONE);
}

TEST_F(DropTargetTest, AHookThatFailsDoesNotCrossTheInterfaceAndTheDropReportsNone) {
  TComPtr<TRecordingTarget> target(new TRecordingTarget);
  target->throwOnText = true;
  TComPtr<IDataObject> data(new TFakeDataObject({{CF_TEXT, Z("a")}}));
  DWORD effect = DROPEFFECT_MOVE;
  ASSERT_EQ(target->DragEnter(data.Get(), MK_LBUTTON, {}, &effect), S_OK);
  effect = DROPEFFECT_MOVE;
  EXPECT_EQ(target->Drop(data.Get(), 0, {}, &effect), E_UNEXPECTED);
  EXPECT_EQ(effect, DROPEFFECT_NONE);
}

}  // namespace
