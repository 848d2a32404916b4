// A library whose start-up crashes, as a broken driver library's can: it raises the exception the
// build names (TRV_CRASH_CODE), which reaches the program that loads it as that crash would.
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    RaiseException(TRV_CRASH_CODE, EXCEPTION_NONCONTINUABLE, 0, nullptr);
  }
  return TRUE;
}
