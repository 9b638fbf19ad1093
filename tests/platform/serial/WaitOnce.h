#pragma once
// One comm-event wait of a device on another thread, given up after a time by the stop signal.
#include <cstdint>
#include <thread>

#include "platform/kernel/EventObject.h"
#include "platform/serial/SerialDevice.h"

inline TCommWaitResult WaitOnce(TSerialDevice& device, TEventObject& stop, uint32_t& events, int ms) {
  TCommWaitResult r = TCommWaitResult::Stopped;
  TEventObject done(true, false);
  std::thread t([&] {
    r = device.WaitCommEvent(events, stop);
    done.Set();
  });
  if (WaitForEvent(done, uint32_t(ms)).Status != TWaitStatus::Signaled) stop.Set();
  t.join();
  stop.Reset();
  return r;
}
