#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "comm/VaClasses.h"
#include "comm/VaObjects.h"
#include "comm/VaPrst.h"
#include "platform/kernel/ThreadPriority.h"
#include "platform/serial/SerialDevice.h"
#include "platform/ui/Thread.h"

enum TVaBaudrate {
  brUser, br110, br300, br600, br1200, br2400, br4800, br9600, br14400, br19200, br38400,
  br56000, br57600, br115200, br128000, br256000
};
enum TVaParity { paNone, paOdd, paEven, paMark, paSpace };
enum TVaDatabits { db4, db5, db6, db7, db8 };
enum TVaStopbits { sb1, sb15, sb2 };
enum TVaCommOption { coErrorChar, coNullStrip, coParityCheck };
enum TVaCommEvent {
  ceBreak, ceCts, ceDsr, ceError, ceRing, ceRlsd, ceRxChar, ceTxEmpty, ceRxFlag, cePErr,
  ceRx80Full, ceEvent1, ceEvent2
};

using TVaCommOptions = TVaSet<TVaCommOption, uint8_t>;
using TVaCommEvents = TVaSet<TVaCommEvent, uint16_t>;
using TVaPortInt = int32_t;

// The line rate a member stands for (0 for brUser), and the driver event bit of an event.
uint32_t BaudrateValue(TVaBaudrate Value);
uint32_t CommEventBit(TVaCommEvent Event);

using TVaCommRxCharEvent = std::function<void(TObject* Sender, int Count)>;
using TVaCommErrorEvent = std::function<void(TObject* Sender, int Errors)>;

// What GetStatus reads: line error flags (CE_), hold bits, and the two queue counts.
struct TVaCommStatus {
  uint32_t Errors = 0;
  uint32_t Flags = 0;
  uint32_t InQueue = 0;
  uint32_t OutQueue = 0;
};

// A deadline on the 32-bit millisecond tick; the wrap of the counter is harmless because
// the elapsed time is taken modulo 2^32.
struct TVaTimeout {
  uint32_t Start = 0;
  uint32_t Limit = 0;

  void StartTimeout(uint32_t ALimit);
  bool TimedOut() const;
  bool TimedOutAt(uint32_t Now) const { return uint32_t(Now - Start) > Limit; }
  // Milliseconds left before TimedOut becomes true (0 when it already is).
  uint32_t Remaining() const;
};

// The write thread's byte queue: a fixed block, its bytes held at the front.
class TVaCommBuffer : public TObject {
 public:
  explicit TVaCommBuffer(int Capacity);
  void Append(const void* Data, int Count);  // the caller checked that it fits
  void Remove(int Count);
  uint8_t* Bytes() const { return FBytes.get(); }
  int Used() const { return FUsed; }
  int Capacity() const { return FCapacity; }

 private:
  std::unique_ptr<uint8_t[]> FBytes;
  int FCapacity;
  int FUsed = 0;
};

class TVaCustomComm;

// Waits for line events and hands each batch to the user-interface thread.
class TVaCommEventThread : public TThread {
 public:
  explicit TVaCommEventThread(TVaCustomComm& AOwner);
  // Asks the thread to end and wakes it wherever it waits.
  void Stop();
  bool UseSynchronize = true;

 protected:
  void Execute() override;

 private:
  void EventArrived();
  void ProcessEvents();  // user-interface thread

  uint32_t FEventMask = 0;
  TVaWaitEvent FWaitEvent;  // the stop signal the driver wait watches
  TVaCustomComm& FOwner;
};

// Sends what WriteData queued when DirectWrite is false.
class TVaCommWriteThread : public TThread {
 public:
  explicit TVaCommWriteThread(TVaCustomComm& AOwner);
  // Queues the bytes, waiting up to Buffers.WriteTimeout for room; false when none came.
  bool AddData(const void* Data, int Count);
  void Stop();
  bool UseSynchronize = true;

 protected:
  void Execute() override;

 private:
  void WriteCompleted(int Count);
  void DoTxEmpty();
  void DoWriteError();
  void HandOver(uint32_t Mask);

  TVaCommBuffer FBuffer;
  TVaWaitEvent FDataEvent;   // set while the buffer holds bytes to send
  TVaWaitEvent FCloseEvent;  // set by Stop
  TVaWaitEvent FRoomEvent;   // set when a write freed room in the buffer
  TVaCustomComm& FOwner;
};

// The serial port component. All calls are made on the user-interface thread, and every
// event it raises runs there, handed over by the worker threads, which wait until the
// handler has returned. Close (and destruction) must therefore not be called from one of
// the component's own event handlers: the thread being stopped waits for that handler.
class TVaCustomComm : public TVaComponent {
 public:
  explicit TVaCustomComm(TComponent* AOwner);
  ~TVaCustomComm() override;

  void Open();
  void Close();
  bool IsOpen() const { return FDevice != nullptr; }
  // The system handle of the open device; -1 while closed.
  THandle Handle() const;
  void EnsureClosed() const;
  std::string GetDeviceName() const;

  // At most Count bytes that have arrived; never waits. 0 on a closed port.
  int ReadData(void* Buffer, int Count);
  // Count bytes sent directly or queued for the write thread. 0 on a closed port.
  int WriteData(const void* Buffer, int Count);

