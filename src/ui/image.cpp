#include "ui/image.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace taskmgr::ui {

void TImage::Create(TControl& parent, const TRect96& bounds) {
  designClient_ = {bounds.Width, bounds.Height};
  CreateOwn(&parent, WS_VISIBLE, 0, bounds, "");
}

void TImage::SetPicture(const uint8_t* bits, int width, int height, int stride) {
  if (width < 0 || height < 0 || (width > 0 && height > 0 && (!bits || stride < width * 3)))
    throw std::invalid_argument("invalid picture");
  const int padded = (width * 3 + 3) & ~3;
  bits_.resize(static_cast<size_t>(padded) * static_cast<size_t>(height));
  for (int y = 0; y < height; ++y) {
    uint8_t* row = bits_.data() + static_cast<size_t>(y) * static_cast<size_t>(padded);
    std::memcpy(row, bits + static_cast<size_t>(y) * static_cast<size_t>(stride),
                static_cast<size_t>(width) * 3);
    std::fill(row + width * 3, row + padded, uint8_t{0});
  }
  width_ = width;
  height_ = height;
  stride_ = padded;
  Invalidate();
}

void TImage::TakePicture(std::vector<uint8_t>& bits, int width, int height) {
  const int padded = (width * 3 + 3) & ~3;
  if (width < 0 || height < 0 ||
      bits.size() != static_cast<size_t>(padded) * static_cast<size_t>(height))
    throw std::invalid_argument("invalid picture");
  bits_.swap(bits);
  width_ = width;
  height_ = height;
  stride_ = padded;
  Invalidate();
}

void TImage::ClearPicture() {
  bits_.clear();
  width_ = height_ = stride_ = 0;
  Invalidate();
}

uint32_t TImage::PicturePixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
  const uint8_t* p = bits_.data() + static_cast<size_t>(y) * static_cast<size_t>(stride_) +
                     static_cast<size_t>(x) * 3;
  return static_cast<uint32_t>(p[2]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[0]) << 16);
}

LRESULT TImage::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      Paint();
      return 0;
    default:
      return TControl::WndProc(msg, wParam, lParam);
  }
}

void TImage::Paint() {
  TPaintDC paint(Handle(), DoubleBuffered());
  HDC dc = paint.DC();
  const RECT client = paint.Client();
  if (width_ > 0 && height_ > 0) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width_;
    info.bmiHeader.biHeight = -height_;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    SetDIBitsToDevice(dc, 0, 0, static_cast<DWORD>(width_), static_cast<DWORD>(height_), 0, 0, 0,
                      static_cast<UINT>(height_), bits_.data(), &info, DIB_RGB_COLORS);
  }
  // Whatever the picture does not cover.
  HBRUSH face = GetSysColorBrush(COLOR_BTNFACE);
  if (client.right > width_) {
    RECT right{width_, 0, client.right, client.bottom};
    FillRect(dc, &right, face);
  }
  if (client.bottom > height_) {
    RECT below{0, height_, std::min<LONG>(width_, client.right), client.bottom};
    FillRect(dc, &below, face);
  }
}

}  // namespace taskmgr::ui
