// Test helper: one top-level window with a given title and icon, for tests
// that enumerate windows from outside.
//
//   test_window [--title TEXT] [--class NAME] [--icon none|application|warning|
//               error|information|question] [--icon-as class|small|big]
//               [--hidden] [--block]
//
// --icon-as says where the icon is offered: as the window class's icon
// (default), or set on the window with WM_SETICON as its small or big icon.
// --hidden leaves the window hidden. --block makes the thread sleep for good
// after creating the window, so the window never answers a message.
// Runs until it is ended or its window is closed.
#include <windows.h>

#include <string>

namespace {

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

HICON StockIcon(const std::wstring& name) {
  LPCWSTR id = nullptr;
  if (name == L"application") id = IDI_APPLICATION;
  else if (name == L"warning") id = IDI_WARNING;
  else if (name == L"error") id = IDI_ERROR;
  else if (name == L"information") id = IDI_INFORMATION;
  else if (name == L"question") id = IDI_QUESTION;
  return id ? LoadIconW(nullptr, id) : nullptr;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::wstring title = L"test window";
  std::wstring className = L"TmTestWindow";
  std::wstring iconName = L"application";
  std::wstring iconAs = L"class";
  bool hidden = false;
  bool block = false;
  for (int i = 1; i < argc; ++i) {
    const std::wstring arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == L"--title" && hasValue) title = argv[++i];
    else if (arg == L"--class" && hasValue) className = argv[++i];
    else if (arg == L"--icon" && hasValue) iconName = argv[++i];
    else if (arg == L"--icon-as" && hasValue) iconAs = argv[++i];
    else if (arg == L"--hidden") hidden = true;
    else if (arg == L"--block") block = true;
    else return 2;
  }

  HINSTANCE instance = GetModuleHandleW(nullptr);
  const HICON icon = StockIcon(iconName);
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = instance;
  windowClass.hIcon = iconAs == L"class" ? icon : nullptr;
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  windowClass.lpszClassName = className.c_str();
  if (!RegisterClassExW(&windowClass)) return 3;

  HWND window = CreateWindowExW(0, className.c_str(), title.c_str(), WS_OVERLAPPEDWINDOW,
                                CW_USEDEFAULT, CW_USEDEFAULT, 400, 200, nullptr, nullptr,
                                instance, nullptr);
  if (!window) return 4;
  if (iconAs == L"small") SendMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
  if (iconAs == L"big") SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
  if (!hidden) {
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
  }

  if (block) {
    for (;;) Sleep(INFINITE);
  }

  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return 0;
}
