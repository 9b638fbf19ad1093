#include "platform/gfx/FileBytes.h"

#include <fstream>
#include <iterator>

#include "platform/gfx/GraphicsError.h"

std::vector<uint8_t> ReadFileBytes(const std::string& FileName) {
  std::ifstream in(FileName, std::ios::binary);
  if (!in) throw EInvalidGraphic("Cannot open " + FileName);
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) throw EInvalidGraphic("Cannot read " + FileName);
  return bytes;
}
