#pragma once
// An image list of small icons. Owns its HIMAGELIST; the icons added are
// copied, so the caller's icon handles stay the caller's.
#include <windows.h>
#include <commctrl.h>

#include <vector>

namespace taskmgr::ui {

class TImageList {
 public:
  TImageList() = default;
  TImageList(const TImageList&) = delete;
  TImageList& operator=(const TImageList&) = delete;
  ~TImageList();

  void Create(int width = 16, int height = 16);
  HIMAGELIST Handle() const { return handle_; }

  // The new image's position, or -1 (nothing stored) for a null or unusable
  // icon.
  int AddIcon(HICON icon);
  // Makes the image at `index` (Count() appends) a copy of `icon`; no copy
  // is made when that image was copied from the same handle already, which
  // spares a list refilled every second nearly all its work. Returns `index`,
  // or -1 (nothing stored) for a null or unusable icon.
  int PutIcon(int index, HICON icon);
  // Drops the images from `count` on.
  void Truncate(int count);
  void Clear();
  int Count() const;

 private:
  HIMAGELIST handle_ = nullptr;
  std::vector<HICON> sources_;  // the icon each image was copied from
};

}  // namespace taskmgr::ui
