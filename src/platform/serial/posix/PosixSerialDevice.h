#pragma once
#include <atomic>
#include <memory>
#include <mutex>
#include <string>

#include "platform/serial/SerialDevice.h"
#include "platform/serial/posix/ModemWatcher.h"

// Line counters of the driver (TIOCGICOUNT), where it keeps them.
struct TLineCounts {
  int Cts = 0, Dsr = 0, Rng = 0, Dcd = 0;
  int Frame = 0, Overrun = 0, Parity = 0, Brk = 0, BufOverrun = 0;
};

// The events and the error flags the difference between two counts stands for.
uint32_t EventsBetween(const TLineCounts& before, const TLineCounts& now);
uint32_t ErrorsBetween(const TLineCounts& before, const TLineCounts& now);

// A tty opened as a serial port. See PosixSerialDevice.cpp for how the line events are
// found.
class TPosixSerialDevice final : public TSerialDevice {
 public:
  // Null with errno set when the device cannot be opened or is held by someone else.
  static std::unique_ptr<TPosixSerialDevice> Open(const std::string& path);
  // The same for a descriptor already open (Open's checks and set-up); takes it over, and
  // closes it on failure.
  static std::unique_ptr<TPosixSerialDevice> Adopt(int fd);
  ~TPosixSerialDevice() override;

  THandle Handle() const override { return FFd; }
  bool SetCommState(const TDCB& dcb) override;
  bool SetupComm(uint32_t inQueue, uint32_t outQueue) override;
  bool SetCommTimeouts(const TCommTimeouts& timeouts) override;
  bool SetCommMask(uint32_t mask) override;
  TCommWaitResult WaitCommEvent(uint32_t& events, TEventObject& stop) override;
  bool ClearCommError(uint32_t& errors, TComStat& stat) override;
  int Read(void* buffer, int count, uint32_t timeoutMs) override;
  int Write(const void* buffer, int count, uint32_t timeoutMs, TEventObject* stop) override;

 private:
  TPosixSerialDevice() = default;
  bool Init(int fd);
  void CollectLocked();
  bool WatchStop(TEventObject& stop);
  bool TakeEpollEvents(const struct epoll_event* events, int count);
  void ArmTxWatch(bool on);
  void ModemLinesChanged();
  int DrainWaitLocked() const;
  bool ErrorsMayPassUnseenLocked() const;
  static constexpr int ErrorRecheckMs = 100;
  int WriteSome(const void* buffer, int count);
  enum class TRoom { Ready, Timeout, Stopped, Failed };
  TRoom WaitForRoom(uint64_t startTick, uint32_t timeoutMs, TEventObject* stop);

  int FFd = -1;
  int FOutFd = -1;  // a second descriptor of the tty, so "writable" is watched apart from input
  int FEpoll = -1;
  TEventObject FKick{true, false};  // the modem watcher wakes the waiting thread with it
  // The stop signal of WaitCommEvent, in the epoll set while it is the one given (the event
  // thread's, the same at every wait): one epoll_wait then waits for everything.
  int FStopFd = -1;
  uint64_t FStopSerial = 0;  // 0: none in the set

  std::mutex FLock;  // guards the fields below
  uint32_t FMask = 0;
  uint32_t FPending = 0;  // events of the mask that occurred and were not reported yet
  bool FHasCounts = false;
  TLineCounts FEventCounts;  // as last seen by the event wait
  TLineCounts FErrorCounts;  // as last seen by ClearCommError
  int FModemLines = 0;       // for devices with TIOCMIWAIT but without counters
  bool FTxPending = false;   // written bytes not yet drained, with EV_TXEMPTY in the mask
  uint32_t FOutQueue = 0;
  uint32_t FBaudRate = 9600;
  bool FCtsFlow = false;
  std::atomic<bool> FHungUp{false};

  std::unique_ptr<TModemWatcher> FWatcher;
};
