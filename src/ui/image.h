#pragma once
// Shows its own copy of a 24-bit raster (top row first, blue-green-red
// bytes) at its top-left corner.
#include <cstdint>
#include <vector>

#include "ui/control.h"

namespace taskmgr::ui {

class TImage : public TControl {
 public:
  void Create(TControl& parent, const TRect96& bounds);

  // Copies `height` rows of `width` pixels, `stride` bytes apart. Shown at
  // the next paint; Repaint shows it at once.
  void SetPicture(const uint8_t* bits, int width, int height, int stride);
  // The same for a caller's copy already laid out as the image keeps it
  // (rows padded to 4 bytes): the image takes `bits` and hands back its
  // previous buffer, so a picture shown every tick is copied only once.
  void TakePicture(std::vector<uint8_t>& bits, int width, int height);
  void ClearPicture();

  int PictureWidth() const { return width_; }
  int PictureHeight() const { return height_; }
  // The copy, rows padded to 4 bytes.
  const std::vector<uint8_t>& PictureBits() const { return bits_; }
  int PictureStride() const { return stride_; }
  // One pixel of the copy as 0x00BBGGRR; 0 outside it.
  uint32_t PicturePixel(int x, int y) const;

 protected:
  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  void Paint();

  std::vector<uint8_t> bits_;
  int width_ = 0;
  int height_ = 0;
  int stride_ = 0;
};

}  // namespace taskmgr::ui
