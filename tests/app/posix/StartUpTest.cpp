// Start-up as the program runs it: the window created by the application, the
// configuration file in the working directory, COM ports mapped onto the test's sensor.
#include <gtest/gtest.h>

#include "app/posix/SensorSupport.h"
#include "comm/VaClasses.h"

namespace {

using StartUpTest = TProgramStartTest;

TEST_F(StartUpTest, WithoutAFileOpensCom1AndSendsTheStartCommandOnce) {
  MapCom(1);
  const TDateTime before = Now();
  Start(std::nullopt);
  TfrmAX9& w = *frmAX9;
  EXPECT_TRUE(FBackend->Messages.empty());
  EXPECT_EQ(PortNumber, 1);
  EXPECT_TRUE(w.VaComm1->IsOpen());
  EXPECT_EQ(w.VaComm1->Baudrate(), br19200);
  EXPECT_EQ(w.VaComm1->Parity(), paNone);
  EXPECT_EQ(w.VaComm1->Databits(), db8);
  EXPECT_EQ(w.VaComm1->Stopbits(), sb1);
  EXPECT_EQ(w.ComDisp->Caption(), "Com1");
  // The acknowledgement ended within 500 ms of the start-up stamps: both sensors count as fresh.
  EXPECT_TRUE(w.BLedAX9->Visible() && w.BLedAX9->EnableBlinking() && w.ModeAX9->Visible());
  EXPECT_TRUE(w.BLedKQ3->Visible() && w.BLedKQ3->EnableBlinking() && w.ModeKQ3->Visible());
  EXPECT_GE(DisplayState.LastAttitudeTime, before);
  EXPECT_EQ(DisplayState.LastCompassTime, DisplayState.LastAttitudeTime);
  EXPECT_DOUBLE_EQ(DisplayState.FreshWindow * MSecsPerDay, 500.0);
  EXPECT_TRUE(Link.AckReceived);
  EXPECT_FALSE(w.Visible()) << "the window shows only when the loop runs";
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  ASSERT_EQ(FSensor->CommandCount(), 1u);
  EXPECT_EQ(FSensor->Commands()[0], StartCommandBytes);
}

TEST_F(StartUpTest, TheFirstNumberInTheFileNamesThePort) {
  const struct {
    const char* Text;
    int Port;
  } cases[] = {{"3\n", 3}, {"  12 more words\nand lines\n", 12}, {"260", 4}, {"\t$1F\r\n", 31}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Text);
    MapCom(c.Port);
    Start(c.Text);
    EXPECT_EQ(frmAX9->VaComm1->PortNum(), c.Port);
    EXPECT_TRUE(frmAX9->VaComm1->IsOpen());
    EXPECT_EQ(frmAX9->ComDisp->Caption(), "Com" + std::to_string(c.Port));
    FApp.reset();  // closes the port for the next case
  }
}

TEST_F(StartUpTest, BlankFileGivesPortZero) {
  for (const char* text : {"", " \t\r\n  \n"}) {
    SCOPED_TRACE(testing::PrintToString(text));
    Start(text);
    EXPECT_EQ(PortNumber, 0);
    EXPECT_EQ(frmAX9->VaComm1->PortNum(), 0);
    FApp.reset();
  }
}

TEST_F(StartUpTest, WordThatIsNotANumberEndsStartUpWithoutAMessage) {
  MapCom(1);
  Start("COM1\n");
  EXPECT_TRUE(FBackend->Messages.empty());
  ExpectDesignState();
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_EQ(FSensor->CommandCount(), 0u);
}

TEST_F(StartUpTest, PortThatCannotBeOpenedIsReportedOnce) {
  FDevices.Link("com5", (FWorkDir / "no-such-device").string());
  Start("5");
  ASSERT_EQ(FBackend->Messages.size(), 1u);
  EXPECT_NE(FBackend->Messages[0].find("Specified device not found (COM5)."), std::string::npos)
      << FBackend->Messages[0];
  ExpectDesignState();
}

TEST_F(StartUpTest, OnlySerialErrorsAreShown) {
  MapCom(1);
  Start(std::nullopt);
  Application->HandleException(nullptr, EInOutError("Invalid numeric input"));
  Application->HandleException(nullptr, std::runtime_error("anything else"));
  EXPECT_TRUE(FBackend->Messages.empty());
  Application->HandleException(nullptr, EVaCommError("Read error (5), Input/output error"));
  ASSERT_EQ(FBackend->Messages.size(), 1u);
  EXPECT_NE(FBackend->Messages[0].find("Read error (5), Input/output error"), std::string::npos);
}

}  // namespace
