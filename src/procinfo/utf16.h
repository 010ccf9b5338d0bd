#pragma once
// UTF-16 from the system to the UTF-8 kept everywhere inside. Invalid
// sequences (lone surrogates) become U+FFFD instead of failing.
#include <cstddef>
#include <string>
#include <string_view>

namespace taskmgr {

std::string Utf16ToUtf8(std::u16string_view text);

// `units` little-endian UTF-16 units starting at `bytes` (any alignment).
std::string Utf16LeBytesToUtf8(const unsigned char* bytes, std::size_t units);

}  // namespace taskmgr
