#include <gtest/gtest.h>

#include "comm/CommTestSupport.h"

namespace {
const char* const OpenMessage = "Can't perform this operation while port is open";
}

TEST(Settings, ProgramSettingsGiveItsDeviceControlBlock) {
  TRecordingComm c(nullptr);
  ApplyProgramSettings(c);
  c.Open();
  ASSERT_EQ(c.Log.Blocks.size(), 1u);
  const TDCB& d = c.Log.Blocks[0];
  EXPECT_EQ(d.DCBlength, 0u);
  EXPECT_EQ(d.BaudRate, 19200u);
  EXPECT_EQ(d.Flags, 0x1013u);
  EXPECT_EQ(d.XonLim, 1024);
  EXPECT_EQ(d.XoffLim, 1024);
  EXPECT_EQ(d.ByteSize, 8);
  EXPECT_EQ(d.Parity, 0);
  EXPECT_EQ(d.StopBits, 0);
  EXPECT_EQ(d.XonChar, 0x11);
  EXPECT_EQ(d.XoffChar, 0x13);
  EXPECT_EQ(d.ErrorChar | d.EofChar | d.EvtChar | d.wReserved | d.wReserved1, 0);
  // All thirteen events, transmit-empty included because writes are direct.
  EXPECT_EQ(c.CommMask(), 0x1FFFu);
  static_assert(sizeof(TVaCommOptions) == 1 && sizeof(TVaCommEvents) == 2);
  c.SetVersion("9.9");
  EXPECT_EQ(c.Version(), "1.3.5.0");
}

TEST(Settings, EveryFlagAndCharacterReachesTheBlock) {
  TVaComm c(nullptr);
  TVaFlowControl* f = c.FlowControl();
  f->SetOutCtsFlow(true);
  f->SetOutDsrFlow(true);
  f->SetControlDtr(dtrHandshake);
  f->SetDsrSensitivity(true);
  f->SetTxContinueOnXoff(true);
  f->SetXonXoffOut(true);
  f->SetXonXoffIn(true);
  f->SetControlRts(rtsToggle);
  c.SetOptions({coErrorChar, coNullStrip, coParityCheck});
  c.EventChars()->SetErrorChar('?');
  c.EventChars()->SetEventChar('\n');
  c.EventChars()->SetEofChar(0x1A);
  c.SetParity(paSpace);
  c.SetStopbits(sb2);
  c.SetDatabits(db7);
  const TDCB d = c.MakeDCB();
  EXPECT_EQ(d.Flags, 0x3FEFu);  // all but fDtrControl ENABLE (0x10) and fAbortOnError
  EXPECT_EQ(d.ErrorChar, '?');
  EXPECT_EQ(d.EvtChar, '\n');
  EXPECT_EQ(d.EofChar, 0x1A);
  EXPECT_EQ(c.EventChars()->EofChar(), 0x1A);
  EXPECT_EQ(d.Parity, 4);
  EXPECT_EQ(d.StopBits, 2);
  EXPECT_EQ(d.ByteSize, 7);
  f->SetControlRts(rtsHandshake);
  f->SetControlDtr(dtrDisabled);
  EXPECT_EQ(c.MakeDCB().Flags & 0x3030u, 0x2000u);
}

TEST(Settings, BaudrateAndUserBaudrateFollowEachOther) {
  TRecordingComm c(nullptr);
  c.SetUserBaudrate(256000);
  EXPECT_EQ(c.Baudrate(), brUser);
  EXPECT_EQ(c.MakeDCB().BaudRate, 256000u);
  c.SetBaudrate(br115200);
  c.SetBaudrate(brUser);  // keeps no rate: the one before was cleared
  EXPECT_EQ(c.UserBaudrate(), 0);
  EXPECT_EQ(c.MakeDCB().BaudRate, 0u);
  c.SetUserBaudrate(56000);
  c.SetBaudrate(brUser);  // already brUser: the rate stays
  EXPECT_EQ(c.UserBaudrate(), 56000);
  c.SetBaudrate(br9600);
  EXPECT_EQ(c.UserBaudrate(), 0);
  EXPECT_EQ(c.MakeDCB().BaudRate, 9600u);
}

