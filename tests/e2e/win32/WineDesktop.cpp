#include "WineDesktop.h"

#include <windows.h>

#include <fstream>
#include <sstream>

#include "platform/rtl/win32/Utf16.h"

TWinProcess::TWinProcess(const std::string& exe, const std::string& workingDir) {
  std::wstring command = L"\"" + Utf8ToUtf16(exe) + L"\"";
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, Utf8ToUtf16(workingDir).c_str(), &si,
                      &pi))
    return;
  CloseHandle(pi.hThread);
  FProcess = pi.hProcess;
  FId = pi.dwProcessId;
}

TWinProcess::~TWinProcess() {
  if (!FProcess) return;
  if (Running()) {
    TerminateProcess(FProcess, 99);
    WaitForSingleObject(FProcess, 5000);
  }
  CloseHandle(FProcess);
}

bool TWinProcess::Running() const { return FProcess && WaitForSingleObject(FProcess, 0) == WAIT_TIMEOUT; }

bool TWinProcess::WaitExit(int ms) const { return FProcess && WaitForSingleObject(FProcess, DWORD(ms)) == WAIT_OBJECT_0; }

uint32_t TWinProcess::ExitCode() const {
  DWORD code = STILL_ACTIVE;
  if (FProcess) GetExitCodeProcess(FProcess, &code);
  return code;
}

std::string WindowsPath(const std::string& linuxPath) {
  std::string p = "Z:" + linuxPath;
  for (char& c : p)
    if (c == '/') c = '\\';
  return p;
}

std::string ReadWholeFile(const std::string& windowsPath) {
  // Shared for writing: the simulator appends to its log while the test reads it.
  HANDLE h = CreateFileW(Utf8ToUtf16(windowsPath).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return {};
  std::string text;
  char buf[8192];
  DWORD n = 0;
  while (ReadFile(h, buf, sizeof buf, &n, nullptr) && n > 0) text.append(buf, n);
  CloseHandle(h);
  return text;
}

bool WriteWholeFile(const std::string& windowsPath, const std::string& text) {
  std::ofstream f(windowsPath, std::ios::binary);
  f << text;
  return bool(f);
}
