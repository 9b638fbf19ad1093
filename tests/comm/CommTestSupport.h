#pragma once
// Shared pieces of the serial component tests: an application on the headless backend,
// pumping with a deadline, and a recording stand-in for the device.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "comm/VaComm.h"
#include "platform/kernel/SysError.h"
#include "platform/kernel/Tick.h"
#include "platform/ui/Application.h"
#include "platform/ui/backend/headless/HeadlessBackend.h"
#include "support/Deadline.h"
#include "support/Pump.h"

// An application whose exception handler records the messages.
struct TTestApp {
  TApplication App{std::make_unique<THeadlessBackend>()};
  std::vector<std::string> Errors;
  std::vector<TObject*> ErrorSenders;
  TTestApp() {
    App.OnException = [this](TObject* Sender, const Exception& E) {
      Errors.push_back(E.Message());
      ErrorSenders.push_back(Sender);
    };
  }
};

// What a TRecordingDevice was asked to do.
struct TDeviceLog {
  std::vector<TDCB> Blocks;
  uint32_t Mask = 0;
  bool RefuseBlocks = false;
  bool RefuseQueues = false;
  bool RefuseTimeouts = false;
  bool RefuseMask = false;
  uint32_t Errors = 0;  // returned (and cleared) by the next ClearCommError
};

// A device that records the blocks it is sent and otherwise does nothing.
class TRecordingDevice : public TSerialDevice {
 public:
  explicit TRecordingDevice(TDeviceLog& log) : FLog(log) {}
  THandle Handle() const override { return InvalidHandle; }
  bool SetCommState(const TDCB& dcb) override {
    FLog.Blocks.push_back(dcb);
    if (!FLog.RefuseBlocks) return true;
    SetLastError(22);
    return false;
  }
  bool SetupComm(uint32_t, uint32_t) override { return Refuse(FLog.RefuseQueues); }
  bool SetCommTimeouts(const TCommTimeouts&) override { return Refuse(FLog.RefuseTimeouts); }
  bool SetCommMask(uint32_t mask) override {
    FLog.Mask = mask;
    return Refuse(FLog.RefuseMask);
  }
  TCommWaitResult WaitCommEvent(uint32_t&, TEventObject& stop) override {
    WaitForEvent(stop, INFINITE);
    return TCommWaitResult::Stopped;
  }
  bool ClearCommError(uint32_t& errors, TComStat& stat) override {
    errors = FLog.Errors;
    FLog.Errors = 0;
    stat = TComStat{};
    return true;
  }
  int Read(void*, int, uint32_t) override { return 0; }
  int Write(const void*, int count, uint32_t, TEventObject*) override { return count; }

 private:
  static bool Refuse(bool refuse) {
    if (refuse) SetLastError(5);
    return !refuse;
  }
  TDeviceLog& FLog;
};

// The component with the recording device in place of a real one.
class TRecordingComm : public TVaComm {
 public:
  using TVaComm::TVaComm;
  TDeviceLog Log;  // set up before Open

 protected:
  void OpenDevice() override { FDevice = std::make_unique<TRecordingDevice>(Log); }
};

// The settings the main window's design and start-up give the component.
inline void ApplyProgramSettings(TVaCustomComm& c) {
  c.FlowControl()->SetControlDtr(dtrEnabled);
  c.FlowControl()->SetControlRts(rtsEnabled);
  c.SetOptions({coParityCheck});
  TVaCommEvents all;
  for (int e = ceBreak; e <= ceEvent2; ++e) all.Include(TVaCommEvent(e));
  c.SetMonitorEvents(all);
  c.Buffers()->SetReadSize(8096);
  c.SetEventPriority(tpHigher);
  c.SetDirectWrite(true);
  c.SetBaudrate(br19200);
  c.SetParity(paNone);
  c.SetStopbits(sb1);
  c.SetDatabits(db8);
}

// What the component has received, up to `count` bytes, as one string.
inline std::string ReadAll(TVaComm& c, int count) {
  std::string s(size_t(count), '\0');
  s.resize(size_t(c.ReadData(s.data(), count)));
  return s;
}

// The system's text for a code as the component's messages carry it: no trailing blanks,
// control characters or full stops (the system's texts differ between platforms).
inline std::string SystemText(int code) {
  std::string t = SysErrorMessage(code);
  while (!t.empty() && (static_cast<unsigned char>(t.back()) <= ' ' || t.back() == '.')) t.pop_back();
  return t;
}

// Expects `f` to raise EVaCommError with exactly `message`.
inline ::testing::AssertionResult RaisesCommError(const std::function<void()>& f, const std::string& message) {
  try {
    f();
  } catch (const EVaCommError& e) {
    if (e.Message() == message) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "message was \"" << e.Message() << "\"";
  } catch (const std::exception& e) {
    return ::testing::AssertionFailure() << "other exception: " << e.what();
  }
  return ::testing::AssertionFailure() << "nothing raised";
}