TEST(Settings, ChangesOnAnOpenPortSendOneBlockEachAndEqualValuesNone) {
  TRecordingComm c(nullptr);
  c.Open();
  auto sent = [&] { return c.Log.Blocks.size(); };
  size_t n = sent();
  c.SetBaudrate(br1200);  // equal
  c.SetParity(paNone);
  c.SetOptions({});
  c.FlowControl()->SetOutCtsFlow(false);
  EXPECT_EQ(sent(), n);
  c.EventChars()->SetXonChar(c.EventChars()->XonChar());  // characters always send
  EXPECT_EQ(sent(), ++n);
  c.SetBaudrate(br19200);
  c.SetParity(paEven);
  c.SetDatabits(db7);
  c.SetStopbits(sb2);
  c.SetOptions({coParityCheck});
  c.SetUserBaudrate(14400);
  c.FlowControl()->SetXonXoffIn(true);
  EXPECT_EQ(sent(), n + 7);
  n = sent();
  TVaFlowControl other;
  other.SetOutCtsFlow(true);
  other.SetControlDtr(dtrEnabled);
  other.SetControlRts(rtsHandshake);
  c.SetFlowControl(&other);
  EXPECT_EQ(sent(), n + 1);
  EXPECT_EQ(c.Log.Blocks.back().Flags & 0x3034u, 0x2014u);
  TVaEventChars chars;
  chars.SetXonChar('a');
  c.SetEventChars(&chars);
  EXPECT_EQ(sent(), n + 2);
  EXPECT_EQ(c.Log.Blocks.back().XonChar, 'a');
}

TEST(Settings, ClosedPortOnlyStoresAndUpdateDcbFalseSendsNothing) {
  TRecordingComm c(nullptr);
  c.SetBaudrate(br38400);
  c.EventChars()->SetXonChar(1);
  EXPECT_TRUE(c.Log.Blocks.empty());
  c.SetUpdateDCB(false);
  c.Open();
  c.SetBaudrate(br57600);
  c.FlowControl()->SetXonXoffOut(true);
  EXPECT_TRUE(c.Log.Blocks.empty());
}

TEST(Settings, LimitsReachTheBlockModulo65536) {
  TRecordingComm c(nullptr);
  c.Buffers()->SetXonLimit(65536);
  c.Buffers()->SetXoffLimit(65537);
  c.Open();
  ASSERT_EQ(c.Log.Blocks.size(), 1u);
  EXPECT_EQ(c.Log.Blocks[0].XonLim, 0);
  EXPECT_EQ(c.Log.Blocks[0].XoffLim, 1);
}

TEST(Settings, BufferSizesOnAnOpenPortAreStoredThenRefused) {
  TRecordingComm c(nullptr);
  c.Open();
  EXPECT_TRUE(RaisesCommError([&] { c.Buffers()->SetReadSize(8192); }, OpenMessage));
  EXPECT_EQ(c.Buffers()->ReadSize(), 8192);
  EXPECT_TRUE(RaisesCommError([&] { c.Buffers()->SetXoffLimit(10); }, OpenMessage));
  c.Buffers()->SetReadTimeout(50);  // time limits may change while open
  c.Buffers()->SetWriteTimeout(60);
  EXPECT_EQ(c.Buffers()->ReadTimeout(), 50);
  TVaBuffers other;
  other.SetWriteSize(10);
  EXPECT_TRUE(RaisesCommError([&] { c.SetBuffers(&other); }, OpenMessage));
  EXPECT_EQ(c.Buffers()->WriteSize(), 2048);
}

