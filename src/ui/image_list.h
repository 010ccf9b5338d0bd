#pragma once
// An image list of small icons. Owns its HIMAGELIST; the icons added are
// copied, so the caller's icon handles stay the caller's.
#include <windows.h>
#include <commctrl.h>

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
  void Clear();
  int Count() const;

 private:
  HIMAGELIST handle_ = nullptr;
};

}  // namespace taskmgr::ui
