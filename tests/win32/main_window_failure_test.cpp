// The window when things go wrong around it: the session ends, or a handler fails in a way no
// result code reports.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "form_fixture.h"
#include "scratch_files.h"
#include "ui/main_window.h"
#include "win32/win32_text.h"

namespace {

using ui_test::FormFixture;

const std::wstring kDevice = trv::win32::WideFromUtf8(trv::sim::kDefaultAdapterDescription);
constexpr wchar_t kUnexpectedError[] = L"An unexpected error stopped the operation.";

// Acknowledgements come quickly, so a run takes little real time.
trv::sim::SimConfig FastChip() {
  trv::sim::SimConfig config;
  config.latency_us = 20;
  return config;
}

// Throws from the `nth` call named `name` (counting from 1), once.
std::function<void(std::string_view)> ThrowAt(std::string_view name, int nth) {
  auto seen = std::make_shared<int>(0);
  return [=](std::string_view call) {
    if (call == name && ++*seen == nth) {
      throw std::bad_alloc();
    }
  };
}

// Points the entries of this program's import address table that hold `from` at `to`.
template <typename Function>
void RedirectImport(Function from, Function to) {
  auto* base = reinterpret_cast<BYTE*>(GetModuleHandleW(nullptr));
  const IMAGE_DATA_DIRECTORY& table =
      reinterpret_cast<IMAGE_NT_HEADERS*>(base +
                                          reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew)
          ->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IAT];
  auto* entries = reinterpret_cast<Function*>(base + table.VirtualAddress);
  for (DWORD i = 0, protection = 0; i < table.Size / sizeof(Function); ++i) {
    if (entries[i] == from &&
        VirtualProtect(&entries[i], sizeof(to), PAGE_READWRITE, &protection)) {
      entries[i] = to;
    }
  }
}

// Wine only stubs the calls that hold up the session's end, so these tests stand in for them: the
// program's calls are recorded as "<window> <reason>" for a reason given, "<window>" for one
// taken back.
std::vector<std::wstring> block_calls;
std::wstring Id(HWND window) {
  return std::to_wstring(reinterpret_cast<std::uintptr_t>(window));
}
BOOL WINAPI RecordCreate(HWND window, LPCWSTR reason) {
  block_calls.push_back(Id(window) + L" " + reason);
  return TRUE;
}
BOOL WINAPI RecordDestroy(HWND window) {
  block_calls.push_back(Id(window));
  return TRUE;
}
[[maybe_unused]] const bool block_calls_recorded =
    (RedirectImport(&ShutdownBlockReasonCreate, &RecordCreate),
     RedirectImport(&ShutdownBlockReasonDestroy, &RecordDestroy), true);

bool IdleLook(const FormFixture& fixture) {
  const auto visible = [](HWND control) {
    return (GetWindowLongW(control, GWL_STYLE) & WS_VISIBLE) != 0;
  };
  return fixture.InputsEnabled() && !visible(fixture.controls.ProgressBar1) &&
         visible(fixture.controls.SelectedFile) &&
         trv::win32::WindowText(fixture.controls.Label2) == L"Selected File:";
}

}  // namespace

TEST(Form, SessionEnd_ClosesTheAdapterOnceItIsConfirmed) {
  FormFixture fixture;
  fixture.OpenAdapter();
  EXPECT_EQ(TRUE, SendMessageW(fixture.controls.Form1, WM_QUERYENDSESSION, 0, 0));
  SendMessageW(fixture.controls.Form1, WM_ENDSESSION, FALSE, 0);
  EXPECT_TRUE(fixture.state->adapter.open);
  EXPECT_TRUE(fixture.form.PumpMessages());

  SendMessageW(fixture.controls.Form1, WM_ENDSESSION, TRUE, 0);
  EXPECT_FALSE(fixture.state->adapter.open);
  EXPECT_EQ(0u, fixture.driver.OpenHandleCount());
  EXPECT_FALSE(fixture.form.PumpMessages());
  int code = -1;
  EXPECT_TRUE(ui_test::DispatchUntilQuit(&code));
  EXPECT_TRUE(fixture.watcher.boxes.empty());
}

// During a run the session may not end, and Windows is told why until the run is over. When it
// ends anyway while a pass waits for an acknowledgement, the adapter is closed there, and the run
// stops at its next pump without another call on it and without a message.
TEST(Form, SessionEndsDuringARun_RefusedThenRunStopsWithoutTheAdapter) {
  FormFixture fixture(FastChip());
  ui_test::ScratchFolder folder;
  const std::wstring path = folder.Write(L"image.ROM", ui_test::RomImage());
  block_calls.clear();
  const std::wstring reason = Id(fixture.controls.Form1) + L" Programming the TRV2K-3B flash.";
  int writes = 0;
  fixture.hooked.before_call = [&](std::string_view call) {
    if (call == "QB_Write" && ++writes == 300) {
      EXPECT_EQ(FALSE, SendMessageW(fixture.controls.Form1, WM_QUERYENDSESSION, 0, 0));
      EXPECT_EQ(std::vector<std::wstring>{reason}, block_calls);
      PostMessageW(fixture.controls.Form1, WM_ENDSESSION, TRUE, 0);
    }
  };
  fixture.Program(kDevice, path);
  EXPECT_EQ(300, writes);
  EXPECT_EQ((std::vector<std::wstring>{reason, Id(fixture.controls.Form1)}), block_calls);
  EXPECT_EQ(1u, fixture.driver.CountCalls("QB_Close"));
  EXPECT_EQ(0u, fixture.driver.OpenHandleCount());
  EXPECT_FALSE(fixture.driver.CalledOnClosedHandle());
  EXPECT_EQ("QB_Close", fixture.driver.calls().back().name);
  EXPECT_TRUE(fixture.watcher.boxes.empty());
  int code = -1;
  EXPECT_TRUE(ui_test::DispatchUntilQuit(&code));
}

