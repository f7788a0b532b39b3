#pragma once
// Pictures as the core keeps them: 24-bit, top-down rows, blue-green-red
// byte order (the layout a device-independent bitmap wants), no padding.

#include <cstdint>
#include <string>
#include <vector>

namespace gui {

// Colours as the platform's COLORREF: 0x00BBGGRR.
using TColor = std::uint32_t;

constexpr TColor RGBColor(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  return static_cast<TColor>(r) | (static_cast<TColor>(g) << 8) | (static_cast<TColor>(b) << 16);
}
constexpr std::uint8_t RedOf(TColor c) { return static_cast<std::uint8_t>(c & 0xFF); }
constexpr std::uint8_t GreenOf(TColor c) { return static_cast<std::uint8_t>((c >> 8) & 0xFF); }
constexpr std::uint8_t BlueOf(TColor c) { return static_cast<std::uint8_t>((c >> 16) & 0xFF); }

namespace colors {
constexpr TColor kBlack = RGBColor(0, 0, 0);
constexpr TColor kWhite = RGBColor(255, 255, 255);
constexpr TColor kBlue = RGBColor(0, 0, 255);
constexpr TColor kNavy = RGBColor(0, 0, 128);
constexpr TColor kSilver = RGBColor(192, 192, 192);
constexpr TColor kGray = RGBColor(128, 128, 128);
constexpr TColor kLime = RGBColor(0, 255, 0);
constexpr TColor kFuchsia = RGBColor(255, 0, 255);
constexpr TColor kTeal = RGBColor(0, 128, 128);
constexpr TColor kBtnFace = RGBColor(236, 233, 216);
}  // namespace colors

class Bitmap {
 public:
  Bitmap() = default;
  Bitmap(int width, int height, TColor fill = colors::kBlack);

  int Width() const { return width_; }
  int Height() const { return height_; }
  bool Empty() const { return width_ == 0 || height_ == 0; }

  TColor Pixel(int x, int y) const;
  void SetPixel(int x, int y, TColor c);
  // Copies the w x h block at (sx, sy) of this picture into a new one.
  Bitmap Crop(int sx, int sy, int w, int h) const;

  const std::vector<std::uint8_t>& Bgr() const { return bgr_; }
  std::vector<std::uint8_t>& Bgr() { return bgr_; }

 private:
  int width_ = 0;
  int height_ = 0;
  std::vector<std::uint8_t> bgr_;
};

// Decodes a baseline or progressive JPEG. On failure returns false, leaves
// `out` unchanged and says why in `error` (when given).
bool DecodeJpeg(const std::uint8_t* data, std::size_t size, Bitmap& out,
                std::string* error = nullptr);

}  // namespace gui
