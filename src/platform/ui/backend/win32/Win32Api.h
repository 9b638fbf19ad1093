#pragma once
// <windows.h> for the window backend's .cpp files (and its Windows tests), which include it
// only through here. As the kernel's rule has it (platform/kernel/win32/SystemCalls.h), a
// file that includes this includes none of Tick.h, Sleep.h and SysError.h.
//
// It defines CreateWindow and MessageBox as macros (for CreateWindowA/W, MessageBoxA/W).
// TBackend has methods of those names: with the macros in force, a declaration or call of
// them would be renamed and the overrides would override nothing. So they are removed here;
// the backend calls CreateWindowExW and MessageBoxW by their own names. ShowWindow and
// DestroyWindow are plain functions, reached as ::ShowWindow and ::DestroyWindow from the
// methods of the same names.
#include <windows.h>
#undef CreateWindow
#undef MessageBox
