#pragma once
#include <cstdint>
#include <string>

// What a test does to the desktop from outside the program: find windows, post what a user
// would cause, read pixels back. Kept apart from <windows.h>, whose names (GetSysColor,
// TextOut, DrawText, ...) clash with the framework's in a test that uses both. Any thread.
using TWindowRef = void*;

TWindowRef FindFormWindow(const std::string& Caption);     // a form's window, or nullptr
TWindowRef FindMessageBoxWindow(const std::string& Title);  // a message box, or nullptr
void PostCloseCommand(TWindowRef Window);                   // as the close button does
void PostMouseMove(TWindowRef Window, int X, int Y);        // client coordinates
void AnswerMessageBox(TWindowRef Box);                      // clicks OK
// Tells the window that the session ends, as a logoff does; returns when it has answered.
bool SendEndSession(TWindowRef Window);
void MovePointerTo(int X, int Y);                           // screen coordinates
uint32_t ShownPixel(TWindowRef Window, int X, int Y);       // 0x00RRGGBB at a client point