TEST(Settings, RestrictedSettingsAreRefusedAndKeptWhileOpen) {
  TRecordingComm c(nullptr);
  c.SetPortNum(2);
  c.Open();
  EXPECT_TRUE(RaisesCommError([&] { c.SetPortNum(3); }, OpenMessage));
  EXPECT_TRUE(RaisesCommError([&] { c.SetDeviceName("/dev/x"); }, OpenMessage));
  EXPECT_TRUE(RaisesCommError([&] { c.SetMonitorEvents({}); }, OpenMessage));
  EXPECT_TRUE(RaisesCommError([&] { c.SetDirectWrite(true); }, OpenMessage));
  EXPECT_TRUE(RaisesCommError([&] { c.SetUpdateDCB(false); }, OpenMessage));
  EXPECT_EQ(c.PortNum(), 2);
  EXPECT_EQ(c.DeviceName(), "COM%d");
  EXPECT_FALSE(c.DirectWrite());
  c.EventChars()->SetEofChar(0x1A);  // allowed while open
  c.SetEventPriority(tpLower);
  c.Close();
  c.SetPortNum(3);
  EXPECT_EQ(c.PortNum(), 3);
}

TEST(Settings, RefusedBlockRaisesAndTheSettingKeepsItsValue) {
  TRecordingComm c(nullptr);
  c.Open();
  c.Log.RefuseBlocks = true;
  EXPECT_TRUE(RaisesCommError([&] { c.SetParity(paOdd); }, "Error writing dcb (22), " + SystemText(22)));
  EXPECT_EQ(c.Parity(), paOdd);
  EXPECT_TRUE(c.IsOpen());
}

TEST(Settings, DeviceNameIsAFormatWithThePortNumberOnly) {
  TVaComm c(nullptr);
  c.SetPortNum(3);
  // The platform's path for the name (Windows puts its device prefix in front).
  EXPECT_EQ(c.GetDeviceName(), SerialDevicePath("COM3"));
  c.SetDeviceName("/dev/ttyUSB%d");
  c.SetPortNum(0);
  EXPECT_EQ(c.GetDeviceName(), SerialDevicePath("/dev/ttyUSB0"));
  // Other directives never read arguments that are not there.
  c.SetDeviceName("%s%n%x-100%%-%d");
  c.SetPortNum(7);
  EXPECT_EQ(c.GetDeviceName(), SerialDevicePath("%s%n%x-100%-7"));
}

TEST(SettingsObjects, UpdateBlocksFoldNotifications) {
  TVaFlowControl f;
  int notified = 0;
  f.OnChange = [&](TObject* s) {
    EXPECT_EQ(s, &f);
    ++notified;
  };
  f.BeginUpdate();
  f.BeginUpdate();
  f.SetOutCtsFlow(true);
  f.SetXonXoffIn(true);
  f.EndUpdate();
  EXPECT_EQ(notified, 0);
  f.EndUpdate();
  EXPECT_EQ(notified, 1);
  f.EndUpdate();  // unbalanced: stays at 0 and still tells
  EXPECT_EQ(f.UpdateCount(), 0);
  EXPECT_EQ(notified, 2);
  f.SetOutCtsFlow(true);  // equal
  EXPECT_EQ(notified, 2);
}

TEST(SettingsObjects, AssignCopiesFromTheSameClassOnly) {
  TVaEventChars a, b;
  b.SetXonChar('x');
  b.SetXoffChar('y');
  b.SetErrorChar('e');
  b.SetEventChar('v');
  b.SetEofChar('z');
  int notified = 0;
  a.OnChange = [&](TObject*) { ++notified; };
  a.Assign(&b);
  EXPECT_EQ(notified, 1);
  EXPECT_EQ(std::string({a.XonChar(), a.XoffChar(), a.ErrorChar(), a.EventChar(), a.EofChar()}), "xyevz");
  TVaBuffers buffers;
  buffers.SetReadTimeout(5);
  TVaBuffers copy;
  copy.Assign(&buffers);
  EXPECT_EQ(copy.ReadTimeout(), 5);
  EXPECT_THROW(a.Assign(&buffers), EConvertError);
  EXPECT_THROW(copy.Assign(nullptr), EConvertError);
}
