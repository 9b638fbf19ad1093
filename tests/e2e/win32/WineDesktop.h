#pragma once
// What the end-to-end test under Wine does from outside the program: start it, find its
// windows, read what the screen shows, answer its box, close it. Kept apart from
// <windows.h>, whose names clash with the framework's in the test that paints the reference.
#include <cstdint>
#include <string>
#include <vector>

using TWindowRef = void*;

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

// A visible top-level window of the process with this class ("#32770" for a message box)
// whose title begins with `title`.
TWindowRef FindProcessWindow(uint32_t processId, const char* windowClass, const std::string& title);

struct TWindowPlace {
  int ClientX = 0, ClientY = 0, ClientWidth = 0, ClientHeight = 0;  // on the screen
  int WindowX = 0, WindowY = 0, WindowWidth = 0, WindowHeight = 0;  // frame included
  int ScreenWidth = 0, ScreenHeight = 0;
  bool SizingFrame = false, MaximizeBox = false, MinimizeBox = false, ToolWindow = false;
  bool BorderResizes = false;  // the frame's edges and corners answer as sizing handles
};
TWindowPlace PlaceOf(TWindowRef window);

// The screen's pixels over a part of the window's client area, 0x00RRGGBB, row by row.
std::vector<uint32_t> ShownPixels(TWindowRef window, int x, int y, int width, int height);

std::string WindowText(TWindowRef window);
// The texts of a dialog's static controls, one per line.
std::string DialogTexts(TWindowRef box);
void PressOk(TWindowRef box);
void PostCloseCommand(TWindowRef window);  // as the close button does
// Tells the window that the session ends, as a logoff does; true when it answered both.
bool SendEndSession(TWindowRef window);

// The Windows name of a Linux path (drive Z: is "/").
std::string WindowsPath(const std::string& linuxPath);
std::string ReadWholeFile(const std::string& windowsPath);
bool WriteWholeFile(const std::string& windowsPath, const std::string& text);