// A driver call throws in the middle of a pass: the adapter is closed, the window looks as
// between runs, the one message is the report, and the next run goes through.
TEST(Form, RunThrows_AdapterClosedAndWindowHandedBack) {
  FormFixture fixture(FastChip());
  ui_test::ScratchFolder folder;
  const std::wstring path = folder.Write(L"image.ROM", ui_test::RomImage());
  fixture.hooked.before_call = ThrowAt("QB_Write", 300);
  block_calls.clear();
  fixture.Program(kDevice, path);
  ASSERT_EQ(2u, block_calls.size());
  EXPECT_EQ(Id(fixture.controls.Form1), block_calls[1]);
  EXPECT_EQ(TRUE, SendMessageW(fixture.controls.Form1, WM_QUERYENDSESSION, 0, 0));
  EXPECT_EQ(0u, fixture.driver.OpenHandleCount());
  EXPECT_FALSE(fixture.state->adapter.open);
  EXPECT_FALSE(fixture.driver.CalledOnClosedHandle());
  EXPECT_TRUE(IdleLook(fixture));
  ASSERT_EQ(1u, fixture.watcher.boxes.size());
  EXPECT_EQ(L"ZORPA TRV2K-3B Flash Programmer", fixture.watcher.boxes[0].caption);
  EXPECT_EQ(kUnexpectedError, fixture.watcher.boxes[0].text);
  fixture.hooked.before_call = nullptr;
  fixture.Program(kDevice, path);
  ASSERT_EQ(2u, fixture.watcher.boxes.size());
  EXPECT_EQ(L"TRV2K-3B Flash reprogrammed and verified.", fixture.watcher.boxes[1].text);
}

// The window is closed during a run and the driver throws as the close handler closes the
// adapter: the handler is nested in the run, which stops first; the adapter is then closed and
// the window goes, with nothing shown.
TEST(Form, CloseThrowsDuringARun_RunStopsAndTheWindowGoes) {
  FormFixture fixture(FastChip());
  ui_test::ScratchFolder folder;
  const std::wstring path = folder.Write(L"image.ROM", ui_test::RomImage());
  const auto throw_at_close = ThrowAt("QB_Close", 1);
  int writes = 0;
  fixture.hooked.before_call = [&](std::string_view call) {
    if (call == "QB_Write" && ++writes == 300) {
      PostMessageW(fixture.controls.Form1, WM_CLOSE, 0, 0);
    }
    throw_at_close(call);
  };
  fixture.Program(kDevice, path);
  EXPECT_EQ(300, writes);
  EXPECT_EQ(0u, fixture.driver.OpenHandleCount());
  EXPECT_FALSE(fixture.state->adapter.open);
  EXPECT_FALSE(fixture.driver.CalledOnClosedHandle());
  EXPECT_TRUE(fixture.watcher.boxes.empty());
  int code = -1;
  EXPECT_TRUE(ui_test::DispatchUntilQuit(&code));
  EXPECT_FALSE(IsWindow(fixture.controls.Form1));
}

// A click on "Program" that reaches the window while a run pumps (one queued before the run
// disabled the button) is dropped: a second run inside the first would work the adapter under it.
TEST(Form, ProgramClickedDuringARun_StartsNoSecondRun) {
  FormFixture fixture(FastChip());
  ui_test::ScratchFolder folder;
  const std::wstring path = folder.Write(L"image.ROM", ui_test::RomImage());
  bool clicked = false;
  fixture.hooked.before_call = [&](std::string_view call) {
    if (call == "QB_OpenEx" && !clicked) {
      clicked = true;
      PostMessageW(fixture.controls.Form1, WM_COMMAND,
                   MAKEWPARAM(GetDlgCtrlID(fixture.controls.ProgramButton), BN_CLICKED),
                   reinterpret_cast<LPARAM>(fixture.controls.ProgramButton));
    }
  };
  fixture.Program(kDevice, path);
  EXPECT_EQ(1u, fixture.driver.CountCalls("QB_OpenEx"));
  ASSERT_EQ(1u, fixture.watcher.boxes.size());
  EXPECT_EQ(L"TRV2K-3B Flash reprogrammed and verified.", fixture.watcher.boxes[0].text);
}
