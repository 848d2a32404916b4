#include "desktop_load.h"

#include <stdexcept>

#include "win32/entry_points.h"

namespace e2e {
namespace {

// Calls `act` every millisecond on a thread of its own until `stop` is set.
template <typename Action>
std::thread EveryMillisecond(std::atomic<bool>& stop, Action act) {
  return std::thread([&stop, act] {
    while (!stop) {
      act();
      Sleep(1);
    }
  });
}

}  // namespace

RepaintFlood::RepaintFlood(HWND window)
    : thread_(EveryMillisecond(stop_, [window] {
        RedrawWindow(window, nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
      })) {}

RepaintFlood::~RepaintFlood() {
  stop_ = true;
  thread_.join();
}

SlowRetrieval::SlowRetrieval(HWND window, const std::wstring& hook_library) {
  library_ = LoadLibraryW(hook_library.c_str());
  const auto procedure =
      library_ ? trv::win32::ExportedEntry<HOOKPROC>(library_, "SlowRetrieval") : nullptr;
  const DWORD thread = GetWindowThreadProcessId(window, nullptr);
  hook_ = procedure ? SetWindowsHookExW(WH_GETMESSAGE, procedure, library_, thread) : nullptr;
  if (hook_ == nullptr) {
    if (library_ != nullptr) FreeLibrary(library_);
    throw std::runtime_error("the slow retrieval hook could not be set (Windows error " +
                             std::to_string(GetLastError()) + ")");
  }
  thread_ = EveryMillisecond(stop_, [window] { PostMessageW(window, WM_NULL, 0, 0); });
}

SlowRetrieval::~SlowRetrieval() {
  stop_ = true;
  thread_.join();
  UnhookWindowsHookEx(hook_);
  FreeLibrary(library_);
}

}  // namespace e2e
