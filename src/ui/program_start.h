// What both programs, the programmer and the adapter and chip check, do around their one window:
// the process made ready before anything loads a library or makes a window, COM on the window's
// thread, the message loop, and a start that fails without a word reported.
#pragma once

#include <windows.h>

#include <functional>

namespace trv::ui {

constexpr int kExitWindowUnavailable = 2;
constexpr int kExitUnexpectedError = 3;

// The safe library search order, the common controls the windows use, and per-monitor density
// awareness where the manifest was read without it.
void PrepareProcess();

// COM on the window's thread, as a single-threaded apartment, for as long as the window lives: the
// names the screen readers give the controls come through it.
class ComApartment {
 public:
  ComApartment();
  ~ComApartment();
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

 private:
  bool started_;
};

// Runs the thread's message loop until the window posts its quit, giving each message first to
// `dialog_message` (keyboard navigation between the window's controls; true when it was consumed).
// Returns the quit's code.
int RunMessageLoop(const std::function<bool(MSG*)>& dialog_message);

// Runs `start`, the program's start and message loop, and returns its exit code. The window's
// handlers catch their own failures; this is for those of the start itself, reported in a box
// captioned `title`.
int StartGuarded(const char* title, const std::function<int()>& start);

}  // namespace trv::ui
