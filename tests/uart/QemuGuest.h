#pragma once
// An emulated PC whose second 16550 UART (ttyS1 in the guest, Linux's 8250 driver) is
// played by the test: its data through a pseudo-terminal the test holds the master of, its
// modem lines and frame format through the shim preloaded into the emulator, breaks through
// the emulator's monitor. The guest runs the command program of guest/UartGuest.cpp on its
// console.
#include <sys/types.h>

#include <cstdint>
#include <string>

#include "platform/serial/SerialTestSupport.h"
#include "uart/rig/UartLines.h"

struct TQemuGuestFiles {
  std::string Emulator;  // qemu-system-x86_64 (searched on PATH when it has no '/')
  std::string KernelDir;  // vmlinux (started directly, the quicker) or vmlinuz
  std::string Initrd;
  std::string Shim;
};

class TQemuGuest {
 public:
  ~TQemuGuest();

  // Boots the guest until its program is ready. Empty on success, else why the rig cannot
  // run here (something missing: a reason to skip) or what went wrong (prefixed "failed: ").
  std::string Start(const TQemuGuestFiles& files);

  // Sends one command line and gives the answer's text without its "@ ", or "" when none
  // came within `ms`.
  std::string Command(const std::string& line, int ms = 10000);
  // The next answer (after a command that answers twice, such as "wait").
  std::string Answer(int ms = 10000);

  // The far end of the guest's UART.
  TPtyPair& Line() { return FPty; }
  uint32_t Speed() const { return Load(&FLines->Speed); }
  uint32_t Cflag() const { return Load(&FLines->Cflag); }
  uint32_t OutLines() const { return Load(&FLines->OutLines); }
  void SetInLines(uint32_t lines) { __atomic_store_n(&FLines->InLines, lines, __ATOMIC_SEQ_CST); }
  bool SendBreak();

  // The last lines of the console, for a failure message.
  std::string ConsoleTail() const;

 private:
  static uint32_t Load(const uint32_t* p) { return __atomic_load_n(p, __ATOMIC_SEQ_CST); }
  bool ReadLine(std::string& line, int ms);
  void Stop();

  TPtyPair FPty;
  std::string FDir;
  TUartLines* FLines = nullptr;
  pid_t FPid = -1;
  int FIn = -1;   // the guest console's input
  int FOut = -1;  // and its output
  int FMonitor = -1;
  std::string FPending;  // console output not yet split into lines
  std::string FConsole;  // everything the console printed
};
