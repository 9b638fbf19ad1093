// The receive machine on its own: bytes in, frame ends out.
#include <gtest/gtest.h>

#include <random>

#include "AppTestSupport.h"

namespace {

struct TFrameEnd {
  uint8_t Type;
  uint16_t Stored;
};

class FrameMachineTest : public ::testing::Test {
 protected:
  void SetUp() override { Link.Reset(); }

  std::vector<TFrameEnd> Feed(const TBytes& bytes) {
    std::vector<TFrameEnd> ends;
    for (uint8_t b : bytes) {
      if (!FrameMachine(b)) continue;
      EXPECT_EQ(Link.FrameState, 0) << "the frame end runs with the machine back in state 0";
      ends.push_back({Link.FrameType, Link.FrameIndex});
    }
    return ends;
  }
};

TEST_F(FrameMachineTest, SampleFramesEndWithTheirStoredBytes) {
  auto ends = Feed(AttitudeSample);
  ASSERT_EQ(ends.size(), 1u);
  EXPECT_EQ(ends[0].Type, 0x37);
  EXPECT_EQ(ends[0].Stored, 12) << "the byte after the type is not counted";
  EXPECT_EQ(StoredInt16(0), -5);
  EXPECT_EQ(StoredInt16(2), 10);
  EXPECT_EQ(Link.FrameData[9], 0x01);

  ends = Feed(HeadingSample);
  ASSERT_EQ(ends.size(), 1u);
  EXPECT_EQ(ends[0].Type, 0x32);
  EXPECT_EQ(ends[0].Stored, 3) << "heading frames have no uncounted byte";
  EXPECT_EQ(uint16_t(StoredInt16(0)), 360);
  EXPECT_EQ(Link.FrameData[2], 0x02);

  ends = Feed(AckBytes);
  ASSERT_EQ(ends.size(), 1u);
  EXPECT_EQ(ends[0].Type, 0x0A);
  EXPECT_EQ(ends[0].Stored, 1);
}

TEST_F(FrameMachineTest, SeveralFramesInOneFeedEndInOrder) {
  const auto ends = Feed(Concat({HeadingSample, AckBytes, {0x00, 0x83, 0x17}, AttitudeSample}));
  ASSERT_EQ(ends.size(), 3u) << "bytes between frames are hunted through";
  EXPECT_EQ(ends[0].Type, 0x32);
  EXPECT_EQ(ends[1].Type, 0x0A);
  EXPECT_EQ(ends[2].Type, 0x37);
}

TEST_F(FrameMachineTest, RejectedSyncByteIsNotTakenAsAStart) {
  // The second 82 is eaten as the byte that failed to be FF; FF then starts nothing.
  EXPECT_TRUE(Feed({0x82, 0x82, 0xFF, 0x01, 0x0A, 0x00, 0x00}).empty());
  EXPECT_EQ(Link.FrameState, 0);
  EXPECT_EQ(Feed(AckBytes).size(), 1u);
}

TEST_F(FrameMachineTest, LengthZeroStores256Bytes) {
  std::fill(std::begin(Link.FrameData), std::end(Link.FrameData), 0xEE);
  TBytes frame = {0x82, 0xFF, 0x00, 0x37, 0x99};
  for (int i = 0; i < 255; ++i) frame.push_back(uint8_t(i));
  EXPECT_TRUE(Feed(frame).empty()) << "255 stored bytes do not end it";
  const auto ends = Feed({0xAB});
  ASSERT_EQ(ends.size(), 1u);
  EXPECT_EQ(ends[0].Stored, 256);
  EXPECT_EQ(Link.FrameData[255], 0xAB);
  EXPECT_EQ(Link.FrameData[256], 0xEE);
}

TEST_F(FrameMachineTest, HeadingFrameWithLengthOneStores257Bytes) {
  std::fill(std::begin(Link.FrameData), std::end(Link.FrameData), 0xEE);
  TBytes frame = {0x82, 0xFF, 0x01, 0x32};
  for (int i = 0; i < 256; ++i) frame.push_back(uint8_t(i));
  EXPECT_TRUE(Feed(frame).empty());
  const auto ends = Feed({0xAB});
  ASSERT_EQ(ends.size(), 1u);
  EXPECT_EQ(ends[0].Stored, 257);
  EXPECT_EQ(Link.FrameData[256], 0xAB);
  EXPECT_EQ(Link.FrameData[257], 0xEE) << "nothing beyond position 256";
}

TEST_F(FrameMachineTest, ShortFrameLeavesWhatEarlierFramesStored) {
  Feed(AttitudeSample);
  const auto ends = Feed({0x82, 0xFF, 0x02, 0x37, 0x00, 0x07, 0x00});
  ASSERT_EQ(ends.size(), 1u);
  EXPECT_EQ(StoredInt16(0), 7);
  EXPECT_EQ(StoredInt16(2), 10) << "pitch of the earlier frame";
  EXPECT_EQ(Link.FrameData[9], 0x01) << "mode of the earlier frame";
}

TEST_F(FrameMachineTest, OtherTypesSkipTheUncountedByteAndStoreL) {
  const auto ends = Feed(Concat({{0x82, 0xFF, 0x02, 0x41, 0xAA, 0x11, 0x22}, AckBytes}));
  ASSERT_EQ(ends.size(), 2u);
  EXPECT_EQ(ends[0].Type, 0x41);
  EXPECT_EQ(ends[0].Stored, 2);
  EXPECT_EQ(ends[1].Type, 0x0A) << "the next frame follows at once";
}

// Whatever arrives, the machine stays in its six states and never stores past 256.
TEST_F(FrameMachineTest, RandomLineNoiseNeverStoresBeyond256) {
  std::fill(std::begin(Link.FrameData), std::end(Link.FrameData), 0xEE);
  std::mt19937 random(20240611);
  std::uniform_int_distribution<int> byte(0, 255);
  std::bernoulli_distribution sync(0.05);
  int ends = 0;
  for (int i = 0; i < 200000; ++i) {
    const uint8_t b = sync(random) ? 0x82 : (sync(random) ? 0xFF : uint8_t(byte(random)));
    if (FrameMachine(b)) {
      ++ends;
      ASSERT_GE(Link.FrameIndex, 1);
      ASSERT_LE(Link.FrameIndex, 257);
    }
    ASSERT_LE(Link.FrameState, 5);
  }
  EXPECT_GT(ends, 100);
  for (size_t i = 257; i < sizeof Link.FrameData; ++i) ASSERT_EQ(Link.FrameData[i], 0xEE) << i;
}

}  // namespace
