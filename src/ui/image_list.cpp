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

int TImageList::AddIcon(HICON icon) { return PutIcon(Count(), icon); }

int TImageList::PutIcon(int index, HICON icon) {
  const int count = Count();
  if (!handle_ || !icon || index < 0 || index > count) return -1;
  sources_.resize(static_cast<size_t>(count));
  if (index < count && sources_[static_cast<size_t>(index)] == icon) return index;
  const int stored = ImageList_ReplaceIcon(handle_, index < count ? index : -1, icon);
  if (stored < 0) {
    if (index < count) sources_[static_cast<size_t>(index)] = nullptr;
    return -1;
  }
  sources_.resize(static_cast<size_t>(Count()));
  sources_[static_cast<size_t>(stored)] = icon;
  return stored;
}

void TImageList::Truncate(int count) {
  if (!handle_ || count < 0) return;
  while (Count() > count) ImageList_Remove(handle_, Count() - 1);
  sources_.resize(static_cast<size_t>(Count()));
}

void TImageList::Clear() {
  if (handle_) ImageList_Remove(handle_, -1);
  sources_.clear();
}

int TImageList::Count() const { return handle_ ? ImageList_GetImageCount(handle_) : 0; }

}  // namespace taskmgr::ui
