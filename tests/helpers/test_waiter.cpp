// Test helper: a process that does nothing and waits until it is ended.
#include <windows.h>

int wmain() {
  for (;;) Sleep(INFINITE);
}
