// A message hook that another program sets on the programmer's thread: each message the thread
// retrieves comes 60 ms late, as under a busy desktop's hook. Loaded into the programmer by Windows
// when the hook is set.
#include <windows.h>

extern "C" LRESULT CALLBACK SlowRetrieval(int code, WPARAM wparam, LPARAM lparam) {
  if (code == HC_ACTION) {
    Sleep(60);
  }
  return CallNextHookEx(nullptr, code, wparam, lparam);
}
