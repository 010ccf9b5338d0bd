// Walks arbitrary bytes as a process-information buffer of either layout.
// Input: byte 0 picks the layout (bit 0: 64-bit), bytes 1-8 the address base
// the name addresses are taken relative to, the rest is the filled buffer.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>

#include "procinfo/list_texts.h"
#include "procinfo/process_snapshot.h"

namespace {

bool IsValidUtf8(const std::string& text) {
  std::size_t i = 0;
  while (i < text.size()) {
    const auto c = static_cast<unsigned char>(text[i]);
    std::size_t length = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    if (length == 0 || i + length > text.size()) return false;
    uint32_t cp = length == 1 ? c : c & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) {
      const auto d = static_cast<unsigned char>(text[i + k]);
      if ((d & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (d & 0x3F);
    }
    const uint32_t minimum[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < minimum[length] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    i += length;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  using namespace taskmgr;
  if (size < 9) return 0;
  const TProcessLayout& layout = ProcessLayoutFor((data[0] & 1) ? 8 : 4);
  uint64_t base;
  std::memcpy(&base, data + 1, sizeof base);
  const std::span<const unsigned char> filled(data + 9, size - 9);

  TKeyedList<TProcInfo> list;
  try {
    WalkProcessBuffer(filled, layout, base,
                      [](int32_t pid) -> uint64_t {
                        if (pid % 97 == 13) throw std::runtime_error("query failed");
                        return static_cast<uint64_t>(static_cast<uint32_t>(pid)) * 4099;
                      },
                      list);
  } catch (const std::runtime_error&) {
  }

  // Entries start at increasing offsets, each with its fixed fields inside.
  const std::size_t starts =
      filled.size() < layout.MinEntrySize ? 0 : filled.size() - layout.MinEntrySize + 1;
  if (static_cast<std::size_t>(list.Count()) > starts) std::abort();
  for (int i = 0; i < list.Count(); ++i) {
    const TProcInfo* info = list.Object(i);
    if (list.Key(i) != PidText(info->PID)) std::abort();
    if (info->Name.empty() || !IsValidUtf8(info->Name)) std::abort();
  }
  return 0;
}
