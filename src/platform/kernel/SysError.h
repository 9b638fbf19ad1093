#pragma once
#include <string>

// The calling thread's last system error code (errno on Linux, the thread's last error on
// Windows) and the system's text for a code (strerror; on Windows FormatMessage's text, at
// most 256 characters, without trailing blanks, control characters and full stops).
//
// GetLastError and SetLastError are also the names of Windows functions (with another
// signature and C linkage): a file that includes this header must not include <windows.h>.
// platform/kernel/win32/SystemCalls.h says how the Windows bodies keep to that.
int GetLastError();
void SetLastError(int code);
std::string SysErrorMessage(int code);
