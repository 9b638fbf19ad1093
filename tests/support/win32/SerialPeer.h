#pragma once
// The Windows side of the serial rig under Wine: starts the Linux peer (SerialPeer.c), which
// links pseudo-terminals as COM ports of the prefix and plays the devices, and gives it
// commands over loopback TCP. Every call has a time limit; a peer that does not answer
// makes the calls fail, never hang.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/serial/SerialDevice.h"

// Modem input lines for SetLines (the TIOCM_ bits the preloaded shim reports).
constexpr int PeerCts = 0x020, PeerCd = 0x040, PeerRing = 0x080, PeerDsr = 0x100;

class TSerialPeer {
 public:
  TSerialPeer();
  ~TSerialPeer();
  TSerialPeer(const TSerialPeer&) = delete;
  TSerialPeer& operator=(const TSerialPeer&) = delete;

  bool Ok() const { return FConnected; }
  const std::string& Error() const { return FError; }

  // A new port: the number n of COMn, or -1.
  int OpenPort();
  bool Send(int com, const std::string& bytes);
  // What the program sent, until `count` bytes came or `ms` passed.
  std::string Receive(int com, size_t count, int ms);
  bool SetLines(int com, int bits);
  bool HangUp(int com);         // the master side closes: the device vanishes
  bool MakeNotADevice(int com); // COMn then names something that is no device
  bool FreePort(int com);
  // A free number n for a device that a Linux program links as COMn itself, or -1.
  int ReservePort();

  // A Linux program (paths as Linux names them; no spaces), its output to the file `log`:
  // its process id, or -1. Those still running when the peer goes get SIGTERM.
  int Run(const std::string& log, const std::vector<std::string>& argv);
  bool Signal(int pid, int sig);
  // "running", "exited CODE" or "killed SIG"; an "err ..." text when the peer cannot tell.
  std::string Status(int pid);

 private:
  std::string Ask(const std::string& line, int ms);

  uintptr_t FListen = ~uintptr_t(0);
  uintptr_t FSocket = ~uintptr_t(0);
  void* FProcess = nullptr;
  bool FConnected = false;
  std::string FError;
};

// What the driver holds for an open port (GetCommState, GetCommTimeouts, GetCommMask).
struct TDriverState {
  bool Ok = false;
  TDCB Dcb;
  TCommTimeouts Timeouts;
  uint32_t Mask = 0;
};
TDriverState ReadDriverState(THandle port);

// The error CreateFile gives for a device path now (0 when it opens; it is closed again).
int OpenError(const std::string& path);
