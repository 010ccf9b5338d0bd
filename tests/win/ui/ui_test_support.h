#pragma once
// Helpers for tests that drive real windows under Wine.
#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "ui/text.h"

namespace taskmgr::testing {

// Counts the messages a window receives, by watching from a subclass of our
// own; the window's behaviour is unchanged.
class MessageCounter {
 public:
  explicit MessageCounter(HWND window) : window_(window) {
    SetWindowSubclass(window_, &Proc, reinterpret_cast<UINT_PTR>(this),
                      reinterpret_cast<DWORD_PTR>(this));
  }
  ~MessageCounter() { RemoveWindowSubclass(window_, &Proc, reinterpret_cast<UINT_PTR>(this)); }
  MessageCounter(const MessageCounter&) = delete;
  MessageCounter& operator=(const MessageCounter&) = delete;

  int Count(UINT msg) const {
    const auto it = counts_.find(msg);
    return it == counts_.end() ? 0 : it->second;
  }
  void Reset() { counts_.clear(); }

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                               DWORD_PTR data) {
    ++reinterpret_cast<MessageCounter*>(data)->counts_[msg];
    return DefSubclassProc(hwnd, msg, wParam, lParam);
  }
  HWND window_;
  std::map<UINT, int> counts_;
};

// Text of a list view cell as the control holds it.
inline std::string ControlCellText(HWND list, int row, int column) {
  wchar_t buffer[512] = {};
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = buffer;
  item.cchTextMax = 512;
  SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
  return ui::Narrow(buffer);
}

inline LVITEMW ControlItem(HWND list, int row) {
  LVITEMW item{};
  item.mask = LVIF_IMAGE | LVIF_PARAM;
  item.iItem = row;
  SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
  return item;
}

inline int ControlRowCount(HWND list) {
  return static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
}

inline std::string WindowClass(HWND window) {
  wchar_t name[256] = {};
  GetClassNameW(window, name, 256);
  return ui::Narrow(name);
}

inline std::string WindowText(HWND window) {
  wchar_t text[1024] = {};
  GetWindowTextW(window, text, 1024);
  return ui::Narrow(text);
}

// The visible dialog boxes (message boxes among them) of this thread.
inline std::vector<HWND> ThreadDialogs() {
  std::vector<HWND> found;
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND window, LPARAM data) -> BOOL {
        if (IsWindowVisible(window) && WindowClass(window) == "#32770")
          reinterpret_cast<std::vector<HWND>*>(data)->push_back(window);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

// The text a message box shows (its static control).
inline std::string MessageBoxText(HWND box) {
  wchar_t text[1024] = {};
  GetDlgItemTextW(box, 0xFFFF, text, 1024);
  return ui::Narrow(text);
}

// Folder of the running test program.
inline std::wstring ProgramFolder() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path);
  const size_t slash = folder.find_last_of(L"\\/");
  return slash == std::wstring::npos ? L"." : folder.substr(0, slash);
}

// The window's pixels as they are on the screen, as a 24-bit BMP file.
inline bool SaveWindowBitmap(HWND window, const std::wstring& path) {
  RECT rect{};
  GetWindowRect(window, &rect);
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  if (width <= 0 || height <= 0) return false;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;  // bottom-up, as BMP files store rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
  GdiFlush();
  const uint32_t stride = (static_cast<uint32_t>(width) * 3 + 3) & ~3u;
  const uint32_t imageSize = stride * static_cast<uint32_t>(height);
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
  file.bfSize = file.bfOffBits + imageSize;
  info.bmiHeader.biSizeImage = imageSize;
  bool written = false;
  HANDLE out = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  if (out != INVALID_HANDLE_VALUE) {
    DWORD done = 0;
    written = WriteFile(out, &file, sizeof(file), &done, nullptr) &&
              WriteFile(out, &info.bmiHeader, sizeof(info.bmiHeader), &done, nullptr) &&
              WriteFile(out, bits, imageSize, &done, nullptr);
    CloseHandle(out);
  }
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return written;
}

}  // namespace taskmgr::testing
