// A library whose start-up refuses to go on, as a driver library's can when its installation is
// broken: loading it fails with ERROR_DLL_INIT_FAILED.
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  return reason != DLL_PROCESS_ATTACH;
}
