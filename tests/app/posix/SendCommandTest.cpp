// The start command over a real port, with the test playing the sensors.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>

#include "app/posix/SensorSupport.h"
#include "platform/rtl/Exception.h"
#include "support/WaitUntil.h"

namespace {

using SendCommandTest = TSensorWindowTest;

void PutStartPayload() {
  Link.CommandFrame[3] = 0x35;
  Link.CommandFrame[4] = 0x06;
  Link.CommandFrame[5] = 0x00;
  Link.CommandFrame[6] = 0x00;
}

// Calls SendCommand with the start payload; returns how long it took in ms.
uint64_t SendStart(bool waitForAck, uint16_t budget) {
  PutStartPayload();
  const uint64_t start = GetTickCount64();
  SendCommand(4, 0xE6, waitForAck, budget);
  return GetTickCount64() - start;
}

bool WaitForCommands(const TSensorPlayer& sensor, size_t n) {
  return WaitUntil([&] { return sensor.CommandCount() >= n; }, 2000, 5);
}

TEST_F(SendCommandTest, WithoutWaitingSendsTheNineBytesOnce) {
  TDeadline deadline(10000, "SendCommandTest");
  TSensorPlayer& sensor = OpenOnSensor();
  EXPECT_LT(SendStart(false, 50), 100u) << "it must not wait";
  ASSERT_TRUE(WaitForCommands(sensor, 1));
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_EQ(sensor.Received(), StartCommandBytes);
}

TEST_F(SendCommandTest, UnansweredCommandIsSentFiveTimesEachWaitingItsBudget) {
  TDeadline deadline(10000, "SendCommandTest");
  TSensorPlayer& sensor = OpenOnSensor();
  const uint64_t took = SendStart(true, 5);  // 50 ms per attempt
  EXPECT_FALSE(Link.AckReceived);
  ASSERT_TRUE(WaitForCommands(sensor, 5));
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_EQ(sensor.CommandCount(), 5u);
  EXPECT_GE(took, 250u) << "each attempt waits its budget";
  EXPECT_LT(took, 2000u);
  for (const TBytes& c : sensor.Commands()) EXPECT_EQ(c, StartCommandBytes);
}

TEST_F(SendCommandTest, AcknowledgedCommandIsSentOnce) {
  TDeadline deadline(10000, "SendCommandTest");
  TSensorPlayer& sensor = OpenOnSensor([](int) { return AckBytes; });
  EXPECT_LT(SendStart(true, 50), 400u);
  EXPECT_TRUE(Link.AckReceived);
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_EQ(sensor.CommandCount(), 1u);
}

TEST_F(SendCommandTest, BudgetZeroSendsFiveTimesBackToBack) {
  TDeadline deadline(10000, "SendCommandTest");
  TSensorPlayer& sensor = OpenOnSensor([](int) { return AckBytes; });
  const int waitsBefore = FBackend->WaitCount;
  EXPECT_LT(SendStart(true, 0), 100u);
  EXPECT_EQ(FBackend->WaitCount, waitsBefore) << "nothing may wait between the attempts";
  EXPECT_FALSE(Link.AckReceived) << "no message was processed, so no acknowledgement was seen";
  ASSERT_TRUE(WaitForCommands(sensor, 5));
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_EQ(sensor.CommandCount(), 5u);
}

TEST_F(SendCommandTest, AcknowledgementOvertakenByAnotherFrameLeadsToTheNextAttempt) {
  TDeadline deadline(10000, "SendCommandTest");
  TSensorPlayer& sensor = OpenOnSensor([](int n) { return n == 1 ? Concat({AckBytes, HeadingSample}) : AckBytes; });
  SendStart(true, 20);
  EXPECT_TRUE(Link.AckReceived);
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_EQ(sensor.CommandCount(), 2u);
}

// A stray 82 FF leaves the machine inside a frame that the acknowledgements only feed; the
// command still goes out after the attempt's wait time, and start-up does not hang.
TEST_F(SendCommandTest, HalfReceivedFrameHoldsTheCommandBackOnlyForTheBudget) {
  TDeadline deadline(10000, "SendCommandTest");
  TSensorPlayer& sensor = OpenOnSensor([](int) { return AckBytes; });
  sensor.Send({0x82, 0xFF});
  ASSERT_TRUE(PumpUntil([] { return Link.FrameState == 2; }, 2000));
  const uint64_t start = GetTickCount64();
  const uint64_t took = SendStart(true, 10);  // 100 ms per wait
  ASSERT_TRUE(WaitForCommands(sensor, 5));
  EXPECT_GE(sensor.CommandTimes()[0] - start, 90u) << "sent before the half frame had its time";
  EXPECT_LT(took, 1500u);
  EXPECT_FALSE(Link.AckReceived) << "the acknowledgements went into the stray frame";
  EXPECT_NE(Link.FrameState, 0) << "the machine is left to find its own way back";
}

TEST_F(SendCommandTest, HalfReceivedFrameThatEndsLetsTheCommandGoAtOnce) {
  TDeadline deadline(10000, "SendCommandTest");
  TSensorPlayer& sensor = OpenOnSensor([](int) { return AckBytes; });
  sensor.Send({0x82, 0xFF, 0x03, 0x32, 0x68});
  ASSERT_TRUE(PumpUntil([] { return Link.FrameState == 5; }, 2000));
  std::thread rest([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    sensor.Send({0x01, 0x02});
  });
  const uint64_t took = SendStart(true, 50);  // the whole budget would be 500 ms
  rest.join();
  EXPECT_LT(took, 450u);
  EXPECT_TRUE(Link.AckReceived);
  EXPECT_EQ(sensor.CommandCount(), 1u);
}

// The checksum covers every payload byte: payloads without a zero byte, worked out by hand
// (A5 ^ command ^ length ^ each payload byte).
TEST_F(SendCommandTest, ChecksumTakesInEveryPayloadByte) {
  TDeadline deadline(10000, "SendCommandTest");
  TSensorPlayer& sensor = OpenOnSensor();
  const uint8_t payload[] = {0x01, 0x02, 0x03, 0x04};
  std::copy(std::begin(payload), std::end(payload), Link.CommandFrame + 3);
  SendCommand(4, 0x10, false, 0);
  ASSERT_TRUE(WaitForCommands(sensor, 1));
  EXPECT_EQ(sensor.Commands()[0], (TBytes{0x82, 0x10, 0x04, 0x01, 0x02, 0x03, 0x04, 0xB5, 0x83}));

  // The longest payload the frame holds, bytes 1 to 251: their XOR is 0, so the checksum is
  // A5 ^ 10 ^ FB = 4E, and leaving out the last byte (FB) would give B5.
  for (int i = 0; i < 251; ++i) Link.CommandFrame[3 + i] = uint8_t(i + 1);
  SendCommand(251, 0x10, false, 0);
  ASSERT_TRUE(WaitForCommands(sensor, 2));
  const TBytes longest = sensor.Commands()[1];
  ASSERT_EQ(longest.size(), 256u);
  EXPECT_EQ(longest[2], 0xFB);
  EXPECT_EQ(longest[254], 0x4E);
  EXPECT_EQ(longest[255], 0x83);
}

TEST_F(SendCommandTest, PayloadThatDoesNotFitTheFrameIsRefused) {
  TDeadline deadline(10000, "SendCommandTest");
  TSensorPlayer& sensor = OpenOnSensor();
  EXPECT_THROW(SendCommand(252, 0x01, false, 0), Exception);
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_TRUE(sensor.Received().empty());
}

}  // namespace
