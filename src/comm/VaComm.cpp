#include "comm/VaComm.h"

#include <cctype>
#include <cstring>

#include "platform/kernel/Sleep.h"
#include "platform/kernel/SysError.h"
#include "platform/kernel/Tick.h"
#include "platform/ui/Application.h"

namespace {

const char* const PortOpenMessage = "Can't perform this operation while port is open";

// Passes the exception being handled to the application's handler (there is none in a
// program without an application object; then it is dropped).
void HandleInApplication(TObject* Sender) {
  if (Application) Application->HandleCurrentException(Sender);
}

// The system's text for a code, at most 256 characters, without trailing blanks, control
// characters and full stops.
std::string TrimmedErrorText(int code) {
  std::string text = SysErrorMessage(code).substr(0, 256);
  while (!text.empty()) {
    const unsigned char c = static_cast<unsigned char>(text.back());
    if (c > ' ' && c != '.') break;
    text.pop_back();
  }
  return text;
}

// Formats a message: the first %d takes the code, the first %s the text, %% is a percent
// sign. Anything else stays as written, so a format without placeholders is unchanged.
std::string FormatCommMessage(const std::string& format, int code, const std::string& text) {
  std::string out;
  bool codeUsed = false, textUsed = false;
  for (size_t i = 0; i < format.size(); ++i) {
    if (format[i] == '%' && i + 1 < format.size()) {
      const char k = format[i + 1];
      if (k == '%') {
        out += '%';
        ++i;
        continue;
      }
      if (k == 'd' && !codeUsed) {
        out += std::to_string(code);
        codeUsed = true;
        ++i;
        continue;
      }
      if (k == 's' && !textUsed) {
        out += text;
        textUsed = true;
        ++i;
        continue;
      }
    }
    out += format[i];
  }
  return out;
}

[[noreturn]] void ThrowCommError(const std::string& format, int code) {
  throw EVaCommError(FormatCommMessage(format, code, TrimmedErrorText(code)));
}

// A text that goes into a format literally.
std::string EscapePercent(const std::string& s) {
  std::string out;
  for (char c : s) {
    out += c;
    if (c == '%') out += '%';
  }
  return out;
}

}  // namespace

uint32_t BaudrateValue(TVaBaudrate Value) {
  static const uint32_t rates[] = {0,     110,   300,   600,   1200,  2400,   4800,   9600,
                                   14400, 19200, 38400, 56000, 57600, 115200, 128000, 256000};
  return unsigned(Value) < std::size(rates) ? rates[Value] : 0;
}

uint32_t CommEventBit(TVaCommEvent Event) {
  static const uint32_t bits[] = {EV_BREAK,  EV_CTS,     EV_DSR,    EV_ERR,     EV_RING,
                                  EV_RLSD,   EV_RXCHAR,  EV_TXEMPTY, EV_RXFLAG, EV_PERR,
                                  EV_RX80FULL, EV_EVENT1, EV_EVENT2};
  return unsigned(Event) < std::size(bits) ? bits[Event] : 0;
}

// ---- TVaTimeout ----

void TVaTimeout::StartTimeout(uint32_t ALimit) {
  Start = GetTickCount();
  Limit = ALimit;
}

bool TVaTimeout::TimedOut() const { return TimedOutAt(GetTickCount()); }

uint32_t TVaTimeout::Remaining() const {
  const uint32_t elapsed = GetTickCount() - Start;
  if (elapsed > Limit) return 0;
  // One more millisecond: after waiting this long TimedOut is true.
  const uint64_t left = uint64_t(Limit) - elapsed + 1;
  return left >= INFINITE ? INFINITE - 1 : uint32_t(left);
}

// ---- TVaCommBuffer ----

TVaCommBuffer::TVaCommBuffer(int Capacity)
    : FBytes(std::make_unique<uint8_t[]>(size_t(Capacity > 0 ? Capacity : 0) + 1)),
      FCapacity(Capacity > 0 ? Capacity : 0) {}

void TVaCommBuffer::Append(const void* Data, int Count) {
  if (Count <= 0) return;
  std::memcpy(FBytes.get() + FUsed, Data, size_t(Count));
  FUsed += Count;
}

