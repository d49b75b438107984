#include "platform/FeedFrame.h"

#include "tests/support/ParamPrinting.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace {

using orlex::TFeedDecoder;
using orlex::TFeedRequest;

std::string Header(uint32_t msg, uint32_t data, uint32_t length) {
  std::string out = orlex::EncodeFeedRequest(msg, data, "");
  out[8] = static_cast<char>(length & 0xFF);
  out[9] = static_cast<char>((length >> 8) & 0xFF);
  out[10] = static_cast<char>((length >> 16) & 0xFF);
  out[11] = static_cast<char>((length >> 24) & 0xFF);
  return out;
}

std::string Frame(uint32_t msg, uint32_t data, const std::string& payload) {
  return orlex::EncodeFeedRequest(msg, data, payload);
}

const std::string kInit("2;k1;d1;1;k2;d2;2;\0", 19);
const std::string kValues("k1,1500;\0", 9);

struct DecodeCase {
  const char* name;
  std::string stream;
  std::vector<TFeedRequest> expected;
  bool oversized;
  size_t leftOver;  // bytes still buffered at the end
};

// Readable test names in listings.
void PrintTo(const DecodeCase& c, std::ostream* os) { *os << c.name; }

std::vector<DecodeCase> DecodeCases() {
  const std::string twoFrames = Frame(0x4A, 0, kInit) + Frame(0x4A, 1, kValues);
  return {
      {"OneFrame", Frame(0x4A, 0, kInit), {{0x4A, 0, kInit}}, false, 0},
      {"TwoFramesInOneRead", twoFrames, {{0x4A, 0, kInit}, {0x4A, 1, kValues}}, false, 0},
      {"FrameAndHalfOfTheNext", twoFrames.substr(0, twoFrames.size() - 3), {{0x4A, 0, kInit}}, false,
       12 + kValues.size() - 3},
      {"HalfHeader", Frame(0x464, 0, "").substr(0, 7), {}, false, 7},
      {"EmptyPayload", Frame(0x466, 9, ""), {{0x466, 9, ""}}, false, 0},
      {"FieldsAreLittleEndian", std::string("\x4A\0\0\0\x01\x02\x03\x04\x01\0\0\0z", 13),
       {{0x4A, 0x04030201, "z"}}, false, 0},
      {"OversizedClosesAtItsHeader", Header(0x4A, 0, orlex::kFeedMaxPayload + 1) + "junk", {}, true, 0},
      {"FramesBeforeAnOversizedHeaderStillCome", Frame(0x464, 0, "") + Header(0x4A, 1, 0xFFFFFFFF),
       {{0x464, 0, ""}}, true, 0},
      {"NothingAfterAnOversizedHeader", Header(0x4A, 1, 0x80000000) + Frame(0x464, 0, ""), {}, true, 0},
  };
}

// Every case is fed whole, byte by byte, and in odd chunk sizes; the outcome must not depend on how
// the bytes arrived.
class FeedDecoderSplits : public testing::TestWithParam<std::tuple<DecodeCase, size_t>> {};

TEST_P(FeedDecoderSplits, YieldsTheSameRequestsHoweverTheBytesArrive) {
  const auto& [c, chunk] = GetParam();
  TFeedDecoder decoder;
  std::vector<TFeedRequest> got;
  for (size_t at = 0; at < c.stream.size(); at += chunk) {
    decoder.Append(c.stream.substr(at, chunk));
    TFeedRequest request;
    while (decoder.Next(request)) got.push_back(request);
  }
  ASSERT_EQ(got.size(), c.expected.size());
  for (size_t i = 0; i < got.size(); ++i) {
    EXPECT_EQ(got[i].msg, c.expected[i].msg) << i;
    EXPECT_EQ(got[i].data, c.expected[i].data) << i;
    EXPECT_EQ(got[i].payload, c.expected[i].payload) << i;
  }
  EXPECT_EQ(decoder.Oversized(), c.oversized);
  EXPECT_EQ(decoder.Buffered(), c.leftOver);
  EXPECT_FALSE(decoder.Ready());
}

