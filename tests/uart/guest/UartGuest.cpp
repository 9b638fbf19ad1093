// The program inside the emulated machine: it works one serial port through the serial
// device layer, one command a line from standard input (the machine's console), and answers
// each with one line that starts with "@ ". The host test plays the far end of the port.
//
//   open NAME                  -> ok | fail ERRNO NOTFOUND(0/1)
//   close                      -> ok
//   state RATE BITS PARITY STOP DTR RTS CTSFLOW
//                              -> ok | fail ERRNO   (SetCommState; the numbers as TDCB has them)
//   mask HEX                   -> ok                (SetCommMask)
//   wait MS                    -> "@ waiting", then: events HEX MS | none | refused ERRNO
//   errors                     -> errors HEX FLAGS HEX INQ N OUTQ N   (ClearCommError)
//   write N                    -> wrote N           (bytes 0, 1, 2, ... within the time limit)
//   read MAX                   -> read N HEX...
//   run COMMAND                -> status N          (a shell command; its output on the console)
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "platform/kernel/EventObject.h"
#include "platform/kernel/Tick.h"
#include "platform/serial/SerialDevice.h"
#include "platform/serial/WaitOnce.h"

namespace {

std::unique_ptr<TSerialDevice> Port;

void Answer(const std::string& line) {
  std::printf("@ %s\n", line.c_str());
  std::fflush(stdout);
}

std::string Hex(uint32_t v) {
  char s[16];
  std::snprintf(s, sizeof s, "%x", v);
  return s;
}

void SetState(std::istringstream& in) {
  uint32_t rate = 0, bits = 0, parity = 0, stop = 0, dtr = 0, rts = 0, ctsFlow = 0;
  in >> rate >> bits >> parity >> stop >> dtr >> rts >> ctsFlow;
  TDCB dcb;
  dcb.DCBlength = sizeof dcb;
  dcb.BaudRate = rate;
  dcb.ByteSize = uint8_t(bits);
  dcb.Parity = uint8_t(parity);
  dcb.StopBits = uint8_t(stop);
  dcb.Flags = fBinary | DtrControlFlags(dtr) | RtsControlFlags(rts) | (ctsFlow ? fOutxCtsFlow : 0);
  dcb.XonChar = 0x11;
  dcb.XoffChar = 0x13;
  Answer(Port->SetCommState(dcb) ? "ok" : "fail " + std::to_string(errno));
}

void Wait(uint32_t ms) {
  static TEventObject stop(true, false);
  Answer("waiting");
  const uint64_t start = GetTickCount64();
  uint32_t events = 0;
  const TCommWaitResult r = WaitOnce(*Port, stop, events, int(ms));
  const uint64_t took = GetTickCount64() - start;
  if (r == TCommWaitResult::Event)
    Answer("events " + Hex(events) + " " + std::to_string(took));
  else if (r == TCommWaitResult::Stopped)
    Answer("none");
  else
    Answer("refused " + std::to_string(errno));
}

void Run(const std::string& line) {
  std::istringstream in(line);
  std::string cmd;
  in >> cmd;
  if (cmd == "open") {
    std::string name;
    in >> name;
    Port = OpenSerialDevice(name);
    const int e = errno;
    Answer(Port ? "ok" : "fail " + std::to_string(e) + " " + (IsNoSuchDevice(e) ? "1" : "0"));
  } else if (cmd == "close") {
    Port.reset();
    Answer("ok");
  } else if (cmd == "run") {
    std::string command;
    std::getline(in, command);
    const int status = std::system(command.c_str());
    Answer("status " + std::to_string(WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status)));
  } else if (!Port) {
    Answer("no port");
  } else if (cmd == "state") {
    SetState(in);
  } else if (cmd == "mask") {
    std::string hex;
    in >> hex;
    Answer(Port->SetCommMask(uint32_t(std::stoul(hex, nullptr, 16))) ? "ok" : "fail " + std::to_string(errno));
  } else if (cmd == "wait") {
    uint32_t ms = 0;
    in >> ms;
    Wait(ms);
  } else if (cmd == "errors") {
    uint32_t errors = 0;
    TComStat stat;
    if (!Port->ClearCommError(errors, stat)) return Answer("fail " + std::to_string(errno));
    Answer("errors " + Hex(errors) + " flags " + Hex(stat.Flags) + " inq " + std::to_string(stat.cbInQue) +
           " outq " + std::to_string(stat.cbOutQue));
  } else if (cmd == "write") {
    int n = 0;
    in >> n;
    std::vector<uint8_t> bytes(size_t(std::max(n, 0)));
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = uint8_t(i);
    Answer("wrote " + std::to_string(Port->Write(bytes.data(), n, 2000, nullptr)));
  } else if (cmd == "read") {
    int max = 0;
    in >> max;
    std::vector<uint8_t> bytes(size_t(std::max(max, 1)));
    const int n = Port->Read(bytes.data(), max, 0);
    std::string text = "read " + std::to_string(n);
    for (int i = 0; i < n && i < 64; ++i) text += " " + Hex(bytes[size_t(i)]);
    Answer(text);
  } else {
    Answer("unknown " + cmd);
  }
}

}  // namespace

int main() {
  // The console echoes what the host types; the host reads answers only.
  termios t;
  if (tcgetattr(0, &t) == 0) {
    t.c_lflag &= ~tcflag_t(ECHO);
    tcsetattr(0, TCSANOW, &t);
  }
  Answer("ready");
  std::string line;
  while (std::getline(std::cin, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line == "quit") break;
    if (!line.empty()) Run(line);
  }
  Port.reset();
  Answer("bye");
  return 0;
}