void TVaCommBuffer::Remove(int Count) {
  if (Count <= 0) return;
  if (Count >= FUsed) {
    FUsed = 0;
    return;
  }
  std::memmove(FBytes.get(), FBytes.get() + Count, size_t(FUsed - Count));
  FUsed -= Count;
}

// ---- TVaCommEventThread ----

TVaCommEventThread::TVaCommEventThread(TVaCustomComm& AOwner) : TThread(true), FOwner(AOwner) {}

void TVaCommEventThread::Stop() {
  Terminate();
  FWaitEvent.Signal();
}

void TVaCommEventThread::Execute() {
  TSerialDevice& device = *FOwner.FDevice;
  while (!Terminated()) {
    uint32_t events = 0;
    const TCommWaitResult r = device.WaitCommEvent(events, FWaitEvent.Object());
    if (r == TCommWaitResult::Event) {
      FEventMask = events;
      EventArrived();
    } else if (r == TCommWaitResult::Refused) {
      // The device cannot wait any more (hung up, gone): no more events until Stop.
      if (FWaitEvent.WaitFor(INFINITE) == waitFailed) break;
    } else {
      break;  // stopped
    }
  }
}

void TVaCommEventThread::EventArrived() {
  if (Terminated()) return;
  if (UseSynchronize)
    Synchronize([this] { ProcessEvents(); });
  else
    ProcessEvents();
}

void TVaCommEventThread::ProcessEvents() {
  try {
    if (FEventMask & EV_RXCHAR) {
      FOwner.DoRxChar();
      FEventMask &= ~EV_RXCHAR;
    }
    if (FEventMask != 0) FOwner.DispatchEvents(FEventMask);
  } catch (...) {
    HandleInApplication(this);
  }
}

// ---- TVaCommWriteThread ----

TVaCommWriteThread::TVaCommWriteThread(TVaCustomComm& AOwner)
    : TThread(true), FBuffer(AOwner.Buffers()->WriteSize()), FOwner(AOwner) {}

void TVaCommWriteThread::Stop() {
  Terminate();
  FCloseEvent.Signal();
}

bool TVaCommWriteThread::AddData(const void* Data, int Count) {
  TVaTimeout timeout;
  bool waiting = false;
  for (;;) {
    {
      TVaLockGuard guard(FOwner.FWriteLock);
      // Room is measured against the block itself: WriteSize may have been changed (and
      // refused) on the open port since the block was made.
      if (int64_t(FBuffer.Used()) + Count <= FBuffer.Capacity()) {
        FBuffer.Append(Data, Count);
        FDataEvent.Signal();
        return true;
      }
      FRoomEvent.Reset();
    }
    if (!waiting) {
      timeout.StartTimeout(uint32_t(FOwner.Buffers()->WriteTimeout()));
      waiting = true;
    } else if (timeout.TimedOut()) {
      return false;
    }
    // Woken when a write frees room, instead of polling.
    FRoomEvent.WaitFor(timeout.Remaining());
  }
}

void TVaCommWriteThread::Execute() {
  TSerialDevice& device = *FOwner.FDevice;
  while (!Terminated()) {
    const TWaitOutcome r = WaitForEvents({&FCloseEvent.Object(), &FDataEvent.Object()}, INFINITE);
    if (r.Status != TWaitStatus::Signaled) break;  // a wait that fails would fail again
    if (r.Index == 0) {
      Terminate();
      break;
    }
    const uint8_t* bytes;
    int used;
    {
      TVaLockGuard guard(FOwner.FWriteLock);
      bytes = FBuffer.Bytes();
      used = FBuffer.Used();
      if (used <= 0) {
        FDataEvent.Reset();
        continue;
      }
    }
    // Without the lock: AddData only appends behind these bytes. The write ends when the
    // device has taken them all or Stop is called.
    const int n = device.Write(bytes, used, INFINITE, &FCloseEvent.Object());
    if (FCloseEvent.IsSignaled()) {
      Terminate();
      break;
    }
    if (n > 0) {
      WriteCompleted(n);
    } else if (n < 0) {
      // The bytes stay queued and are tried again when more are queued: retrying a device
      // that fails at once (one that hung up) would only spin.
      {
        TVaLockGuard guard(FOwner.FWriteLock);
        FDataEvent.Reset();
      }
      DoWriteError();
    }
  }
}

