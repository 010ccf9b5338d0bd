#include "ui/image_list.h"

#include <stdexcept>

namespace taskmgr::ui {

TImageList::~TImageList() {
  if (handle_) ImageList_Destroy(handle_);
}

void TImageList::Create(int width, int height) {
  if (handle_) throw std::logic_error("the image list has been created already");
  handle_ = ImageList_Create(width, height, ILC_COLOR32 | ILC_MASK, 0, 16);
  if (!handle_) throw std::runtime_error("ImageList_Create failed");
}

int TImageList::AddIcon(HICON icon) {
  if (!handle_ || !icon) return -1;
  return ImageList_ReplaceIcon(handle_, -1, icon);
}

void TImageList::Clear() {
  if (handle_) ImageList_Remove(handle_, -1);
}

int TImageList::Count() const { return handle_ ? ImageList_GetImageCount(handle_) : 0; }

}  // namespace taskmgr::ui
