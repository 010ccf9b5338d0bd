#pragma once
// UTF-8 inside, UTF-16 at the Win32 calls.
#include <string>
#include <string_view>

namespace taskmgr::ui {

std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);

}  // namespace taskmgr::ui