  void GetStatus(TVaCommStatus& Status);
  int InQueueCount();
  bool CheckLineErrors();

  // The device control block the settings give (sent by ApplyDCB).
  TDCB MakeDCB() const;

  // Settings.
  bool AutoOpen() const { return FAutoOpen; }
  void SetAutoOpen(bool Value) { FAutoOpen = Value; }
  TVaBaudrate Baudrate() const { return FBaudrate; }
  void SetBaudrate(TVaBaudrate Value);
  int UserBaudrate() const { return FUserBaudrate; }
  void SetUserBaudrate(int Value);
  TVaParity Parity() const { return FParity; }
  void SetParity(TVaParity Value);
  TVaDatabits Databits() const { return FDatabits; }
  void SetDatabits(TVaDatabits Value);
  TVaStopbits Stopbits() const { return FStopbits; }
  void SetStopbits(TVaStopbits Value);
  TVaCommOptions Options() const { return FOptions; }
  void SetOptions(TVaCommOptions Value);
  TVaEventChars* EventChars() const { return FEventChars.get(); }
  void SetEventChars(const TVaEventChars* Value) { FEventChars->Assign(Value); }
  TVaFlowControl* FlowControl() const { return FFlowControl.get(); }
  void SetFlowControl(const TVaFlowControl* Value) { FFlowControl->Assign(Value); }
  TVaBuffers* Buffers() const { return FBuffers.get(); }
  void SetBuffers(const TVaBuffers* Value);
  TVaPortInt PortNum() const { return FPortNum; }
  void SetPortNum(TVaPortInt Value);
  const std::string& DeviceName() const { return FDeviceName; }
  void SetDeviceName(const std::string& Value);
  TVaCommEvents MonitorEvents() const { return FMonitorEvents; }
  void SetMonitorEvents(TVaCommEvents Value);
  TThreadPriority EventPriority() const { return FEventPriority; }
  void SetEventPriority(TThreadPriority Value);
  TThreadPriority WritePriority() const { return FWritePriority; }
  void SetWritePriority(TThreadPriority Value);
  bool DirectWrite() const { return FDirectWrite; }
  void SetDirectWrite(bool Value);
  bool UpdateDCB() const { return FUpdateDCB; }
  void SetUpdateDCB(bool Value);
  // The driver event mask computed at Open.
  uint32_t CommMask() const { return FCommMask; }
  bool HasEventThread() const { return FEventThread != nullptr; }
  bool HasWriteThread() const { return FWriteThread != nullptr; }

  // Events (user-interface thread, sender first).
  TNotifyEvent OnOpen, OnClose, OnCts, OnDsr, OnRlsd, OnRing, OnBreak;
  TVaCommErrorEvent OnError;
  TVaCommRxCharEvent OnRxChar;
  TNotifyEvent OnRxFlag, OnTxEmpty, OnPErr, OnRx80Full, OnEvent1, OnEvent2;

  void Loaded() override;

  virtual void DoRxChar();
  virtual void DispatchEvents(uint32_t Mask);

 protected:
  virtual void OpenDevice();
  virtual void StartThreads();

  void CloseDevice();
  void ApplyDCB();
  void ApplyBufferSizes();
  void ApplyTimeouts();
  void ApplyEventMask();
  void StopThreads();
  void DoOpen();
  void DoClose();
  [[noreturn]] void RaiseCommError(const std::string& Format) const;
  void CheckCommResult(bool Success, const std::string& Format) const;

  void BuffersChanged(TObject* Sender);
  void EventCharsChanged(TObject* Sender);
  void FlowControlChanged(TObject* Sender);

  // The open device; a test may put a stand-in here from OpenDevice.
  std::unique_ptr<TSerialDevice> FDevice;

 private:
  friend class TVaCommEventThread;
  friend class TVaCommWriteThread;

  bool FAutoOpen = false;
  TVaBaudrate FBaudrate = br1200;
  int FUserBaudrate = 0;
  TVaParity FParity = paNone;
  TVaDatabits FDatabits = db8;
  TVaStopbits FStopbits = sb1;
  TVaCommOptions FOptions;
  TVaPortInt FPortNum = 0;
  std::string FDeviceName = "COM%d";
  TVaCommEvents FMonitorEvents{ceError, ceRxChar, ceTxEmpty};
  TThreadPriority FEventPriority = tpNormal;
  TThreadPriority FWritePriority = tpHighest;
  bool FDirectWrite = false;
  bool FUpdateDCB = true;
  bool FUseSynchronize = true;
  uint32_t FCommMask = 0;

  std::unique_ptr<TVaBuffers> FBuffers;
  std::unique_ptr<TVaEventChars> FEventChars;
  std::unique_ptr<TVaFlowControl> FFlowControl;
  TVaCriticalSection FReadLock;
  TVaCriticalSection FWriteLock;
  std::unique_ptr<TVaCommEventThread> FEventThread;
  std::unique_ptr<TVaCommWriteThread> FWriteThread;
};

// The component as a form holds it, with its version text.
class TVaComm : public TVaCustomComm {
 public:
  using TVaCustomComm::TVaCustomComm;
  // "1.3.5.0"; assignments are ignored.
  std::string Version() const;
  void SetVersion(const std::string&) {}
};
