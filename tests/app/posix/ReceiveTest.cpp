// Received characters through the real serial component on a pseudo-terminal.
#include <gtest/gtest.h>

#include "app/posix/SensorSupport.h"

namespace {

using ReceiveTest = TSensorWindowTest;

TEST_F(ReceiveTest, FrameSplitOverSeveralEventsIsAssembled) {
  TDeadline deadline(10000, "ReceiveTest");
  TSensorPlayer& sensor = OpenOnSensor();
  sensor.Send({0x82, 0xFF, 0x03});
  ASSERT_TRUE(PumpUntil([] { return Link.FrameState == 3; }, 2000));
  sensor.Send({0x32, 0x68});
  ASSERT_TRUE(PumpUntil([] { return Link.FrameState == 5; }, 2000));
  sensor.Send({0x01, 0x02});
  ASSERT_TRUE(PumpUntil([] { return Link.FrameState == 0; }, 2000));
  EXPECT_EQ(Link.FrameType, 0x32);
  EXPECT_EQ(uint16_t(StoredInt16(0)), 360);
}

TEST_F(ReceiveTest, OnlyAnAcknowledgementAsTheLastFrameCountsAsOne) {
  TDeadline deadline(10000, "ReceiveTest");
  TSensorPlayer& sensor = OpenOnSensor();
  sensor.Send(AckBytes);
  ASSERT_TRUE(PumpUntil([] { return Link.AckReceived; }, 2000));

  // An acknowledgement followed by any frame in the same read: the later frame wins.
  sensor.Send(Concat({AckBytes, {0x82, 0xFF, 0x01, 0x41, 0x00, 0x00}}));
  ASSERT_TRUE(PumpUntil([] { return Link.FrameType == 0x41; }, 2000));
  EXPECT_FALSE(Link.AckReceived);
}

TEST_F(ReceiveTest, MoreBytesThanTheBufferAreReadInPiecesInOrder) {
  TDeadline deadline(10000, "ReceiveTest");
  TSensorPlayer& sensor = OpenOnSensor();
  int largestCount = 0;
  FForm->VaComm1->OnRxChar = [&](TObject* Sender, int Count) {
    largestCount = std::max(largestCount, Count);
    FForm->VaComm1RxChar(Sender, Count);
  };
  // 430 heading frames, headings 0..429, land while the loop is not running, so that one
  // event announces them all.
  TBytes all;
  for (int h = 0; h < 430; ++h) all = Concat({all, {0x82, 0xFF, 0x03, 0x32, uint8_t(h), uint8_t(h >> 8), 0x01}});
  sensor.Send(all);
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  ASSERT_TRUE(PumpUntil([] { return Link.FrameType == 0x32 && StoredInt16(0) == 429; }, 3000))
      << "bytes were lost or read out of order";
  EXPECT_GT(largestCount, 1001);
  EXPECT_EQ(Link.FrameState, 0);
}

}  // namespace
