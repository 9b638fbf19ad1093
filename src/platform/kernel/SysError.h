#pragma once
#include <string>

// The calling thread's last system error code (errno) and the system's text for a code.
int GetLastError();
void SetLastError(int code);
std::string SysErrorMessage(int code);
