#include "Log.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>

void LogLine(const std::string& text) {
  std::string line = "orvelax9-sim: " + text + "\n";
  const char* p = line.data();
  size_t left = line.size();
  while (left > 0) {
    ssize_t n = write(STDERR_FILENO, p, left);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;  // nobody listens any more; the simulator goes on regardless
    p += n;
    left -= size_t(n);
  }
}

std::string HexBytes(const std::vector<uint8_t>& bytes) {
  std::string s;
  char buf[4];
  for (size_t i = 0; i < bytes.size(); ++i) {
    std::snprintf(buf, sizeof buf, "%02X", bytes[i]);
    if (i) s += ' ';
    s += buf;
  }
  return s;
}
