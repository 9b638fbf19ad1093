// The serial device on the Windows communications API. Every call is the API call of the
// same name. Reads, writes and the event wait are overlapped, each with its own event and
// record, so they may run at the same time on different threads; none is still outstanding
// when its call returns, so no record or buffer goes away under a running operation.
#include <cstddef>
#include <cstring>
#include <memory>
#include <string>

#include "platform/rtl/win32/Utf16.h"
#include "platform/serial/SerialDevice.h"
// After ours; no Tick.h, Sleep.h or SysError.h here (see kernel/win32/SystemCalls.h).
#include <windows.h>

// TDCB is the system's DCB byte for byte, so a block goes to the driver as it was built.
static_assert(sizeof(DCB) == sizeof(TDCB));
static_assert(offsetof(DCB, XonLim) == offsetof(TDCB, XonLim));
static_assert(offsetof(DCB, EvtChar) == offsetof(TDCB, EvtChar));

namespace {

// How long a cancelled comm wait is given to end before the mask is set again to end it.
constexpr DWORD CancelGraceMs = 20;

HANDLE EventHandle(TEventObject& e) { return reinterpret_cast<HANDLE>(e.Handle()); }

bool IsSet(TEventObject* e) { return e && WaitForSingleObject(EventHandle(*e), 0) == WAIT_OBJECT_0; }

bool IsNtPlatform() {
  OSVERSIONINFOW v{};
  v.dwOSVersionInfoSize = sizeof v;
  return !GetVersionExW(&v) || v.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

class TWin32SerialDevice final : public TSerialDevice {
 public:
  // Null with the last error set when CreateFile fails.
  static std::unique_ptr<TWin32SerialDevice> Open(const std::string& path);
  ~TWin32SerialDevice() override;

  THandle Handle() const override { return reinterpret_cast<THandle>(FPort); }
  bool SetCommState(const TDCB& dcb) override;
  bool SetupComm(uint32_t inQueue, uint32_t outQueue) override;
  bool SetCommTimeouts(const TCommTimeouts& timeouts) override;
  bool SetCommMask(uint32_t mask) override;
  TCommWaitResult WaitCommEvent(uint32_t& events, TEventObject& stop) override;
  bool ClearCommError(uint32_t& errors, TComStat& stat) override;
  int Read(void* buffer, int count, uint32_t timeoutMs) override;
  int Write(const void* buffer, int count, uint32_t timeoutMs, TEventObject* stop) override;

 private:
  TWin32SerialDevice() = default;
  void EndCommWait(OVERLAPPED& ov);

  HANDLE FPort = INVALID_HANDLE_VALUE;
  HANDLE FWaitEvent = nullptr;  // completion of WaitCommEvent
  HANDLE FReadEvent = nullptr;
  HANDLE FWriteEvent = nullptr;
  volatile LONG FMask = 0;  // the last mask set, given again to end a comm wait
};

}  // namespace

std::string SerialDevicePath(const std::string& name) {
  static const bool nt = IsNtPlatform();
  return nt ? "\\\\.\\" + name : name;
}

std::string ResolveSerialDeviceName(const std::string& name) {
  // A path of the device namespace ("\\.\COM9", what SerialDevicePath gives) stays as it is.
  if (name.rfind("\\\\", 0) == 0) return name;
  return SerialDevicePath(name);
}

bool IsNoSuchDevice(int errorCode) { return DWORD(errorCode) == ERROR_FILE_NOT_FOUND; }

std::unique_ptr<TSerialDevice> OpenSerialDevice(const std::string& name) {
  return TWin32SerialDevice::Open(ResolveSerialDeviceName(name));
}

std::unique_ptr<TWin32SerialDevice> TWin32SerialDevice::Open(const std::string& path) {
  const HANDLE port = CreateFileW(Utf8ToUtf16(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_OVERLAPPED, nullptr);
  if (port == INVALID_HANDLE_VALUE) return nullptr;
  std::unique_ptr<TWin32SerialDevice> d(new TWin32SerialDevice());
  d->FPort = port;
  d->FWaitEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  d->FReadEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  d->FWriteEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (!d->FWaitEvent || !d->FReadEvent || !d->FWriteEvent) {
    const DWORD e = GetLastError();
    d.reset();
    SetLastError(e);
    return nullptr;
  }
  return d;
}

TWin32SerialDevice::~TWin32SerialDevice() {
  if (FPort != INVALID_HANDLE_VALUE) CloseHandle(FPort);
  for (HANDLE e : {FWaitEvent, FReadEvent, FWriteEvent})
    if (e) CloseHandle(e);
}

bool TWin32SerialDevice::SetCommState(const TDCB& block) {
  DCB dcb;
  std::memcpy(&dcb, &block, sizeof dcb);
  return ::SetCommState(FPort, &dcb);
}

bool TWin32SerialDevice::SetupComm(uint32_t inQueue, uint32_t outQueue) {
  return ::SetupComm(FPort, inQueue, outQueue);
}

bool TWin32SerialDevice::SetCommTimeouts(const TCommTimeouts& t) {
  COMMTIMEOUTS c{t.ReadIntervalTimeout, t.ReadTotalTimeoutMultiplier, t.ReadTotalTimeoutConstant,
                 t.WriteTotalTimeoutMultiplier, t.WriteTotalTimeoutConstant};
  return ::SetCommTimeouts(FPort, &c);
}

bool TWin32SerialDevice::SetCommMask(uint32_t mask) {
  InterlockedExchange(&FMask, LONG(mask));
  return ::SetCommMask(FPort, mask);
}

TCommWaitResult TWin32SerialDevice::WaitCommEvent(uint32_t& events, TEventObject& stop) {
  events = 0;
  const HANDLE stopHandle = EventHandle(stop);
  for (;;) {
    // The wait's own event is reset when the wait starts; the stop signal is a separate
    // object, so a stop that comes just before is not lost.
    if (IsSet(&stop)) return TCommWaitResult::Stopped;
    OVERLAPPED ov{};
    ov.hEvent = FWaitEvent;
    DWORD mask = 0;
    if (!::WaitCommEvent(FPort, &mask, &ov)) {
      if (GetLastError() != ERROR_IO_PENDING) return TCommWaitResult::Refused;
      const HANDLE objects[2] = {FWaitEvent, stopHandle};
      const DWORD r = WaitForMultipleObjects(2, objects, FALSE, INFINITE);
      if (r != WAIT_OBJECT_0) {
        const DWORD e = GetLastError();
        EndCommWait(ov);
        if (r == WAIT_OBJECT_0 + 1) return TCommWaitResult::Stopped;
        SetLastError(e);
        return TCommWaitResult::Refused;
      }
      // The wait has ended: its event is set only then. The result is asked for as by a
      // caller that waits, which returns at once here. Wine's comm wait may end on a thread
      // of its own before WaitCommEvent has marked it pending, and that mark then stays;
      // asked without waiting, the ended wait would read as unfinished for good.
      DWORD n;
      if (!GetOverlappedResult(FPort, &ov, &n, TRUE)) return TCommWaitResult::Refused;
    }
    if (mask != 0) {
      events = mask;
      return TCommWaitResult::Event;
    }
    // A wait ended by a new mask reports no event: wait again.
  }
}

void TWin32SerialDevice::EndCommWait(OVERLAPPED& ov) {
  CancelIoEx(FPort, &ov);
  // A comm driver that does not cancel a comm wait ends it when it is given a mask (Wine's
  // does only that).
  if (WaitForSingleObject(ov.hEvent, CancelGraceMs) != WAIT_OBJECT_0) ::SetCommMask(FPort, DWORD(FMask));
  DWORD n;
  GetOverlappedResult(FPort, &ov, &n, TRUE);  // the record is on the caller's stack
}

bool TWin32SerialDevice::ClearCommError(uint32_t& errors, TComStat& stat) {
  errors = 0;
  stat = TComStat{};
  DWORD e = 0;
  COMSTAT cs{};
  if (!::ClearCommError(FPort, &e, &cs)) return false;
  errors = e;
  std::memcpy(&stat.Flags, &cs, sizeof stat.Flags);  // the hold bits fill the first word, fCtsHold lowest
  stat.cbInQue = cs.cbInQue;
  stat.cbOutQue = cs.cbOutQue;
  return true;
}

namespace {

// Waits for an overlapped read or write that is pending, until `timeoutMs` or `stop`; one
// not finished by then is cancelled and waited for, so its record and buffer may go. The
// result is the bytes transferred (also those of a cancelled one), -1 when it failed.
int FinishTransfer(HANDLE port, OVERLAPPED& ov, uint32_t timeoutMs, TEventObject* stop) {
  const HANDLE objects[2] = {ov.hEvent, stop ? EventHandle(*stop) : nullptr};
  const DWORD r = WaitForMultipleObjects(stop ? 2 : 1, objects, FALSE, timeoutMs);
  DWORD n = 0;
  if (r == WAIT_OBJECT_0) return GetOverlappedResult(port, &ov, &n, FALSE) ? int(n) : -1;
  const DWORD e = GetLastError();
  CancelIoEx(port, &ov);
  if (GetOverlappedResult(port, &ov, &n, TRUE)) return int(n);
  if (GetLastError() == ERROR_OPERATION_ABORTED) return int(ov.InternalHigh);
  if (r == WAIT_FAILED) SetLastError(e);
  return -1;
}

}  // namespace

int TWin32SerialDevice::Read(void* buffer, int count, uint32_t timeoutMs) {
  if (count <= 0) return 0;
  OVERLAPPED ov{};
  ov.hEvent = FReadEvent;
  DWORD n = 0;
  if (ReadFile(FPort, buffer, DWORD(count), nullptr, &ov))
    return GetOverlappedResult(FPort, &ov, &n, FALSE) ? int(n) : -1;
  if (GetLastError() != ERROR_IO_PENDING) return -1;
  return FinishTransfer(FPort, ov, timeoutMs, nullptr);
}

int TWin32SerialDevice::Write(const void* buffer, int count, uint32_t timeoutMs, TEventObject* stop) {
  if (count <= 0 || IsSet(stop)) return 0;
  OVERLAPPED ov{};
  ov.hEvent = FWriteEvent;
  DWORD n = 0;
  if (WriteFile(FPort, buffer, DWORD(count), nullptr, &ov))
    return GetOverlappedResult(FPort, &ov, &n, FALSE) ? int(n) : -1;
  if (GetLastError() != ERROR_IO_PENDING) return -1;
  return FinishTransfer(FPort, ov, timeoutMs, stop);
}
