// What the programmer's and the check's windows share around their own controls and handlers: the
// window procedure, which counts the operator's holds and catches a handler's failure; the
// messages of the window's life (activation, the close, the session's end, the destruction); the
// rule for a close while an operation is under way; the message boxes; and the pump through which
// an operation hands the window its messages. Each window owns one and keeps what is its own: its
// controls and their layout, its handlers, and how it looks between operations.
#pragma once

#include <windows.h>

#include <string>

#include "adapter/adapter_driver.h"
#include "common/clock.h"
#include "loader/message_pump.h"
#include "programming/programming_run.h"
#include "ui/focus_keeper.h"
#include "ui/handler_nesting.h"
#include "ui/operator_holds.h"
#include "ui/progress_painter.h"
#include "ui/window_pump.h"
#include "ui/window_services.h"

namespace trv::ui {

// Both programs' windows: a fixed size, a close button and no other.
constexpr DWORD kFormStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;

class OperationWindow final : private HandlerNesting::Owner {
 public:
  // The window's side: what it has of its own.
  class Owner {
   public:
    // The window's own messages: the creation of its controls (WM_CREATE), their layout and their
    // drawing. True, with `*result`, for those it handled.
    virtual bool HandleOwnMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT* result) = 0;
    // A notification from one of its controls. One handler runs at a time: a click that was
    // already queued when an operation disabled the controls does not start a second one inside
    // the first.
    virtual void HandleCommand(int control_id, int notification) = 0;
    // Enables or disables the controls that take the operator's input.
    virtual void EnableInputs(bool enabled) noexcept = 0;
    // After a handler's failure, the adapter closed: the controls as between operations, before
    // the failure is reported.
    virtual void RestoreAfterFailure() = 0;
    // The window is gone, and every control's handle with it.
    virtual void ForgetControls() noexcept = 0;

   protected:
    ~Owner() = default;
  };

  // What tells the programs' windows apart.
  struct Identity {
    const wchar_t* class_name;       // the window class, by which the window is found from outside
    const char* title;               // its caption, and the caption of its error boxes
    const char* session_end_reason;  // shown while the session's end is held up
  };

  // `window` is the window's handle as `owner`'s controls hold it. `driver` (null where none can be
  // used) closes the adapter in `state` when the window closes, unless the operation under way
  // closes it itself.
  OperationWindow(Owner& owner, HWND& window, const Identity& identity, AdapterDriver* driver,
                  Clock& clock, ProgrammerState& state, WindowServices& services);
  OperationWindow(const OperationWindow&) = delete;
  OperationWindow& operator=(const OperationWindow&) = delete;

  // Registers the window's class and creates the window within `bounds`. False when the system
  // refused either.
  bool Create(HINSTANCE instance, const RECT& bounds);
  void Show(int show_command);
  // Destroys the window, if it still exists. The owner calls it from its own destructor, while
  // everything the window's last messages reach still exists.
  void Destroy();
  // Keyboard navigation between the controls (Tab, Enter, arrows); true when `message` was
  // consumed and must not be dispatched.
  bool HandleDialogMessage(MSG* message);

  // The window is closing, or the session is ending. An adapter that an operation is returning to
  // normal is left to it, and the window stays, disabled, until it has; any other is closed now.
  void FormClose();
  // Hands the window what was pending, paints it when it may, and returns (window_pump.h).
  PumpReport PumpMessages();
  // Boxes over the window, centred on the screen; none once it is stopped.
  void ShowInformation(const std::string& text);
  void ShowError(const std::string& text);

  // True once the window is closing or a handler failed: the window's operations do nothing.
  bool Stopped() const { return nesting_.Stopped(); }
  HandlerNesting& nesting() { return nesting_; }
  FocusKeeper& focus() { return focus_; }
  ProgressPainter& progress_painter() { return progress_painter_; }
  const ProgressPainter& progress_painter() const { return progress_painter_; }

 private:
  // Posted to itself once the window has closed and no handler is running any more.
  static constexpr UINT kDestroyClosedWindow = WM_APP + 1;

  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam);
  void HandleCommand(int control_id, int notification);
  void ShowBox(const std::string& text, const char* caption, UINT style);
  void CloseAdapter();
  // The session may not end while an adapter is open; Windows is told why for as long.
  void FollowAdapterForSessionEnd();
  void RecoverFromFailure() noexcept override;
  void DestroyClosedWindow() noexcept override;

  Owner& owner_;
  HWND& window_;
  const Identity identity_;
  AdapterDriver* const driver_;
  ProgrammerState& state_;

  HandlerNesting nesting_{*this};
  FocusKeeper focus_{window_};
  ProgressPainter progress_painter_;
  OperatorHolds holds_;
  WindowPump pump_;
  SessionEndBlock session_end_block_;
};

}  // namespace trv::ui
