#include <gtest/gtest.h>

#include "comm/CommTestSupport.h"
#include "platform/serial/SerialTestSupport.h"
#include "support/CpuTime.h"

namespace {

const char* const FullMessage = "Output buffer is full. Please check comm status.";

struct TPortOnPty {
  TTestApp App;
  TPtyPair Pty;
  TVaComm Comm{nullptr};
  explicit TPortOnPty(bool directWrite) {
    Comm.SetDeviceName(Pty.SlavePath());
    Comm.SetDirectWrite(directWrite);
    Comm.SetBaudrate(br19200);
  }
};

}  // namespace

TEST(ReadWrite, DirectWriteReachesTheDeviceAndReadsNeverWait) {
  TDeadline deadline(10000);
  TPortOnPty p(true);
  ASSERT_TRUE(p.Pty.Ok());
  p.Comm.Open();
  const std::string command("\x82\xE6\x04\x35\x06\x00\x00\x74\x83", 9);
  EXPECT_EQ(p.Comm.WriteData(command.data(), 9), 9);
  EXPECT_EQ(p.Pty.Receive(9, 2000), command);

  char buf[32];
  uint64_t t0 = GetTickCount64();
  EXPECT_EQ(p.Comm.ReadData(buf, sizeof buf), 0);
  EXPECT_LT(GetTickCount64() - t0, 50u);
  ASSERT_TRUE(p.Pty.Send("abc"));
  ASSERT_TRUE(PumpUntil([&] { return p.Comm.InQueueCount() == 3; }, 2000));
  EXPECT_EQ(p.Comm.ReadData(buf, sizeof buf), 3);  // only what has arrived
  EXPECT_EQ(p.Comm.ReadData(buf, -5), 0);
  EXPECT_EQ(p.Comm.WriteData(buf, -5), 0);
}

TEST(ReadWrite, DirectWriteRaisesOnTransmitEmptyWhenMonitored) {
  TDeadline deadline(10000);
  TPortOnPty p(true);
  ASSERT_TRUE(p.Pty.Ok());
  p.Comm.SetMonitorEvents({ceTxEmpty});
  int empties = 0;
  p.Comm.OnTxEmpty = [&](TObject*) { ++empties; };
  p.Comm.Open();
  EXPECT_EQ(p.Comm.WriteData("hello", 5), 5);
  EXPECT_TRUE(PumpUntil([&] { return empties == 1; }, 3000));
  EXPECT_EQ(p.Pty.Receive(5, 2000), "hello");
}

TEST(ReadWrite, DirectWriteToAPeerThatDoesNotReadEndsAfterTheReadTimeout) {
  TDeadline deadline(10000);
  TPortOnPty p(true);
  ASSERT_TRUE(p.Pty.Ok());
  p.Comm.Buffers()->SetReadTimeout(200);
  p.Comm.Open();
  const std::string big(300000, 'q');  // far more than the line's queues hold
  const uint64_t t0 = GetTickCount64();
  const int n = p.Comm.WriteData(big.data(), int(big.size()));
  const uint64_t waited = GetTickCount64() - t0;
  EXPECT_GE(waited, 200u);
  EXPECT_LT(waited, 800u);
  EXPECT_GT(n, 0);
  EXPECT_LT(n, int(big.size()));
  EXPECT_EQ(p.Pty.Receive(size_t(n), 3000), big.substr(0, size_t(n)));  // what it counted went out
}

TEST(ReadWrite, WriteOnAVanishedDeviceRaises) {
  TDeadline deadline(10000);
  TPortOnPty p(true);
  ASSERT_TRUE(p.Pty.Ok());
  p.Comm.Open();
  p.Pty.CloseMaster();
  EXPECT_TRUE(RaisesCommError([&] { p.Comm.WriteData("x", 1); }, "Write error (5), Input/output error"));
}

