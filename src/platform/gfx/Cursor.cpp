#include "platform/gfx/Cursor.h"

#include "platform/gfx/GraphicsError.h"
#include "platform/gfx/Resources.h"

namespace {

[[noreturn]] void Fail(const char* why) { throw EInvalidGraphic(std::string("Invalid cursor: ") + why); }

struct TReader {
  std::span<const uint8_t> D;
  uint32_t U8(size_t at) const { return at < D.size() ? D[at] : (Fail("truncated"), 0); }
  uint32_t U16(size_t at) const { return U8(at) | (U8(at + 1) << 8); }
  uint32_t U32(size_t at) const { return U16(at) | (U16(at + 2) << 16); }
};

// Bit x of row y (0 = top) of a bottom-up 1-bit plane starting at `at`.
bool Bit(const TReader& r, size_t at, int w, int h, int x, int y) {
  const size_t stride = ((size_t(w) + 31) / 32) * 4;
  return (r.U8(at + size_t(h - 1 - y) * stride + size_t(x) / 8) >> (7 - x % 8)) & 1;
}

}  // namespace

// A cursor file: a directory (type 2) whose entries carry the hot spot, each pointing at a
// 1-bit device-independent bitmap holding the colour plane above the transparency plane.
TCursorImage DecodeCursor(std::span<const uint8_t> Data) {
  const TReader r{Data};
  if (r.U16(0) != 0 || r.U16(2) != 2 || r.U16(4) == 0) Fail("not a cursor file");
  TCursorImage c;
  c.HotX = int(r.U16(6 + 4));
  c.HotY = int(r.U16(6 + 6));
  const size_t at = r.U32(6 + 12);
  if (r.U32(at) < 40) Fail("unknown header");
  c.Width = int(int32_t(r.U32(at + 4)));
  c.Height = int(int32_t(r.U32(at + 8))) / 2;  // both planes are counted
  if (c.Width <= 0 || c.Height <= 0 || c.Width > 256 || c.Height > 256) Fail("bad size");
  if (r.U16(at + 14) != 1 || r.U32(at + 16) != 0) Fail("only uncompressed two-colour cursors are read");
  const size_t palette = at + r.U32(at);
  uint32_t colours = r.U32(at + 32);
  if (colours == 0 || colours > 2) colours = 2;
  const bool oneIsWhite = r.U8(palette + 4) + r.U8(palette + 5) + r.U8(palette + 6) > 3 * 127;
  const size_t xorAt = palette + 4 * colours;
  const size_t andAt = xorAt + ((size_t(c.Width) + 31) / 32) * 4 * size_t(c.Height);
  for (int y = 0; y < c.Height; ++y) {
    for (int x = 0; x < c.Width; ++x) {
      const bool transparent = Bit(r, andAt, c.Width, c.Height, x, y);
      const bool white = Bit(r, xorAt, c.Width, c.Height, x, y) == oneIsWhite;
      c.Mask.push_back(transparent ? 0 : 1);
      // Opaque: 1 is black. See-through: a set colour bit inverts the screen.
      c.Image.push_back(transparent ? (white ? 1 : 0) : (white ? 0 : 1));
    }
  }
  if (c.HotX >= c.Width || c.HotY >= c.Height) c.HotX = c.HotY = 0;
  return c;
}

TCursorImage LoadCursorFromResource(std::string_view Name) { return DecodeCursor(EmbeddedResource(Name)); }
