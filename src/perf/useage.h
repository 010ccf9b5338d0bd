#pragma once
#include <cstdint>
#include <mutex>
#include <vector>

namespace taskmgr {

inline constexpr uint32_t kGridColor = 0x008000;   // 0x00BBGGRR
inline constexpr int32_t kGridSpacing = 12;
inline constexpr int32_t kTickWrap = 1200000;      // a multiple of the spacing

// One history graph: a 24-bit raster (rows of blue, green, red bytes, top row
// first, rows padded to 4 bytes so a top-down DIB can show it as it is) with
// the grid-scroll counter Tick.
//
// Drawing does not lock. Whoever draws while another thread may copy holds
// FrameLock() from the clearing to the end of the trace; CopyFrame takes the
// same lock, so a copy is always a finished frame.
class TUseage {
 public:
  TUseage(int32_t height, int32_t width);  // height first
  TUseage(const TUseage&) = delete;
  TUseage& operator=(const TUseage&) = delete;

  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }

  // Grid drawings so far, modulo kTickWrap; its value mod 12 is the phase.
  int32_t Tick = 0;

  void ClearSurface();
  // The grid over the present content; leaves the pen at the grid colour
  // and advances Tick.
  void DrawGrid();
  // A one-pixel line from (x1, y1) towards (x2, y2): the start point is
  // drawn, the end point is not, and whatever lies outside is clipped.
  void DrawSegment(int32_t x1, int32_t y1, int32_t x2, int32_t y2);

  void MoveTo(int32_t x, int32_t y);
  void LineTo(int32_t x, int32_t y);

  void SetPenColor(uint32_t color) { pen_ = color & 0x00FFFFFFu; }
  uint32_t PenColor() const { return pen_; }

  uint8_t* ScanLine(int32_t y);  // null outside the raster
  const uint8_t* ScanLine(int32_t y) const;
  int32_t Stride() const { return stride_; }

  // The colour of one pixel as 0x00BBGGRR; 0 outside the raster.
  uint32_t Pixel(int32_t x, int32_t y) const;

  // Height() * Stride() bytes of a finished frame; takes FrameLock().
  void CopyFrame(std::vector<uint8_t>& out) const;
  std::mutex& FrameLock() const { return frameLock_; }

 private:
  void Plot(int32_t x, int32_t y);

  int32_t width_;
  int32_t height_;
  int32_t stride_;
  std::vector<uint8_t> bits_;
  uint32_t pen_ = 0;
  int32_t penX_ = 0;
  int32_t penY_ = 0;
  mutable std::mutex frameLock_;
};

}  // namespace taskmgr
