#include "ui/button.h"

namespace taskmgr::ui {

void TButton::Create(TControl& parent, const TRect96& bounds, std::string_view caption) {
  CreateSystem(parent, L"BUTTON", WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, bounds, caption);
}

void TButton::Click() {
  if (Handle()) SendMessageW(Handle(), BM_CLICK, 0, 0);
}

void TButton::HandleCommand(WORD code) {
  if (code == BN_CLICKED && onClick) onClick();
}

}  // namespace taskmgr::ui
