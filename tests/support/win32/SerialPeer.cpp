#include "support/win32/SerialPeer.h"

#include <cstring>

// After our headers; winsock2.h before windows.h. No Tick.h, Sleep.h or SysError.h here.
#include <winsock2.h>
#include <windows.h>

namespace {

constexpr int StartLimitMs = 10000;
constexpr int AnswerLimitMs = 10000;

std::string Hex(const std::string& bytes) {
  static const char digits[] = "0123456789abcdef";
  std::string out;
  for (unsigned char c : bytes) {
    out += digits[c >> 4];
    out += digits[c & 15];
  }
  return out;
}

std::string Unhex(const std::string& hex) {
  std::string out;
  for (size_t i = 0; i + 1 < hex.size(); i += 2) out += char(std::stoi(hex.substr(i, 2), nullptr, 16));
  return out;
}

bool Readable(SOCKET s, int ms) {
  fd_set set;
  FD_ZERO(&set);
  FD_SET(s, &set);
  timeval tv{ms / 1000, (ms % 1000) * 1000};
  return select(0, &set, nullptr, nullptr, &tv) == 1;
}

struct TWinsock {
  bool Ok;
  TWinsock() {
    WSADATA data;
    Ok = WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }
};

}  // namespace

TSerialPeer::TSerialPeer() {
  static TWinsock winsock;
  if (!winsock.Ok) {
    FError = "no Winsock";
    return;
  }
  const SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  FListen = listener;
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  int len = sizeof addr;
  if (listener == INVALID_SOCKET || bind(listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
      listen(listener, 1) != 0 || getsockname(listener, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
    FError = "cannot listen";
    return;
  }
  // The peer is a Linux program; Wine starts it from its path on drive Z:, which is "/".
  std::string path = std::string("Z:") + ORVEL_SERIAL_PEER;
  for (char& c : path)
    if (c == '/') c = '\\';
  std::string command = "\"" + path + "\" " + std::to_string(ntohs(addr.sin_port));
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
    FError = "cannot start the peer (error " + std::to_string(GetLastError()) + ")";
    return;
  }
  CloseHandle(pi.hThread);
  FProcess = pi.hProcess;
  if (!Readable(listener, StartLimitMs)) {
    FError = "the peer did not connect";
    return;
  }
  const SOCKET s = accept(listener, nullptr, nullptr);
  FSocket = s;
  FConnected = s != INVALID_SOCKET;
  if (!FConnected) FError = "accept failed";
}

TSerialPeer::~TSerialPeer() {
  // Ending the connection ends the peer, which removes its links.
  if (FSocket != INVALID_SOCKET) closesocket(SOCKET(FSocket));
  if (FListen != INVALID_SOCKET) closesocket(SOCKET(FListen));
  if (FProcess) {
    WaitForSingleObject(FProcess, 5000);
    CloseHandle(FProcess);
  }
}

std::string TSerialPeer::Ask(const std::string& line, int ms) {
  if (!FConnected) return "err " + FError;
  const std::string out = line + "\n";
  if (send(SOCKET(FSocket), out.data(), int(out.size()), 0) != int(out.size())) {
    FConnected = false;
    FError = "the peer is gone";
    return "err " + FError;
  }
  std::string reply;
  const DWORD end = GetTickCount() + DWORD(ms);
  for (;;) {
    const size_t nl = reply.find('\n');
    if (nl != std::string::npos) return reply.substr(0, nl);
    const LONG left = LONG(end - GetTickCount());
    if (left <= 0 || !Readable(SOCKET(FSocket), int(left))) break;
    char buf[4096];
    const int n = recv(SOCKET(FSocket), buf, sizeof buf, 0);
    if (n <= 0) break;
    reply.append(buf, size_t(n));
  }
  FConnected = false;
  FError = "the peer did not answer \"" + line.substr(0, 40) + "\"";
  return "err " + FError;
}

int TSerialPeer::OpenPort() {
  const std::string r = Ask("open", AnswerLimitMs);
  if (r.rfind("ok ", 0) != 0) {
    FError = r;
    return -1;
  }
  return std::stoi(r.substr(3));
}

bool TSerialPeer::Send(int com, const std::string& bytes) {
  return Ask("send " + std::to_string(com) + " " + Hex(bytes), AnswerLimitMs) == "ok";
}

std::string TSerialPeer::Receive(int com, size_t count, int ms) {
  const std::string r =
      Ask("recv " + std::to_string(com) + " " + std::to_string(count) + " " + std::to_string(ms), ms + AnswerLimitMs);
  return r.rfind("data ", 0) == 0 ? Unhex(r.substr(5)) : std::string();
}

bool TSerialPeer::SetLines(int com, int bits) {
  return Ask("lines " + std::to_string(com) + " " + std::to_string(bits), AnswerLimitMs) == "ok";
}

bool TSerialPeer::HangUp(int com) { return Ask("hangup " + std::to_string(com), AnswerLimitMs) == "ok"; }

bool TSerialPeer::MakeNotADevice(int com) {
  return Ask("notadevice " + std::to_string(com), AnswerLimitMs) == "ok";
}

bool TSerialPeer::FreePort(int com) { return Ask("free " + std::to_string(com), AnswerLimitMs) == "ok"; }

int TSerialPeer::ReservePort() {
  const std::string r = Ask("reserve", AnswerLimitMs);
  if (r.rfind("ok ", 0) != 0) {
    FError = r;
    return -1;
  }
  return std::stoi(r.substr(3));
}

int TSerialPeer::Run(const std::string& log, const std::vector<std::string>& argv) {
  std::string line = "run " + log;
  for (const std::string& a : argv) line += " " + a;
  const std::string r = Ask(line, AnswerLimitMs);
  if (r.rfind("ok ", 0) != 0) {
    FError = r;
    return -1;
  }
  return std::stoi(r.substr(3));
}

bool TSerialPeer::Signal(int pid, int sig) {
  return Ask("signal " + std::to_string(pid) + " " + std::to_string(sig), AnswerLimitMs) == "ok";
}

std::string TSerialPeer::Status(int pid) { return Ask("status " + std::to_string(pid), AnswerLimitMs); }

TDriverState ReadDriverState(THandle port) {
  const HANDLE h = reinterpret_cast<HANDLE>(port);
  TDriverState s;
  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  COMMTIMEOUTS t{};
  DWORD mask = 0;
  s.Ok = GetCommState(h, &dcb) && GetCommTimeouts(h, &t) && GetCommMask(h, &mask);
  static_assert(sizeof dcb == sizeof s.Dcb);
  std::memcpy(static_cast<void*>(&s.Dcb), &dcb, sizeof dcb);
  s.Timeouts = {t.ReadIntervalTimeout, t.ReadTotalTimeoutMultiplier, t.ReadTotalTimeoutConstant,
                t.WriteTotalTimeoutMultiplier, t.WriteTotalTimeoutConstant};
  s.Mask = mask;
  return s;
}

int OpenError(const std::string& path) {
  const HANDLE h = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                               FILE_FLAG_OVERLAPPED, nullptr);
  if (h == INVALID_HANDLE_VALUE) return int(GetLastError());
  CloseHandle(h);
  return 0;
}
