#include "platform/kernel/PlainFile.h"

#include <sys/stat.h>

#include <cerrno>

std::FILE* OpenPlainFile(const std::string& name, int& error) {
  // Opening a pipe or device on Windows does not wait, so looking first is enough.
  struct _stat64 st {};
  if (_stat64(name.c_str(), &st) != 0) {
    error = errno;
    return nullptr;
  }
  if (!(st.st_mode & _S_IFREG)) {
    error = st.st_mode & _S_IFDIR ? EISDIR : EINVAL;
    return nullptr;
  }
  std::FILE* f = std::fopen(name.c_str(), "rb");
  error = f ? 0 : errno;
  return f;
}