void TVaCommWriteThread::WriteCompleted(int Count) {
  bool empty;
  {
    TVaLockGuard guard(FOwner.FWriteLock);
    FBuffer.Remove(Count);
    FRoomEvent.Signal();
    empty = FBuffer.Used() <= 0;
    if (empty) FDataEvent.Reset();
  }
  if (empty)
    DoTxEmpty();
  else
    FDataEvent.Signal();
}

void TVaCommWriteThread::DoTxEmpty() { HandOver(EV_TXEMPTY); }

void TVaCommWriteThread::DoWriteError() { HandOver(EV_ERR); }

void TVaCommWriteThread::HandOver(uint32_t Mask) {
  auto routine = [this, Mask] {
    try {
      FOwner.DispatchEvents(Mask);
    } catch (...) {
      HandleInApplication(this);
    }
  };
  if (UseSynchronize)
    Synchronize(routine);
  else
    routine();
}

// ---- TVaCustomComm: life ----

TVaCustomComm::TVaCustomComm(TComponent* AOwner)
    : TVaComponent(AOwner),
      FBuffers(std::make_unique<TVaBuffers>()),
      FEventChars(std::make_unique<TVaEventChars>()),
      FFlowControl(std::make_unique<TVaFlowControl>()) {
  FBuffers->OnChange = [this](TObject* s) { BuffersChanged(s); };
  FEventChars->OnChange = [this](TObject* s) { EventCharsChanged(s); };
  FFlowControl->OnChange = [this](TObject* s) { FlowControlChanged(s); };
}

TVaCustomComm::~TVaCustomComm() {
  FComponentState.Include(csDestroying);  // no OnClose from here
  try {
    Close();
  } catch (...) {
  }
}

void TVaCustomComm::Loaded() {
  TVaComponent::Loaded();
  if (!ComponentState().Contains(csDesigning) && FAutoOpen) Open();
}

THandle TVaCustomComm::Handle() const { return FDevice ? FDevice->Handle() : InvalidHandle; }

void TVaCustomComm::EnsureClosed() const {
  if (IsOpen()) throw EVaCommError(PortOpenMessage);
}

std::string TVaCustomComm::GetDeviceName() const {
  // The path is the platform's path for the name (on Windows with the "\\.\" prefix). The
  // name is a format with the port number as its one integer. Only %d (%i, %u) and %%
  // are understood; any other directive stays as text, so a name can never read arguments
  // that are not there.
  std::string out;
  const std::string& f = FDeviceName;
  for (size_t i = 0; i < f.size(); ++i) {
    if (f[i] == '%' && i + 1 < f.size()) {
      const char k = f[i + 1];
      if (k == 'd' || k == 'i' || k == 'u') {
        out += std::to_string(FPortNum);
        ++i;
        continue;
      }
      if (k == '%') {
        out += '%';
        ++i;
        continue;
      }
    }
    out += f[i];
  }
  return SerialDevicePath(out);
}

void TVaCustomComm::OpenDevice() {
  const std::string path = GetDeviceName();
  FDevice = OpenSerialDevice(path);
  if (FDevice) return;
  const int code = GetLastError();
  if (IsNoSuchDevice(code)) ThrowCommError("Specified device not found (" + EscapePercent(path) + ").", code);
  ThrowCommError("Can't open specified device " + EscapePercent(path) + " (Error %d, %s)", code);
}

void TVaCustomComm::CloseDevice() { FDevice.reset(); }

void TVaCustomComm::Open() {
  EnsureClosed();
  OpenDevice();
  try {
    if (IsOpen()) {
      ApplyDCB();
      ApplyBufferSizes();
      ApplyTimeouts();
      ApplyEventMask();
      StartThreads();
      DoOpen();
    }
  } catch (...) {
    // A thread that already runs must end before its device goes.
    StopThreads();
    CloseDevice();
    throw;
  }
}

