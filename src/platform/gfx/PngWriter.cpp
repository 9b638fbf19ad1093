// Writing a bitmap as an 8-bit RGB PNG file. The pictures are for people to look at (test
// output, screenshots), so the image data is stored, not compressed: that needs no library
// on any platform, only the two checksums the format asks for.
#include <algorithm>
#include <array>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/gfx/Bitmap.h"
#include "platform/gfx/GraphicsError.h"

namespace {

uint32_t Crc32(const uint8_t* data, size_t size, uint32_t crc = 0) {
  static const std::array<uint32_t, 256> table = [] {
    std::array<uint32_t, 256> t{};
    for (uint32_t n = 0; n < 256; ++n) {
      uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[n] = c;
    }
    return t;
  }();
  crc = ~crc;
  for (size_t i = 0; i < size; ++i) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

void PutBE32(std::vector<uint8_t>& out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(uint8_t(v >> shift));
}

void PutChunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data) {
  PutBE32(out, uint32_t(data.size()));
  const size_t start = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  PutBE32(out, Crc32(out.data() + start, out.size() - start));
}

// A zlib stream of stored blocks (at most 65535 bytes each) with its Adler-32 checksum.
std::vector<uint8_t> StoredZlib(const std::vector<uint8_t>& raw) {
  std::vector<uint8_t> z = {0x78, 0x01};
  size_t at = 0;
  do {
    const size_t n = std::min<size_t>(raw.size() - at, 65535);
    z.push_back(at + n == raw.size() ? 1 : 0);
    z.push_back(uint8_t(n));
    z.push_back(uint8_t(n >> 8));
    z.push_back(uint8_t(~n));
    z.push_back(uint8_t(~n >> 8));
    z.insert(z.end(), raw.begin() + ptrdiff_t(at), raw.begin() + ptrdiff_t(at + n));
    at += n;
  } while (at < raw.size());
  uint32_t a = 1, b = 0;
  for (uint8_t byte : raw) {
    a = (a + byte) % 65521;
    b = (b + a) % 65521;
  }
  PutBE32(z, b << 16 | a);
  return z;
}

}  // namespace

void TBitmap::SaveToPNGFile(const std::string& FileName) const {
  if (Empty()) throw EInvalidGraphic("An empty bitmap has no picture to write");
  std::vector<uint8_t> raw;  // each row: filter type 0, then R, G, B per pixel
  raw.reserve(size_t(FHeight) * (size_t(FWidth) * 3 + 1));
  for (int y = 0; y < FHeight; ++y) {
    raw.push_back(0);
    const uint32_t* in = ScanLine(y);
    for (int x = 0; x < FWidth; ++x) {
      raw.push_back(uint8_t(in[x] >> 16));
      raw.push_back(uint8_t(in[x] >> 8));
      raw.push_back(uint8_t(in[x]));
    }
  }
  std::vector<uint8_t> header;
  PutBE32(header, uint32_t(FWidth));
  PutBE32(header, uint32_t(FHeight));
  header.insert(header.end(), {8, 2, 0, 0, 0});  // 8 bits, RGB, deflate, no filter, no interlace
  std::vector<uint8_t> file = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  PutChunk(file, "IHDR", header);
  PutChunk(file, "IDAT", StoredZlib(raw));
  PutChunk(file, "IEND", {});

  FILE* f = std::fopen(FileName.c_str(), "wb");
  if (!f) throw EInvalidGraphic("Cannot create " + FileName);
  const bool written = std::fwrite(file.data(), 1, file.size(), f) == file.size();
  const bool closed = std::fclose(f) == 0;
  if (!written || !closed) throw EInvalidGraphic("Cannot write " + FileName);
}
