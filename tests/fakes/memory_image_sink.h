#pragma once
// An image list that remembers which icons it was given, in order.
#include <cstdint>
#include <vector>

#include "procinfo/row_model.h"

namespace taskmgr::fakes {

class TMemoryImageSink : public IImageSink {
 public:
  std::vector<uintptr_t> icons;
  int clears = 0;

  void Clear() override {
    icons.clear();
    ++clears;
  }

  int AddIcon(uintptr_t icon) override {
    if (icon == 0) return -1;
    icons.push_back(icon);
    return static_cast<int>(icons.size()) - 1;
  }
};

}  // namespace taskmgr::fakes