void TVaCustomComm::Close() {
  if (!IsOpen()) return;
  FReadLock.Enter();
  try {
    StopThreads();
  } catch (...) {
    FReadLock.Leave();
    throw;
  }
  FReadLock.Leave();
  CloseDevice();
  DoClose();
  Sleep(300);
}

void TVaCustomComm::StartThreads() {
  if (FCommMask != 0) {
    FEventThread = std::make_unique<TVaCommEventThread>(*this);
    FEventThread->SetPriority(FEventPriority);
    FEventThread->UseSynchronize = FUseSynchronize;
    FEventThread->Start();
  }
  if (!FDirectWrite) {
    FWriteThread = std::make_unique<TVaCommWriteThread>(*this);
    FWriteThread->SetPriority(FWritePriority);
    FWriteThread->UseSynchronize = FUseSynchronize;
    FWriteThread->Start();
  }
}

void TVaCustomComm::StopThreads() {
  // WaitFor serves the hand-overs a thread may be blocked in.
  if (FEventThread) {
    FEventThread->Stop();
    FEventThread->WaitFor();
    FEventThread.reset();
  }
  if (FWriteThread) {
    FWriteThread->Stop();
    FWriteThread->WaitFor();
    FWriteThread.reset();
  }
}

void TVaCustomComm::DoOpen() {
  if (!OnOpen) return;
  try {
    OnOpen(this);
  } catch (...) {
    HandleInApplication(this);
  }
}

void TVaCustomComm::DoClose() {
  if (OnClose && !ComponentState().Contains(csDestroying)) OnClose(this);
}

void TVaCustomComm::RaiseCommError(const std::string& Format) const { ThrowCommError(Format, GetLastError()); }

void TVaCustomComm::CheckCommResult(bool Success, const std::string& Format) const {
  if (!Success) RaiseCommError(Format);
}

// ---- TVaCustomComm: driver configuration ----

TDCB TVaCustomComm::MakeDCB() const {
  TDCB d;  // all zero
  d.BaudRate = FBaudrate == brUser ? uint32_t(FUserBaudrate) : BaudrateValue(FBaudrate);
  uint32_t flags = fBinary;
  if (FOptions.Contains(coParityCheck)) flags |= fParity;
  if (FFlowControl->OutCtsFlow()) flags |= fOutxCtsFlow;
  if (FFlowControl->OutDsrFlow()) flags |= fOutxDsrFlow;
  switch (FFlowControl->ControlDtr()) {
    case dtrEnabled: flags |= DtrControlFlags(DTR_CONTROL_ENABLE); break;
    case dtrHandshake: flags |= DtrControlFlags(DTR_CONTROL_HANDSHAKE); break;
    case dtrDisabled: break;
  }
  if (FFlowControl->DsrSensitivity()) flags |= fDsrSensitivity;
  if (FFlowControl->TxContinueOnXoff()) flags |= fTXContinueOnXoff;
  if (FFlowControl->XonXoffOut()) flags |= fOutX;
  if (FFlowControl->XonXoffIn()) flags |= fInX;
  if (FOptions.Contains(coErrorChar)) flags |= fErrorChar;
  if (FOptions.Contains(coNullStrip)) flags |= fNull;
  switch (FFlowControl->ControlRts()) {
    case rtsEnabled: flags |= RtsControlFlags(RTS_CONTROL_ENABLE); break;
    case rtsHandshake: flags |= RtsControlFlags(RTS_CONTROL_HANDSHAKE); break;
    case rtsToggle: flags |= RtsControlFlags(RTS_CONTROL_TOGGLE); break;
    case rtsDisabled: break;
  }
  d.Flags = flags;
  d.XonLim = uint16_t(FBuffers->XonLimit());
  d.XoffLim = uint16_t(FBuffers->XoffLimit());
  static const uint8_t byteSize[] = {4, 5, 6, 7, 8};
  d.ByteSize = byteSize[FDatabits];
  d.Parity = uint8_t(FParity);
  d.StopBits = uint8_t(FStopbits);
  d.XonChar = FEventChars->XonChar();
  d.XoffChar = FEventChars->XoffChar();
  d.ErrorChar = FEventChars->ErrorChar();
  d.EofChar = FEventChars->EofChar();
  d.EvtChar = FEventChars->EventChar();
  return d;
}

