// The only file that talks to libpng: writing a bitmap as an 8-bit RGB PNG file.
#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <vector>

#include "platform/gfx/Bitmap.h"
#include "platform/gfx/GraphicsError.h"

namespace {

// libpng reports failures by longjmp; nothing with a destructor lives in this frame.
bool WriteRows(FILE* f, int w, int h, const std::vector<png_bytep>& rows) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (!png) return false;
  png_infop info = png_create_info_struct(png);
  if (!info || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_init_io(png, f);
  png_set_IHDR(png, info, png_uint_32(w), png_uint_32(h), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  png_write_image(png, const_cast<png_bytepp>(rows.data()));
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

}  // namespace

void TBitmap::SaveToPNGFile(const std::string& FileName) const {
  if (Empty()) throw EInvalidGraphic("An empty bitmap has no picture to write");
  std::vector<uint8_t> rgb(size_t(FWidth) * size_t(FHeight) * 3);
  std::vector<png_bytep> rows(static_cast<size_t>(FHeight));
  for (int y = 0; y < FHeight; ++y) {
    uint8_t* out = rgb.data() + size_t(y) * size_t(FWidth) * 3;
    rows[size_t(y)] = out;
    const uint32_t* in = ScanLine(y);
    for (int x = 0; x < FWidth; ++x) {
      out[3 * x] = uint8_t(in[x] >> 16);
      out[3 * x + 1] = uint8_t(in[x] >> 8);
      out[3 * x + 2] = uint8_t(in[x]);
    }
  }
  FILE* f = std::fopen(FileName.c_str(), "wb");
  if (!f) throw EInvalidGraphic("Cannot create " + FileName);
  const bool ok = WriteRows(f, FWidth, FHeight, rows);
  const bool closed = std::fclose(f) == 0;
  if (!ok || !closed) throw EInvalidGraphic("Cannot write " + FileName);
}