INSTANTIATE_TEST_SUITE_P(Cases, FeedDecoderSplits,
                         testing::Combine(testing::ValuesIn(DecodeCases()), testing::Values(100000, 1, 5, 13)),
                         [](const auto& info) {
                           return std::string(std::get<0>(info.param).name) + "_chunk" +
                                  std::to_string(std::get<1>(info.param));
                         });

TEST(FeedDecoder, TakesExactlySixteenMebibytesAndRefusesOneByteMore) {
  const std::string limit(orlex::kFeedMaxPayload, 'v');
  TFeedDecoder accepts;
  accepts.Append(Frame(0x4A, 1, limit));
  TFeedRequest request;
  ASSERT_TRUE(accepts.Next(request));
  EXPECT_EQ(request.payload.size(), orlex::kFeedMaxPayload);
  EXPECT_FALSE(accepts.Oversized());

  TFeedDecoder refuses;
  refuses.Append(Header(0x4A, 1, orlex::kFeedMaxPayload + 1));
  refuses.Append(limit);
  EXPECT_FALSE(refuses.Next(request));
  EXPECT_TRUE(refuses.Oversized());
  EXPECT_EQ(refuses.Buffered(), 0u) << "a spoiled stream must not keep what follows";

  EXPECT_THROW(orlex::EncodeFeedRequest(0x4A, 1, limit + "x"), std::length_error);
}

TEST(FeedDecoder, ManySmallFramesKeepTheirOrderAcrossBufferCompaction) {
  // Enough frames, taken out as they complete, for the consumed prefix to be dropped several times.
  TFeedDecoder decoder;
  uint32_t next = 0;
  for (uint32_t i = 0; i < 50000; ++i) {
    const std::string frame = Frame(0x4A, i, "k1,1500;");
    decoder.Append(frame.substr(0, 5));
    decoder.Append(frame.substr(5));
    TFeedRequest request;
    if (i % 7 == 0) {  // take out in bursts, so unconsumed frames sit behind the consumed ones
      while (decoder.Next(request)) ASSERT_EQ(request.data, next++);
    }
  }
  TFeedRequest request;
  while (decoder.Next(request)) ASSERT_EQ(request.data, next++);
  EXPECT_EQ(next, 50000u);
  EXPECT_EQ(decoder.Buffered(), 0u);
}

struct TextCase {
  std::string payload;
  std::string text;
};

// Readable test names in listings.
void PrintTo(const TextCase& c, std::ostream* os) { *os << "'" << c.text << "'"; }

class FeedPayloadText : public testing::TestWithParam<TextCase> {};

TEST_P(FeedPayloadText, IsThePayloadUpToItsFirstNul) {
  EXPECT_EQ(orlex::FeedPayloadText(GetParam().payload), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Cases, FeedPayloadText,
                         testing::Values(TextCase{"k1,1500;", "k1,1500;"},
                                         TextCase{std::string("k1,1500;\0", 9), "k1,1500;"},
                                         TextCase{std::string("ab\0cd\0", 6), "ab"},
                                         TextCase{std::string("\0ab", 3), ""}, TextCase{"", ""}),
                         orlex::test::CaseName);

TEST(FeedFrameEncoding, HeaderAndReplyBytesAreLittleEndian) {
  EXPECT_EQ(Frame(0x466, 0x01020304, "ab"), std::string("\x66\x04\0\0\x04\x03\x02\x01\x02\0\0\0ab", 14));
  const auto minusTwo = orlex::EncodeFeedReply(-2);
  EXPECT_EQ(std::string(minusTwo.data(), 4), "\xFE\xFF\xFF\xFF");
  const auto one = orlex::EncodeFeedReply(1);
  EXPECT_EQ(std::string(one.data(), 4), std::string("\x01\0\0\0", 4));
  for (int32_t value : {0, 1, -1, 0x7FFFFFFF, INT32_MIN}) {
    EXPECT_EQ(orlex::DecodeFeedReply(orlex::EncodeFeedReply(value).data()), value);
  }
}

}  // namespace
