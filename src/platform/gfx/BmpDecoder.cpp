#include "platform/gfx/BmpDecoder.h"

#include <algorithm>
#include <array>
#include <bit>
#include <vector>

#include "platform/gfx/GraphicsError.h"

namespace {

constexpr int kMaxSide = 16384;

[[noreturn]] void Fail(const char* why) { throw EInvalidGraphic(std::string("Invalid bitmap: ") + why); }

struct TReader {
  std::span<const uint8_t> D;
  uint32_t U8(size_t at) const { return at < D.size() ? D[at] : (Fail("truncated"), 0); }
  uint32_t U16(size_t at) const { return U8(at) | (U8(at + 1) << 8); }
  uint32_t U32(size_t at) const { return U16(at) | (U16(at + 2) << 16); }
  int32_t S32(size_t at) const { return int32_t(U32(at)); }
};

struct THeader {
  int Width = 0, Height = 0;
  bool TopDown = false;
  int Bits = 0;
  uint32_t Compression = 0;
  size_t PixelsAt = 0;
  std::vector<uint32_t> Palette;  // 0x00RRGGBB
  std::array<uint32_t, 3> Masks{};  // red, green, blue
};

enum { kRGB = 0, kRLE8 = 1, kRLE4 = 2, kBitFields = 3 };

// Where the colour channels sit in 16- and 32-bit pixels: given by the file for bit fields,
// else the fixed 5-5-5 and 8-8-8 layouts.
void ReadMasks(const TReader& r, size_t infoAt, THeader& h) {
  if (h.Compression == kBitFields) {
    for (int i = 0; i < 3; ++i) h.Masks[size_t(i)] = r.U32(infoAt + 40 + size_t(i) * 4);
  } else if (h.Bits == 16) {
    h.Masks = {0x7C00, 0x03E0, 0x001F};
  } else {
    h.Masks = {0xFF0000, 0x00FF00, 0x0000FF};
  }
}

// Size, depth and compression from the core (12-byte) or the later (40 bytes and more) header.
void ReadInfo(const TReader& r, size_t at, uint32_t infoSize, THeader& h) {
  int rawHeight = 0;
  if (infoSize == 12) {
    h.Width = int(r.U16(at + 4));
    rawHeight = int(int16_t(r.U16(at + 6)));
    h.Bits = int(r.U16(at + 10));
  } else if (infoSize >= 40) {
    h.Width = r.S32(at + 4);
    rawHeight = r.S32(at + 8);
    h.Bits = int(r.U16(at + 14));
    h.Compression = r.U32(at + 16);
  } else {
    Fail("unknown header");
  }
  h.TopDown = rawHeight < 0;
  h.Height = rawHeight == INT32_MIN ? 0 : std::abs(rawHeight);
  if (h.Width <= 0 || h.Height <= 0 || h.Width > kMaxSide || h.Height > kMaxSide) Fail("bad size");
}

void CheckFormat(const THeader& h) {
  if (h.Bits != 1 && h.Bits != 4 && h.Bits != 8 && h.Bits != 16 && h.Bits != 24 && h.Bits != 32)
    Fail("unsupported depth");
  if (h.Compression == kBitFields && h.Bits != 16 && h.Bits != 32) Fail("bit fields need 16 or 32 bits");
  if ((h.Compression == kRLE8 && h.Bits != 8) || (h.Compression == kRLE4 && h.Bits != 4) || h.Compression > 3)
    Fail("unsupported compression");
}

// The colour table of a palette picture: entries of 3 bytes after a core header, else 4.
void ReadPalette(const TReader& r, size_t at, uint32_t infoSize, THeader& h) {
  uint32_t count = infoSize >= 40 ? r.U32(at + 32) : 0;
  if (count == 0 || count > (1u << h.Bits)) count = 1u << h.Bits;
  const size_t entry = infoSize == 12 ? 3 : 4;
  size_t p = at + infoSize + (h.Compression == kBitFields ? 12 : 0);
  for (uint32_t i = 0; i < count; ++i, p += entry) h.Palette.push_back(r.U8(p) | (r.U8(p + 1) << 8) | (r.U8(p + 2) << 16));
}

THeader ReadHeader(const TReader& r) {
  if (r.U8(0) != 'B' || r.U8(1) != 'M') Fail("no BM signature");
  THeader h;
  h.PixelsAt = r.U32(10);
  const size_t infoAt = 14;
  const uint32_t infoSize = r.U32(infoAt);
  ReadInfo(r, infoAt, infoSize, h);
  CheckFormat(h);
  if (h.Bits <= 8) ReadPalette(r, infoAt, infoSize, h);
  ReadMasks(r, infoAt, h);
  return h;
}

uint32_t FromMask(uint32_t v, uint32_t mask) {
  if (mask == 0) return 0;
  const int shift = std::countr_zero(mask), bits = std::popcount(mask);
  const uint32_t c = (v & mask) >> shift, max = (bits >= 32) ? 0xFFFFFFFFu : ((1u << bits) - 1);
  return max ? (c * 255 + max / 2) / max : 0;
}

uint32_t PaletteColor(const THeader& h, uint32_t index) { return index < h.Palette.size() ? h.Palette[index] : 0; }

// Row y of the picture (0 = top) as the file stores it.
size_t FileRow(const THeader& h, int y) { return size_t(h.TopDown ? y : h.Height - 1 - y); }

void DecodeUncompressed(const TReader& r, const THeader& h, std::vector<uint32_t>& out) {
  const size_t stride = ((size_t(h.Width) * size_t(h.Bits) + 31) / 32) * 4;
  if (h.PixelsAt + stride * size_t(h.Height) > r.D.size()) Fail("truncated pixels");
  for (int y = 0; y < h.Height; ++y) {
    const uint8_t* row = r.D.data() + h.PixelsAt + FileRow(h, y) * stride;
    uint32_t* dst = out.data() + size_t(y) * size_t(h.Width);
    for (int x = 0; x < h.Width; ++x) {
      switch (h.Bits) {
        case 1: dst[x] = PaletteColor(h, (row[x / 8] >> (7 - x % 8)) & 1); break;
        case 4: dst[x] = PaletteColor(h, (row[x / 2] >> (x % 2 ? 0 : 4)) & 0xF); break;
        case 8: dst[x] = PaletteColor(h, row[x]); break;
        case 24: dst[x] = row[3 * x] | (row[3 * x + 1] << 8) | (uint32_t(row[3 * x + 2]) << 16); break;
        default: {
          const uint32_t v = h.Bits == 16 ? (row[2 * x] | (row[2 * x + 1] << 8))
                                          : (row[4 * x] | (row[4 * x + 1] << 8) | (row[4 * x + 2] << 16) |
                                             (uint32_t(row[4 * x + 3]) << 24));
          dst[x] = (FromMask(v, h.Masks[0]) << 16) | (FromMask(v, h.Masks[1]) << 8) | FromMask(v, h.Masks[2]);
        }
      }
    }
  }
}

// Run-length encoded 8- or 4-bit pixels; runs that leave the picture are cut off.
void DecodeRLE(const TReader& r, const THeader& h, std::vector<uint32_t>& out) {
  const bool four = h.Bits == 4;
  int x = 0, y = 0;  // y counts file rows
  auto put = [&](uint32_t index) {
    if (x < h.Width && y < h.Height) out[FileRow(h, y) * size_t(h.Width) + size_t(x)] = PaletteColor(h, index);
    ++x;
  };
  size_t at = h.PixelsAt;
  while (at + 1 < r.D.size() && y < h.Height) {
    const uint32_t count = r.U8(at), value = r.U8(at + 1);
    at += 2;
    if (count > 0) {
      for (uint32_t i = 0; i < count; ++i) put(four ? (i % 2 ? value & 0xF : value >> 4) : value);
    } else if (value == 0) {
      x = 0, ++y;
    } else if (value == 1) {
      return;
    } else if (value == 2) {
      x += int(r.U8(at)), y += int(r.U8(at + 1));
      at += 2;
    } else {  // a literal run of `value` pixels, padded to a 16-bit boundary
      const size_t bytes = four ? (value + 1) / 2 : value;
      for (uint32_t i = 0; i < value; ++i) {
        const uint32_t b = r.U8(at + (four ? i / 2 : i));
        put(four ? (i % 2 ? b & 0xF : b >> 4) : b);
      }
      at += (bytes + 1) & ~size_t(1);
    }
  }
}

}  // namespace

TRawImage DecodeBMP(std::span<const uint8_t> Data) {
  const TReader r{Data};
  const THeader h = ReadHeader(r);
  TRawImage img{h.Width, h.Height, std::vector<uint32_t>(size_t(h.Width) * size_t(h.Height), 0)};
  if (h.Compression == kRLE8 || h.Compression == kRLE4) DecodeRLE(r, h, img.Pixels);
  else DecodeUncompressed(r, h, img.Pixels);
  return img;
}
