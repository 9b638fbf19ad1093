#include <cerrno>

#include "platform/serial/SerialDevice.h"

std::string ResolveSerialDeviceName(const std::string& name) { return name; }

std::unique_ptr<TSerialDevice> OpenSerialDevice(const std::string&) {
  errno = ENOENT;
  return nullptr;
}
