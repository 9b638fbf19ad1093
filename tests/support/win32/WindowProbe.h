#pragma once
// What a test does to the desktop from outside the program: find windows, post what a user
// would cause, read what the screen shows. Kept apart from <windows.h>, whose names
// (GetSysColor, TextOut, DrawText, ...) clash with the framework's in a test that uses both.
// Any thread.
#include <cstdint>
#include <string>
#include <vector>

using TWindowRef = void*;

TWindowRef FindFormWindow(const std::string& Caption);     // a form's window, or nullptr
TWindowRef FindMessageBoxWindow(const std::string& Title);  // a message box, or nullptr
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

std::string WindowText(TWindowRef window);
// The texts of a dialog's static controls, one per line.
std::string DialogTexts(TWindowRef box);

void PostCloseCommand(TWindowRef Window);             // as the close button does
void PostMouseMove(TWindowRef Window, int X, int Y);  // client coordinates
void AnswerMessageBox(TWindowRef Box);                // clicks OK
// Tells the window that the session ends, as a logoff does; true when it answered both.
bool SendEndSession(TWindowRef Window);
void MovePointerTo(int X, int Y);  // screen coordinates

uint32_t ShownPixel(TWindowRef Window, int X, int Y);  // 0x00RRGGBB at a client point
// The screen's pixels over a part of the window's client area, 0x00RRGGBB, row by row.
std::vector<uint32_t> ShownPixels(TWindowRef window, int x, int y, int width, int height);