void TVaCustomComm::ApplyDCB() {
  if (!IsOpen() || !FUpdateDCB) return;
  CheckCommResult(FDevice->SetCommState(MakeDCB()), "Error writing dcb (%d), %s");
}

void TVaCustomComm::ApplyBufferSizes() {
  if (!IsOpen()) return;
  CheckCommResult(FDevice->SetupComm(uint32_t(FBuffers->ReadSize()), uint32_t(FBuffers->WriteSize())),
                  "Error initializing buffers (%d), %s");
}

void TVaCustomComm::ApplyTimeouts() {
  if (!IsOpen()) return;
  TCommTimeouts t;
  t.ReadIntervalTimeout = 0xFFFFFFFFu;  // with the rest 0: reads return at once
  CheckCommResult(FDevice->SetCommTimeouts(t), "Error setting timeouts (%d), %s");
}

void TVaCustomComm::ApplyEventMask() {
  uint32_t mask = 0;
  for (int e = ceBreak; e <= ceEvent2; ++e)
    if (FMonitorEvents.Contains(TVaCommEvent(e))) mask |= CommEventBit(TVaCommEvent(e));
  // The write thread reports its own drained buffer.
  if (!FDirectWrite) mask &= ~EV_TXEMPTY;
  FCommMask = mask;
  if (IsOpen()) CheckCommResult(FDevice->SetCommMask(mask), " Error setting EventMask (%d), %s");
}

// ---- TVaCustomComm: settings ----

void TVaCustomComm::SetBaudrate(TVaBaudrate Value) {
  if (Value == FBaudrate) return;
  FBaudrate = Value;
  if (Value != brUser) FUserBaudrate = 0;
  ApplyDCB();
}

void TVaCustomComm::SetUserBaudrate(int Value) {
  if (Value == FUserBaudrate) return;
  FUserBaudrate = Value;
  FBaudrate = brUser;
  ApplyDCB();
}

void TVaCustomComm::SetParity(TVaParity Value) {
  if (Value == FParity) return;
  FParity = Value;
  ApplyDCB();
}

void TVaCustomComm::SetDatabits(TVaDatabits Value) {
  if (Value == FDatabits) return;
  FDatabits = Value;
  ApplyDCB();
}

void TVaCustomComm::SetStopbits(TVaStopbits Value) {
  if (Value == FStopbits) return;
  FStopbits = Value;
  ApplyDCB();
}

void TVaCustomComm::SetOptions(TVaCommOptions Value) {
  if (Value == FOptions) return;
  FOptions = Value;
  ApplyDCB();
}

void TVaCustomComm::SetBuffers(const TVaBuffers* Value) {
  EnsureClosed();
  FBuffers->Assign(Value);
}

void TVaCustomComm::SetPortNum(TVaPortInt Value) {
  EnsureClosed();
  FPortNum = Value < 0 ? 0 : Value;
}

void TVaCustomComm::SetDeviceName(const std::string& Value) {
  EnsureClosed();
  FDeviceName = Value;
}

void TVaCustomComm::SetMonitorEvents(TVaCommEvents Value) {
  EnsureClosed();
  FMonitorEvents = Value;
}

void TVaCustomComm::SetDirectWrite(bool Value) {
  EnsureClosed();
  FDirectWrite = Value;
}

void TVaCustomComm::SetUpdateDCB(bool Value) {
  EnsureClosed();
  FUpdateDCB = Value;
}

void TVaCustomComm::SetEventPriority(TThreadPriority Value) {
  if (Value == FEventPriority) return;
  FEventPriority = Value;
  if (FEventThread) FEventThread->SetPriority(Value);
}

