#pragma once
#include <cstdint>
#include <vector>

// The system's wait-without-limit value, spelled exactly as <windows.h> spells its macro, so
// that a Windows body may include that header before or after this one.
#define INFINITE 0xffffffff

// A system handle: a file descriptor on Linux, a HANDLE on Windows. Wide enough for both.
using THandle = std::intptr_t;
constexpr THandle InvalidHandle = -1;

// Closes a handle this program owns (close on Linux, CloseHandle on Windows).
void CloseSystemHandle(THandle handle);

enum class TWaitStatus { Signaled, Timeout, Failed };

struct TWaitOutcome {
  TWaitStatus Status;
  int Index;  // the first signalled handle, for Signaled
  int Error;  // the system error code, for Failed
};

// Waits until one of the handles is signalled or the time (ms; INFINITE = no limit) is up.
// Signalled is readable (or hung up) for a descriptor on Linux, restarting after EINTR with
// the remaining time; on Windows it is WaitForMultipleObjects' signalled state (an
// auto-reset event is reset by the wait), at most 64 handles.
TWaitOutcome WaitForHandles(const std::vector<THandle>& handles, uint32_t timeoutMs);
