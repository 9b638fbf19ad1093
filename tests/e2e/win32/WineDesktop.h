#pragma once
// What the end-to-end test under Wine does around the program: start it in its working
// folder, and reach the folder's files from Wine's side. Kept apart from <windows.h>, whose
// names clash with the framework's in the test that paints the reference.
#include <cstdint>
#include <string>

// A Windows program started in a working directory; killed by the destructor if it still
// runs, so a failing test leaves nothing behind.
class TWinProcess {
 public:
  TWinProcess(const std::string& exe, const std::string& workingDir);
  ~TWinProcess();
  TWinProcess(const TWinProcess&) = delete;
  TWinProcess& operator=(const TWinProcess&) = delete;

  bool Started() const { return FProcess != nullptr; }
  uint32_t Id() const { return FId; }
  bool Running() const;
  bool WaitExit(int ms) const;
  uint32_t ExitCode() const;

 private:
  void* FProcess = nullptr;
  uint32_t FId = 0;
};

// The Windows name of a Linux path (drive Z: is "/").
std::string WindowsPath(const std::string& linuxPath);
std::string ReadWholeFile(const std::string& windowsPath);
bool WriteWholeFile(const std::string& windowsPath, const std::string& text);