void TVaCustomComm::SetWritePriority(TThreadPriority Value) {
  if (Value == FWritePriority) return;
  FWritePriority = Value;
  if (FWriteThread) FWriteThread->SetPriority(Value);
}

void TVaCustomComm::BuffersChanged(TObject*) { EnsureClosed(); }

void TVaCustomComm::EventCharsChanged(TObject*) { ApplyDCB(); }

void TVaCustomComm::FlowControlChanged(TObject*) { ApplyDCB(); }

// ---- TVaCustomComm: reading, writing, status ----

int TVaCustomComm::ReadData(void* Buffer, int Count) {
  if (!IsOpen() || !Buffer || Count <= 0) return 0;
  TVaLockGuard guard(FReadLock);
  const int n = FDevice->Read(Buffer, Count, uint32_t(FBuffers->ReadTimeout()));
  if (n < 0) RaiseCommError("Read error (%d), %s");
  return n;
}

int TVaCustomComm::WriteData(const void* Buffer, int Count) {
  if (!IsOpen() || !Buffer || Count <= 0) return 0;
  if (!FDirectWrite) {
    if (FWriteThread && FWriteThread->AddData(Buffer, Count)) return Count;
    RaiseCommError("Output buffer is full. Please check comm status.");
  }
  TVaLockGuard guard(FWriteLock);
  // What the device took before the time ran out stays counted: bytes handed to the line
  // cannot be called back.
  const int n = FDevice->Write(Buffer, Count, uint32_t(FBuffers->ReadTimeout()), nullptr);
  if (n < 0) RaiseCommError("Write error (%d), %s");
  return n;
}

void TVaCustomComm::GetStatus(TVaCommStatus& Status) {
  TVaLockGuard guard(FReadLock);
  Status = TVaCommStatus{};
  if (!IsOpen()) return;
  uint32_t errors = 0;
  TComStat stat;
  if (!FDevice->ClearCommError(errors, stat)) RaiseCommError("Error retrieving statistics (%d), %s");
  Status.Errors = errors;
  Status.Flags = stat.Flags;
  Status.InQueue = stat.cbInQue;
  Status.OutQueue = stat.cbOutQue;
}

int TVaCustomComm::InQueueCount() {
  if (!IsOpen()) return 0;
  TVaCommStatus s;
  GetStatus(s);
  return int(s.InQueue);
}

bool TVaCustomComm::CheckLineErrors() {
  TVaCommStatus s;
  GetStatus(s);
  const bool result = s.Errors != 0;
  if (result && OnError) {
    try {
      OnError(this, int(s.Errors));
    } catch (...) {
      HandleInApplication(this);
    }
  }
  return result;
}

// ---- TVaCustomComm: events ----

void TVaCustomComm::DoRxChar() {
  const int count = InQueueCount();
  if (count > 0 && OnRxChar) OnRxChar(this, count);
}

void TVaCustomComm::DispatchEvents(uint32_t Mask) {
  auto raise = [this](const TNotifyEvent& e) {
    if (e) e(this);
  };
  if (Mask & EV_ERR) CheckLineErrors();
  if (Mask & EV_RXFLAG) raise(OnRxFlag);
  if (Mask & EV_CTS) raise(OnCts);
  if (Mask & EV_DSR) raise(OnDsr);
  if (Mask & EV_RING) raise(OnRing);
  if (Mask & EV_RLSD) raise(OnRlsd);
  if (Mask & EV_TXEMPTY) raise(OnTxEmpty);
  if (Mask & EV_BREAK) raise(OnBreak);
  if (Mask & EV_PERR) raise(OnPErr);
  if (Mask & EV_RX80FULL) raise(OnRx80Full);
  if (Mask & EV_EVENT1) raise(OnEvent1);
  if (Mask & EV_EVENT2) raise(OnEvent2);
}

// ---- TVaComm ----

std::string TVaComm::Version() const {
  const uint32_t v = 0x01030500u;
  return std::to_string(v >> 24) + "." + std::to_string((v >> 16) & 0xFF) + "." +
         std::to_string((v >> 8) & 0xFF) + "." + std::to_string(v & 0xFF);
}
