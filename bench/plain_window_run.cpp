// The plain window: the programmer's controls in a window of their own, each operation done on
// them at once, every box recorded rather than shown, and a pump that hands the thread every
// pending message, paints included, and returns.
#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include "bench/timed_run.h"

namespace trv::bench {
namespace {

class PlainWindow final : public CountingWindow {
 public:
  PlainWindow(Clock& clock, TimedRun& result) : CountingWindow(clock, result) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    form_ =
        CreateWindowExW(0, WC_STATICW, L"", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_VISIBLE,
                        100, 100, 388, 150, nullptr, nullptr, instance, nullptr);
    const auto control = [&](const wchar_t* kind, DWORD style, int x, int y, int width) {
      return CreateWindowExW(0, kind, L"", WS_CHILD | WS_VISIBLE | style, x, y, width, 21, form_,
                             nullptr, instance, nullptr);
    };
    selected_file_ = control(WC_STATICW, 0, 16, 72, 257);
    label2_ = control(WC_STATICW, 0, 16, 59, 64);
    inputs_[0] = control(WC_COMBOBOXW, CBS_DROPDOWN, 16, 32, 257);
    inputs_[1] = control(WC_BUTTONW, BS_PUSHBUTTON, 288, 32, 75);
    inputs_[2] = control(WC_BUTTONW, BS_PUSHBUTTON, 288, 64, 75);
    bar_ = control(PROGRESS_CLASSW, 0, 16, 80, 257);
    UpdateWindow(form_);
  }
  ~PlainWindow() override { DestroyWindow(form_); }
  PlainWindow(const PlainWindow&) = delete;
  PlainWindow& operator=(const PlainWindow&) = delete;

  void SetInputControlsEnabled(bool enabled) override {
    for (const HWND input : inputs_)
      EnableWindow(input, enabled);
  }
  void SetProgressBarVisible(bool visible) override {
    ShowWindow(bar_, visible ? SW_SHOW : SW_HIDE);
  }
  void SetSelectedFileVisible(bool visible) override {
    ShowWindow(selected_file_, visible ? SW_SHOW : SW_HIDE);
  }
  void SetProgressRange(std::uint32_t minimum, std::uint32_t maximum) override {
    SendMessageW(bar_, PBM_SETRANGE32, minimum, maximum);
  }
  void SetProgressPosition(std::uint32_t position) override {
    SendMessageW(bar_, PBM_SETPOS, position, 0);
  }
  void SetLabel2Caption(const std::string& caption) override {
    CountingWindow::SetLabel2Caption(caption);
    SetWindowTextA(label2_, caption.c_str());
  }
  PumpReport PumpMessages() override {
    CountingWindow::PumpMessages();
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    return PumpReport{};
  }

 private:
  HWND form_;
  HWND selected_file_;
  HWND label2_;
  HWND inputs_[3];
  HWND bar_;
};

}  // namespace

TimedRun TimePlainWindowRun(std::uint64_t latency_us) {
  return TimeProgrammingRun(latency_us, [](Clock& clock, TimedRun& result) {
    return std::make_unique<PlainWindow>(clock, result);
  });
}

}  // namespace trv::bench
