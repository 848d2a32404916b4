#include "remote_operator/programmer_process.h"

#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <algorithm>
#include <stdexcept>

#include "common/operator_texts.h"
#include "remote_operator/wait_limits.h"
#include "remote_operator/win_helpers.h"

namespace trv::remote {

// The window and its controls are found by the captions the program gives them.
void ProgrammerProcess::WaitForMainWindow(DWORD timeout_ms) {
  WaitForWindow(Widen(texts::kApplicationTitle), timeout_ms);
  if (!WaitUntil(timeout_ms, [&] { return FindControls(); })) {
    throw std::runtime_error(
        "the window lacks controls: want statics " + Printable(Widen(texts::kDeviceLabel)) + ", " +
        Printable(Widen(texts::kIdleHeading)) + " and one empty, a ComboBox, buttons " +
        Printable(Widen(texts::kOpenButtonCaption)) + " and " +
        Printable(Widen(texts::kProgramButtonCaption)) + ", a progress bar");
  }
}

bool ProgrammerProcess::FindControls() {
  controls_ = {};
  controls_.Form1 = window();
  std::vector<HWND> other_statics;
  for (HWND child : ChildrenInZOrder(window())) {
    const std::wstring text = TextOf(child);
    if (HasClass(child, L"Static")) {
      if (text == Widen(texts::kDeviceLabel)) {
        controls_.Label1 = child;
      } else if (text == Widen(texts::kIdleHeading)) {
        controls_.Label2 = child;
      } else {
        other_statics.push_back(child);
      }
    } else if (HasClass(child, L"ComboBox")) {
      controls_.ComboBox1 = child;
    } else if (HasClass(child, L"Button") && text == Widen(texts::kOpenButtonCaption)) {
      controls_.OpenButton = child;
    } else if (HasClass(child, L"Button") && text == Widen(texts::kProgramButtonCaption)) {
      controls_.ProgramButton = child;
    } else if (HasClass(child, PROGRESS_CLASSW)) {
      controls_.ProgressBar1 = child;
    }
  }
  if (other_statics.size() == 1) {
    controls_.SelectedFile = other_statics.front();
  }
  device_list_ = controls_.ComboBox1;
  const ui::FormControls& c = controls_;
  return c.Label1 && c.SelectedFile && c.Label2 && c.ComboBox1 && c.OpenButton && c.ProgramButton &&
         c.ProgressBar1;
}

bool ProgrammerProcess::InputsEnabled() const {
  return IsWindowEnabled(controls_.ComboBox1) && IsWindowEnabled(controls_.OpenButton) &&
         IsWindowEnabled(controls_.ProgramButton);
}

MessageBoxSeen ProgrammerProcess::ReadMessageBox(HWND box) const {
  MessageBoxSeen seen = RemoteProcess::ReadMessageBox(box);
  if (window()) {
    seen.inputs_enabled_when_shown = InputsEnabled();
    seen.progress_visible_when_shown = IsWindowVisible(controls_.ProgressBar1);
    seen.progress_when_shown = DWORD(SendBounded(controls_.ProgressBar1, PBM_GETPOS, 0, 0, 0));
    seen.selected_file_visible_when_shown = IsWindowVisible(controls_.SelectedFile);
    seen.label2_when_shown = TextOf(controls_.Label2);
  }
  return seen;
}

void ProgrammerProcess::ChooseFile(const std::wstring& name) {
  ConfirmFileDialog(OpenFileDialogBy(controls_.OpenButton), name);
  SendBounded(window(), WM_NULL, 0, 0);  // returns once the click handler has finished
}

void ProgrammerProcess::ChooseFileInFolder(const std::wstring& folder, const std::wstring& name) {
  const HWND dialog = OpenFileDialogBy(controls_.OpenButton);
  EnterFolder(dialog, folder);
  ConfirmFileDialog(dialog, name);
  SendBounded(window(), WM_NULL, 0, 0);
}

void ProgrammerProcess::CancelFileDialog() {
  HWND dialog = OpenFileDialogBy(controls_.OpenButton);
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDCANCEL)));
  if (!WaitUntil(kDialogTimeoutMs, [&] { return !IsWindow(dialog); })) {
    throw std::runtime_error("the file dialog did not close on Cancel");
  }
  SendBounded(window(), WM_NULL, 0, 0);
}

std::wstring ProgrammerProcess::SelectedFilePath() const {
  return TextOf(controls_.SelectedFile);
}

RunObservation ProgrammerProcess::PressProgram(
    DWORD timeout_ms, const std::wstring& screenshot,
    const std::function<void(const RunObservation&)>& on_poll) {
  RunObservation seen;
  const DWORD start = GetTickCount();
  DWORD last_box_gone = start;
  PostMessageW(controls_.ProgramButton, BM_CLICK, 0, 0);
  while (GetTickCount() - start < timeout_ms) {
    if (!Running()) {
      seen.process_ended = true;
      break;
    }
    const auto boxes = OpenMessageBoxes();
    if (!boxes.empty()) {
      seen.boxes.push_back(TakeMessageBox(boxes.front(), screenshot));
      if (seen.boxes.back().progress_visible_when_shown) {
        seen.highest_progress =
            std::max(seen.highest_progress, seen.boxes.back().progress_when_shown);
      }
      last_box_gone = GetTickCount();
      continue;
    }
    // Enabled is read before visible: the run hides the bar before it enables the controls.
    const bool enabled = InputsEnabled();
    if (IsWindowVisible(controls_.ProgressBar1)) {
      seen.inputs_enabled_with_progress |= enabled;
      seen.highest_progress = std::max(
          seen.highest_progress, DWORD(SendBounded(controls_.ProgressBar1, PBM_GETPOS, 0, 0, 0)));
    }
    const std::wstring caption = TextOf(controls_.Label2);
    if (seen.label2_captions.empty() || seen.label2_captions.back() != caption) {
      seen.label2_captions.push_back(caption);
    }
    if (on_poll) {
      on_poll(seen);
    }
    if (!seen.boxes.empty() && enabled && GetTickCount() - last_box_gone >= kRunQuietMs) {
      seen.back_to_idle = true;
      break;
    }
    Sleep(kPollMs);
  }
  return seen;
}

}  // namespace trv::remote
