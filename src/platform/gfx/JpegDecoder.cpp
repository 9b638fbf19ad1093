// The only file that talks to libjpeg: decompression from memory into 0x00RRGGBB pixels.
#include "platform/gfx/JpegDecoder.h"

#include <cstdio>
#include <jpeglib.h>

#include <csetjmp>
#include <cstring>
#include <vector>

#include "platform/gfx/GraphicsError.h"

namespace {

constexpr unsigned kMaxSide = 16384;

// libjpeg's default error handler ends the process; this one jumps back to the decoder.
struct TErrorManager {
  jpeg_error_mgr Pub;
  std::jmp_buf Jump;
  char Message[JMSG_LENGTH_MAX];
};

void OnError(j_common_ptr info) {
  auto* err = reinterpret_cast<TErrorManager*>(info->err);
  (*info->err->format_message)(info, err->Message);
  std::longjmp(err->Jump, 1);
}

void OnMessage(j_common_ptr, int) {}  // warnings are not printed

void StoreRow(const uint8_t* in, J_COLOR_SPACE space, bool inverted, unsigned w, uint32_t* out) {
  for (unsigned x = 0; x < w; ++x) {
    if (space == JCS_CMYK) {  // Adobe files store CMYK inverted
      unsigned c = in[4 * x], m = in[4 * x + 1], y = in[4 * x + 2], k = in[4 * x + 3];
      if (!inverted) c = 255 - c, m = 255 - m, y = 255 - y, k = 255 - k;
      out[x] = ((c * k / 255) << 16) | ((m * k / 255) << 8) | (y * k / 255);
    } else {
      out[x] = (uint32_t(in[3 * x]) << 16) | (uint32_t(in[3 * x + 1]) << 8) | in[3 * x + 2];
    }
  }
}

// Decodes into img; false with err.Message set on failure. Locals with destructors are kept
// out of this frame, which longjmp may leave.
bool Decode(std::span<const uint8_t> data, TRawImage& img, std::vector<uint8_t>& row, TErrorManager& err) {
  jpeg_decompress_struct info;
  info.err = jpeg_std_error(&err.Pub);
  err.Pub.error_exit = OnError;
  err.Pub.emit_message = OnMessage;
  if (setjmp(err.Jump)) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, data.data(), static_cast<unsigned long>(data.size()));
  jpeg_read_header(&info, TRUE);
  const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
  info.out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
  jpeg_start_decompress(&info);
  if (info.output_width == 0 || info.output_height == 0 || info.output_width > kMaxSide ||
      info.output_height > kMaxSide) {
    std::strcpy(err.Message, "bad size");
    jpeg_destroy_decompress(&info);
    return false;
  }
  img.Width = int(info.output_width);
  img.Height = int(info.output_height);
  img.Pixels.assign(size_t(img.Width) * size_t(img.Height), 0);
  row.resize(size_t(info.output_width) * size_t(info.output_components));
  const bool inverted = info.saw_Adobe_marker;
  while (info.output_scanline < info.output_height) {
    JSAMPROW rows[1] = {row.data()};
    const unsigned y = info.output_scanline;
    jpeg_read_scanlines(&info, rows, 1);
    StoreRow(row.data(), info.out_color_space, inverted, info.output_width, img.Pixels.data() + size_t(y) * img.Width);
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return true;
}

}  // namespace

TRawImage DecodeJPEG(std::span<const uint8_t> Data) {
  if (Data.size() < 4 || Data[0] != 0xFF || Data[1] != 0xD8) throw EInvalidGraphic("Invalid JPEG image: no start marker");
  TRawImage img;
  std::vector<uint8_t> row;
  TErrorManager err{};
  if (!Decode(Data, img, row, err)) throw EInvalidGraphic(std::string("Invalid JPEG image: ") + err.Message);
  return img;
}
