// The component on a recording device: configuration steps, the driver mask, event
// dispatch and the timeout record, the same on every platform.
#include <gtest/gtest.h>

#include "comm/CommTestSupport.h"

TEST(Lifecycle, EachRefusedConfigurationStepHasItsMessage) {
  struct Case {
    bool TDeviceLog::*Flag;
    std::string Message;
  };
  const Case cases[] = {
      {&TDeviceLog::RefuseQueues, "Error initializing buffers (5), " + SystemText(5)},
      {&TDeviceLog::RefuseTimeouts, "Error setting timeouts (5), " + SystemText(5)},
      {&TDeviceLog::RefuseMask, " Error setting EventMask (5), " + SystemText(5)},
  };
  for (const Case& k : cases) {
    TRecordingComm c(nullptr);
    c.Log.*k.Flag = true;
    EXPECT_TRUE(RaisesCommError([&] { c.Open(); }, k.Message));
    EXPECT_FALSE(c.IsOpen());
    EXPECT_FALSE(c.HasEventThread());
  }
}

TEST(Lifecycle, WriteThreadTakesTransmitEmptyOutOfTheDriverMask) {
  TRecordingComm c(nullptr);
  c.SetMonitorEvents({ceRxChar, ceTxEmpty});
  c.Open();
  EXPECT_TRUE(c.HasWriteThread());
  EXPECT_EQ(c.Log.Mask, EV_RXCHAR);
  c.Close();
  c.SetDirectWrite(true);
  c.Open();
  EXPECT_FALSE(c.HasWriteThread());
  EXPECT_EQ(c.Log.Mask, EV_RXCHAR | EV_TXEMPTY);
}

TEST(EventDispatch, ErrorsFirstThenThePlainEventsInTheirOrder) {
  TTestApp app;
  TRecordingComm c(nullptr);
  std::vector<std::string> order;
  auto note = [&](const char* name) { return [&order, name](TObject*) { order.push_back(name); }; };
  c.OnError = [&](TObject*, int Errors) { order.push_back("Error " + std::to_string(Errors)); };
  c.OnRxFlag = note("RxFlag");
  c.OnCts = note("Cts");
  c.OnDsr = note("Dsr");
  c.OnRing = note("Ring");
  c.OnRlsd = note("Rlsd");
  c.OnTxEmpty = note("TxEmpty");
  c.OnBreak = note("Break");
  c.OnPErr = note("PErr");
  c.OnRx80Full = note("Rx80Full");
  c.OnEvent1 = note("Event1");
  c.OnEvent2 = note("Event2");
  c.Open();
  c.Log.Errors = CE_FRAME | CE_OVERRUN;
  c.DispatchEvents(0x1FFE);
  EXPECT_EQ(order, std::vector<std::string>({"Error 10", "RxFlag", "Cts", "Dsr", "Ring", "Rlsd", "TxEmpty", "Break",
                                             "PErr", "Rx80Full", "Event1", "Event2"}));
  // A line-error bit with no pending flags raises nothing.
  order.clear();
  c.DispatchEvents(EV_ERR | EV_DSR | EV_CTS);
  EXPECT_EQ(order, std::vector<std::string>({"Cts", "Dsr"}));
}

TEST(EventDispatch, ExceptionInOnErrorGoesToTheApplicationAndTheBatchGoesOn) {
  TTestApp app;
  TRecordingComm c(nullptr);
  bool cts = false;
  c.OnError = [](TObject*, int) { throw EVaCommError("error handler failed"); };
  c.OnCts = [&](TObject*) { cts = true; };
  c.Open();
  c.Log.Errors = CE_BREAK;
  EXPECT_TRUE(c.CheckLineErrors());
  EXPECT_FALSE(c.CheckLineErrors());  // reading the flags cleared them
  c.Log.Errors = CE_BREAK;
  c.DispatchEvents(EV_ERR | EV_CTS);
  EXPECT_TRUE(cts);
  ASSERT_EQ(app.Errors.size(), 2u);
  EXPECT_EQ(app.ErrorSenders[1], &c);
  EXPECT_EQ(c.InQueueCount(), 0);
}

TEST(Timeout, ExpiresAfterItsLimitAcrossTheTickWrap) {
  TVaTimeout t;
  t.Start = 0xFFFFFF00u;
  t.Limit = 1000;
  EXPECT_FALSE(t.TimedOutAt(0xFFFFFF00u));
  EXPECT_FALSE(t.TimedOutAt(0xFFFFFFFFu));
  EXPECT_FALSE(t.TimedOutAt(0x000002E8u));  // exactly 1000 ms later, past the wrap
  EXPECT_TRUE(t.TimedOutAt(0x000002E9u));
  t.StartTimeout(0);
  EXPECT_FALSE(t.TimedOutAt(t.Start));
  EXPECT_TRUE(t.TimedOutAt(t.Start + 1));
}
