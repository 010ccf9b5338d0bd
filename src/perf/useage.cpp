#include "perf/useage.h"

#include <algorithm>
#include <cstring>

namespace taskmgr {

TUseage::TUseage(int32_t height, int32_t width)
    : width_(std::max(width, 0)),
      height_(std::max(height, 0)),
      stride_(static_cast<int32_t>((static_cast<int64_t>(width_) * 3 + 3) & ~int64_t{3})),
      bits_(static_cast<size_t>(stride_) * static_cast<size_t>(height_), 0) {
  ClearSurface();
}

uint8_t* TUseage::ScanLine(int32_t y) {
  if (y < 0 || y >= height_) return nullptr;
  return bits_.data() + static_cast<size_t>(y) * static_cast<size_t>(stride_);
}

const uint8_t* TUseage::ScanLine(int32_t y) const {
  if (y < 0 || y >= height_) return nullptr;
  return bits_.data() + static_cast<size_t>(y) * static_cast<size_t>(stride_);
}

uint32_t TUseage::Pixel(int32_t x, int32_t y) const {
  const uint8_t* row = ScanLine(y);
  if (row == nullptr || x < 0 || x >= width_) return 0;
  const uint8_t* p = row + 3 * static_cast<size_t>(x);
  return (uint32_t{p[0]} << 16) | (uint32_t{p[1]} << 8) | uint32_t{p[2]};
}

void TUseage::ClearSurface() {
  if (width_ == 0) return;
  const size_t rowBytes = 3 * static_cast<size_t>(width_);
  for (int32_t y = 0; y < height_; ++y) std::memset(ScanLine(y), 0, rowBytes);
}

void TUseage::DrawGrid() {
  SetPenColor(kGridColor);
  const int64_t lastX = int64_t{width_} - 1;
  const int64_t lastY = int64_t{height_} - 1;
  for (int64_t y = 0; y <= lastY; y += kGridSpacing) {
    MoveTo(0, static_cast<int32_t>(y));
    LineTo(static_cast<int32_t>(lastX), static_cast<int32_t>(y));
  }
  const int32_t phase = ((Tick % kGridSpacing) + kGridSpacing) % kGridSpacing;
  for (int64_t k = 0; k <= lastX; k += kGridSpacing) {
    const auto x = static_cast<int32_t>(k - phase);
    MoveTo(x, 0);
    LineTo(x, static_cast<int32_t>(lastY));
  }
  Tick = (Tick < 0 || Tick >= kTickWrap - 1) ? 0 : Tick + 1;
}

void TUseage::DrawSegment(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  MoveTo(x1, y1);
  LineTo(x2, y2);
}

void TUseage::MoveTo(int32_t x, int32_t y) {
  penX_ = x;
  penY_ = y;
}

// Midpoint rasteriser along the major axis. Step i of n lies at major
// a1 + sa*i and minor b1 + sb*round(i*db/n) (halves up); steps 0 .. n-1 are
// drawn, so the end point is left out. Only the steps whose major coordinate
// lies inside the raster are visited, so a segment with one end far outside
// costs no more than one across the raster.
void TUseage::LineTo(int32_t x, int32_t y) {
  const int64_t x1 = penX_, y1 = penY_, x2 = x, y2 = y;
  penX_ = x;
  penY_ = y;
  if (width_ == 0 || height_ == 0) return;

  const int64_t dx = x2 - x1, dy = y2 - y1;
  const uint64_t adx = static_cast<uint64_t>(dx < 0 ? -dx : dx);
  const uint64_t ady = static_cast<uint64_t>(dy < 0 ? -dy : dy);
  const bool xMajor = adx >= ady;
  const uint64_t n = xMajor ? adx : ady;  // < 2^32
  if (n == 0) return;
  const uint64_t db = xMajor ? ady : adx;  // <= n
  const int64_t a1 = xMajor ? x1 : y1;
  const int64_t b1 = xMajor ? y1 : x1;
  const int64_t sa = (xMajor ? dx : dy) < 0 ? -1 : 1;
  const int64_t sb = (xMajor ? dy : dx) < 0 ? -1 : 1;
  const int64_t aMax = (xMajor ? width_ : height_) - 1;
  const int64_t bMax = (xMajor ? height_ : width_) - 1;

  int64_t lo = sa > 0 ? -a1 : a1 - aMax;
  int64_t hi = sa > 0 ? aMax - a1 : a1;
  lo = std::max<int64_t>(lo, 0);
  hi = std::min<int64_t>(hi, static_cast<int64_t>(n) - 1);
  if (lo > hi) return;

  // i*db < 2^64 because i < n < 2^32 and db <= n.
  const uint64_t start = static_cast<uint64_t>(lo) * db;
  uint64_t q = start / n;
  uint64_t r = start % n;
  for (int64_t i = lo; i <= hi; ++i) {
    const int64_t b = b1 + sb * static_cast<int64_t>(q + (2 * r >= n ? 1 : 0));
    if (b >= 0 && b <= bMax) {
      const int64_t a = a1 + sa * i;
      if (xMajor)
        Plot(static_cast<int32_t>(a), static_cast<int32_t>(b));
      else
        Plot(static_cast<int32_t>(b), static_cast<int32_t>(a));
    }
    r += db;
    if (r >= n) {
      r -= n;
      ++q;
    }
  }
}

void TUseage::Plot(int32_t x, int32_t y) {
  uint8_t* p = bits_.data() + static_cast<size_t>(y) * static_cast<size_t>(stride_) +
               3 * static_cast<size_t>(x);
  p[0] = static_cast<uint8_t>(pen_ >> 16);  // blue
  p[1] = static_cast<uint8_t>(pen_ >> 8);   // green
  p[2] = static_cast<uint8_t>(pen_);        // red
}

void TUseage::CopyFrame(std::vector<uint8_t>& out) const {
  std::lock_guard lock(frameLock_);
  out.assign(bits_.begin(), bits_.end());
}

}  // namespace taskmgr
