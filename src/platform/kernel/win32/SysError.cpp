#include "platform/kernel/SysError.h"

#include "platform/kernel/win32/SystemCalls.h"

int GetLastError() { return int(win32::LastError()); }
void SetLastError(int code) { win32::SetLastErrorCode(uint32_t(code)); }
std::string SysErrorMessage(int code) { return win32::FormatErrorText(uint32_t(code)); }
