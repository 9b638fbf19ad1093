#include "platform/kernel/PlainFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

std::FILE* OpenPlainFile(const std::string& name, int& error) {
  // Opening without waiting lets us look at what it is first.
  const int fd = open(name.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    error = errno;
    return nullptr;
  }
  struct stat st {};
  error = fstat(fd, &st) != 0 ? errno : S_ISDIR(st.st_mode) ? EISDIR : S_ISREG(st.st_mode) ? 0 : EINVAL;
  std::FILE* f = error == 0 ? fdopen(fd, "rb") : nullptr;
  if (error == 0 && !f) error = errno;
  if (!f) close(fd);
  return f;
}