TEST(WriteThread, BlockLargerThanTheBufferWaitsWriteTimeoutAndRaises) {
  TDeadline deadline(10000);
  TPortOnPty p(false);
  ASSERT_TRUE(p.Pty.Ok());
  p.Comm.Open();
  ASSERT_TRUE(p.Comm.HasWriteThread());
  const std::string big(3000, 'b');
  uint64_t t0 = GetTickCount64();
  EXPECT_TRUE(RaisesCommError([&] { p.Comm.WriteData(big.data(), 3000); }, FullMessage));
  const uint64_t waited = GetTickCount64() - t0;
  EXPECT_GE(waited, 1000u);
  EXPECT_LT(waited, 1500u);

  const std::string full(2048, 'f');
  t0 = GetTickCount64();
  EXPECT_EQ(p.Comm.WriteData(full.data(), 2048), 2048);
  EXPECT_LT(GetTickCount64() - t0, 100u);
  EXPECT_EQ(p.Pty.Receive(2048, 3000), full);
}

TEST(WriteThread, QuickWritesArriveInOrderAndTransmitEmptyFollows) {
  TDeadline deadline(10000);
  TPortOnPty p(false);
  ASSERT_TRUE(p.Pty.Ok());
  int empties = 0;
  p.Comm.OnTxEmpty = [&](TObject* s) {
    EXPECT_EQ(s, &p.Comm);
    ++empties;
  };
  p.Comm.Open();
  EXPECT_EQ(p.Comm.WriteData("0123456789", 10), 10);
  EXPECT_EQ(p.Comm.WriteData("abcdefghij", 10), 10);
  // The thread may hand over the first transmit-empty before it writes the second block,
  // so the loop has to run while the bytes are awaited.
  std::string got;
  PumpUntil([&] {
    got += p.Pty.Receive(20 - got.size(), 5);
    return got.size() >= 20;
  }, 3000);
  EXPECT_EQ(got, "0123456789abcdefghij");
  EXPECT_TRUE(PumpUntil([&] { return empties >= 1; }, 3000));
  PumpFor(100);
  EXPECT_LE(empties, 2);
}

TEST(WriteThread, ExceptionInOnTxEmptyGoesToTheApplicationAndWritingGoesOn) {
  TDeadline deadline(10000);
  TPortOnPty p(false);
  ASSERT_TRUE(p.Pty.Ok());
  int empties = 0;
  p.Comm.OnTxEmpty = [&](TObject*) {
    ++empties;
    throw EVaCommError("drained handler failed");
  };
  p.Comm.Open();
  EXPECT_EQ(p.Comm.WriteData("abc", 3), 3);
  ASSERT_TRUE(PumpUntil([&] { return empties == 1; }, 3000));
  EXPECT_EQ(p.Comm.WriteData("def", 3), 3);
  ASSERT_TRUE(PumpUntil([&] { return empties == 2; }, 3000));
  EXPECT_EQ(p.Pty.Receive(6, 2000), "abcdef");
  ASSERT_EQ(p.App.Errors.size(), 2u);
  EXPECT_EQ(p.App.Errors[0], "drained handler failed");
}

TEST(WriteThread, BufferSizeRaisedOnTheOpenPortDoesNotOverfillTheBuffer) {
  TDeadline deadline(10000);
  TPortOnPty p(false);
  ASSERT_TRUE(p.Pty.Ok());
  p.Comm.Buffers()->SetWriteTimeout(100);
  p.Comm.Open();
  EXPECT_THROW(p.Comm.Buffers()->SetWriteSize(8192), EVaCommError);  // stored, refused
  const std::string big(3000, 'b');
  EXPECT_TRUE(RaisesCommError([&] { p.Comm.WriteData(big.data(), 3000); }, FullMessage));
}

TEST(WriteThread, FailingDeviceIsReportedWithoutSpinningAndCloseCompletes) {
  TDeadline deadline(10000);
  TPortOnPty p(false);
  ASSERT_TRUE(p.Pty.Ok());
  p.Comm.SetMonitorEvents({});
  p.Comm.Open();
  p.Pty.CloseMaster();
  EXPECT_EQ(p.Comm.WriteData("abc", 3), 3);  // accepted into the buffer
  PumpFor(100);
  const double cpu0 = ProcessCpuSeconds();
  PumpFor(400);
  EXPECT_LT(ProcessCpuSeconds() - cpu0, 0.2);
  // The failed write led to the line-error check, whose status query fails on the
  // vanished device; that is shown once.
  ASSERT_EQ(p.App.Errors.size(), 1u);
  EXPECT_EQ(p.App.Errors[0], "Error retrieving statistics (5), Input/output error");
  const uint64_t t0 = GetTickCount64();
  p.Comm.Close();
  EXPECT_LT(GetTickCount64() - t0, 1500u);
}

