#pragma once
// An ordered list of (key text, record) pairs with the semantics the
// snapshot, window and claimed-process lists need: append at the end, find
// the first pair with an equal key (ASCII case ignored), take a record out
// of the list without releasing it. The list owns the records still in it.
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace taskmgr {

inline bool KeysEqual(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]);
    unsigned char y = static_cast<unsigned char>(b[i]);
    if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x + 32);
    if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y + 32);
    if (x != y) return false;
  }
  return true;
}

template <class T>
class TKeyedList {
 public:
  void Add(std::string key, std::unique_ptr<T> object = nullptr) {
    items_.emplace_back(std::move(key), std::move(object));
  }
  int Count() const { return static_cast<int>(items_.size()); }
  // Position of the first pair whose key equals `key`, or -1.
  int IndexOf(std::string_view key) const {
    for (std::size_t i = 0; i < items_.size(); ++i)
      if (KeysEqual(items_[i].first, key)) return static_cast<int>(i);
    return -1;
  }
  const std::string& Key(int index) const { return items_.at(index).first; }
  T* Object(int index) const { return items_.at(index).second.get(); }
  // Removes the pair at `index`; later pairs move up. The record is handed
  // to the caller, not released.
  std::unique_ptr<T> Extract(int index) {
    auto object = std::move(items_.at(index).second);
    items_.erase(items_.begin() + index);
    return object;
  }
  void Clear() { items_.clear(); }

 private:
  std::vector<std::pair<std::string, std::unique_ptr<T>>> items_;
};

// Keys only (the claimed-process list).
struct TNoObject {};
using TTextList = TKeyedList<TNoObject>;

}  // namespace taskmgr
