// Start-up: binds the driver library, creates the window and runs its message loop.
#include <windows.h>

#include <memory>
#include <string>

#include "common/operator_texts.h"
#include "common/system_clock.h"
#include "programming/programming_run.h"
#include "ui/main_window.h"
#include "ui/program_start.h"
#include "win32/qblink_library.h"
#include "win32/win32_rom_file.h"
#include "win32/win32_text.h"

namespace {

constexpr int kExitDriverUnavailable = 1;

int Run(HINSTANCE instance, int show_command) {
  std::wstring problem;
  const auto driver = trv::win32::QblinkLibrary::Load(trv::win32::kDriverLibraryName, &problem);
  if (driver == nullptr) {
    MessageBoxW(nullptr, problem.c_str(),
                trv::win32::WideFromUtf8(trv::texts::kApplicationTitle).c_str(),
                MB_OK | MB_ICONERROR);
    return kExitDriverUnavailable;
  }

  const trv::ui::ComApartment com;
  // The program-wide state lives here, for as long as the window does.
  const auto state = std::make_unique<trv::ProgrammerState>();
  trv::SystemClock clock;
  trv::win32::Win32RomFileSystem files;
  trv::ui::SystemWindowServices services;
  trv::ui::TForm1 form(*driver, clock, files, services, *state);
  if (!form.Create(instance, show_command)) {
    return trv::ui::kExitWindowUnavailable;
  }
  return trv::ui::RunMessageLoop([&](MSG* message) { return form.HandleDialogMessage(message); });
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show_command) {
  trv::ui::PrepareProcess();
  return trv::ui::StartGuarded(trv::texts::kApplicationTitle,
                               [&] { return Run(instance, show_command); });
}
