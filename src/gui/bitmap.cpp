#include "gui/bitmap.h"

#include <cstdio>
#include <csetjmp>
#include <cstring>

#include <jpeglib.h>

namespace gui {

Bitmap::Bitmap(int width, int height, TColor fill)
    : width_(width > 0 ? width : 0), height_(height > 0 ? height : 0) {
  bgr_.resize(static_cast<std::size_t>(width_) * height_ * 3);
  for (std::size_t i = 0; i < bgr_.size(); i += 3) {
    bgr_[i] = BlueOf(fill);
    bgr_[i + 1] = GreenOf(fill);
    bgr_[i + 2] = RedOf(fill);
  }
}

TColor Bitmap::Pixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return colors::kBlack;
  const std::size_t i = (static_cast<std::size_t>(y) * width_ + x) * 3;
  return RGBColor(bgr_[i + 2], bgr_[i + 1], bgr_[i]);
}

void Bitmap::SetPixel(int x, int y, TColor c) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  const std::size_t i = (static_cast<std::size_t>(y) * width_ + x) * 3;
  bgr_[i] = BlueOf(c);
  bgr_[i + 1] = GreenOf(c);
  bgr_[i + 2] = RedOf(c);
}

Bitmap Bitmap::Crop(int sx, int sy, int w, int h) const {
  Bitmap out(w, h);
  for (int y = 0; y < out.height_; ++y) {
    for (int x = 0; x < out.width_; ++x) out.SetPixel(x, y, Pixel(sx + x, sy + y));
  }
  return out;
}

namespace {

// libjpeg reports fatal errors through error_exit, which must not return.
// A longjmp back to the decoder keeps C++ unwinding out of libjpeg's frames.
struct ErrorManager {
  jpeg_error_mgr base;
  std::jmp_buf escape;
  char message[JMSG_LENGTH_MAX];
};

void OnFatalError(j_common_ptr cinfo) {
  auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, err->message);
  std::longjmp(err->escape, 1);
}

void OnMessage(j_common_ptr) {}

// Kept apart from DecodeJpeg so no object with a destructor lives in the
// frame that setjmp returns to.
bool DecodeInto(const std::uint8_t* data, std::size_t size, std::vector<std::uint8_t>& bgr,
                int& width, int& height, char* message) {
  jpeg_decompress_struct cinfo;
  ErrorManager err;
  std::memset(&cinfo, 0, sizeof cinfo);
  cinfo.err = jpeg_std_error(&err.base);
  err.base.error_exit = OnFatalError;
  err.base.output_message = OnMessage;
  err.message[0] = '\0';
  if (setjmp(err.escape)) {
    jpeg_destroy_decompress(&cinfo);
    std::strncpy(message, err.message, JMSG_LENGTH_MAX);
    return false;
  }
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, const_cast<unsigned char*>(data), static_cast<unsigned long>(size));
  jpeg_read_header(&cinfo, TRUE);
  cinfo.out_color_space = JCS_RGB;
  jpeg_start_decompress(&cinfo);
  width = static_cast<int>(cinfo.output_width);
  height = static_cast<int>(cinfo.output_height);
  const std::size_t stride = static_cast<std::size_t>(width) * 3;
  bgr.resize(stride * height);
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW row = bgr.data() + stride * cinfo.output_scanline;
    jpeg_read_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  for (std::size_t i = 0; i + 2 < bgr.size(); i += 3) std::swap(bgr[i], bgr[i + 2]);
  return true;
}

}  // namespace

bool DecodeJpeg(const std::uint8_t* data, std::size_t size, Bitmap& out, std::string* error) {
  if (data == nullptr || size == 0) {
    if (error != nullptr) *error = "empty picture data";
    return false;
  }
  std::vector<std::uint8_t> bgr;
  int width = 0, height = 0;
  char message[JMSG_LENGTH_MAX] = {};
  if (!DecodeInto(data, size, bgr, width, height, message)) {
    if (error != nullptr) *error = message;
    return false;
  }
  Bitmap decoded(width, height);
  decoded.Bgr() = std::move(bgr);
  out = std::move(decoded);
  return true;
}

}  // namespace gui
