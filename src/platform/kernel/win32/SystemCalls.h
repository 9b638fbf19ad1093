#pragma once
#include <cstdint>
#include <string>

// Why this header exists: some kernel functions of ours carry the names of Windows
// functions (GetTickCount, GetTickCount64, Sleep, GetLastError, SetLastError) with other
// signatures, and the compiler rejects both declarations in one file. So:
//
// - Only .cpp files in a win32/ folder include <windows.h>; headers and shared files never do.
// - A file that includes <windows.h> includes none of Tick.h, Sleep.h and SysError.h. It calls
//   the system directly instead, and reads our clock with TickNow() (EventObject.h):
//   ::GetTickCount64() is a coarser clock than ours, not to be mixed with it.
// - The Windows bodies of those three headers cannot include <windows.h>; they reach the
//   system through the functions below, whose one .cpp file includes <windows.h> and nothing
//   of ours beyond this header.
// - Constants that are also <windows.h> macros (INFINITE in Handle.h, the EV_, CE_, parity,
//   stop-bit, DTR and RTS names in SerialDevice.h) are macros spelled exactly as <windows.h>
//   spells them, so either header may come first.
namespace win32 {
uint32_t TickCount();
uint64_t TickCount64();
void SleepFor(uint32_t milliseconds);
uint32_t LastError();
void SetLastErrorCode(uint32_t code);
// FormatMessage's text for a system error code (UTF-8), at most 256 characters, without
// trailing blanks, control characters and full stops.
std::string FormatErrorText(uint32_t code);
}  // namespace win32
