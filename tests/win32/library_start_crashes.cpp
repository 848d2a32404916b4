// A library whose start-up crashes, as a broken driver library's can, in the way the build names
// (TRV_CRASH_...; an access violation where it names none): each reaches the program loading it
// as a code of its own.
#include <windows.h>

namespace {

#if defined(TRV_CRASH_STACK_OVERFLOW)
// Deeper than any thread's stack; kept from the compiler's sight so that the calls are made.
int Crash(int depth = 0) {
  volatile char frame[1024];
  frame[0] = static_cast<char>(depth);
  volatile int limit = 1 << 30;
  return depth < limit ? Crash(depth + 1) + frame[0] : 0;
}
#elif defined(TRV_CRASH_DIVISION_BY_ZERO)
int Crash() {
  volatile int dividend = 1;
  volatile int divisor = 0;
  volatile int quotient = dividend / divisor;
  return quotient;
}
#elif defined(TRV_CRASH_INVALID_INSTRUCTION)
int Crash() {
  __builtin_trap();
}
#elif defined(TRV_CRASH_CPP_EXCEPTION)
// What a library built with Visual C++ raises for a C++ exception that nothing catches.
int Crash() {
  RaiseException(0xE06D7363, EXCEPTION_NONCONTINUABLE, 0, nullptr);
  return 0;
}
#else
int Crash() {
  RaiseException(EXCEPTION_ACCESS_VIOLATION, 0, 0, nullptr);
  return 0;
}
#endif

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    Crash();
  }
  return TRUE;
}
