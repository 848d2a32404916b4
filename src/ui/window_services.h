// The services of Windows that the window asks for beyond drawing its controls: holding up the
// session's end while the adapter is open, and the names screen readers give its controls. They
// are injected, as the clock is, so that tests see what the window asks where Wine only stubs
// them.
#pragma once

#include <windows.h>

#include <string>

namespace trv::ui {

class WindowServices {
 public:
  virtual ~WindowServices() = default;

  // Has Windows hold up a log-off or shut-down for `window` and show `reason` for it.
  virtual void BlockSessionEnd(HWND window, const std::wstring& reason) = 0;
  // Takes that back.
  virtual void UnblockSessionEnd(HWND window) = 0;
  // Has screen readers call `control` by `name`. Where the system offers no such service, the
  // control keeps the name its label gives it: nothing the operator sees depends on it.
  virtual void NameForScreenReaders(HWND control, const std::wstring& name) = 0;
};

// The system's own services; screen-reader names need COM started on the window's thread.
class SystemWindowServices final : public WindowServices {
 public:
  void BlockSessionEnd(HWND window, const std::wstring& reason) override;
  void UnblockSessionEnd(HWND window) override;
  void NameForScreenReaders(HWND control, const std::wstring& name) override;
};

// While an adapter is open the session is asked not to end: ending it then could leave the chip
// half-written. Windows shows the reason to the user who logs off or shuts down.
class SessionEndBlock {
 public:
  SessionEndBlock(WindowServices& services, std::wstring reason)
      : services_(services), reason_(std::move(reason)) {}

  // Gives `window`'s reason while `adapter_open`, and takes it back once the adapter is closed.
  void Follow(HWND window, bool adapter_open) {
    if (adapter_open && window_ == nullptr && window != nullptr) {
      services_.BlockSessionEnd(window, reason_);
      window_ = window;
    } else if (!adapter_open && window_ != nullptr) {
      services_.UnblockSessionEnd(window_);
      window_ = nullptr;
    }
  }
  // The window is gone, and its reason with it.
  void Forget() { window_ = nullptr; }

 private:
  WindowServices& services_;
  const std::wstring reason_;
  HWND window_ = nullptr;  // the window whose reason is given, while it is
};

}  // namespace trv::ui
