// The check's start: binds the driver library as the programmer does, and opens the window even
// where the library cannot be used, whose report then says why.
#include <windows.h>

#include <memory>
#include <string>

#include "check/check_texts.h"
#include "check_ui/check_window.h"
#include "common/system_clock.h"
#include "trv_version.h"
#include "ui/program_start.h"
#include "win32/library_search.h"
#include "win32/qblink_library.h"
#include "win32/version_facts.h"
#include "win32/win32_rom_file.h"
#include "win32/win32_text.h"

namespace {

using trv::win32::kDriverLibraryName;

int Run(HINSTANCE instance, int show_command) {
  std::wstring problem;
  const auto driver = trv::win32::QblinkLibrary::Load(kDriverLibraryName, &problem);
  // The file the library was loaded from, or the file of its name that failed to load: it comes
  // only from the program's folder, else the system's, in that order.
  const std::wstring found = trv::win32::FoundInProgramOrSystemFolder(kDriverLibraryName);
  const trv::DriverLibrary library{driver.get(), trv::win32::Utf8FromWide(found),
                                   trv::win32::FileVersion(found),
                                   trv::win32::Utf8FromWide(problem)};
  const trv::ReportHeader bench{TRV_VERSION_TEXT, trv::win32::WindowsVersion(), library.path,
                                library.file_version, std::string()};

  const trv::ui::ComApartment com;
  // The program-wide state lives here, for as long as the window does.
  const auto state = std::make_unique<trv::ProgrammerState>();
  trv::SystemClock clock;
  trv::win32::Win32RomFileSystem files;
  trv::ui::SystemWindowServices services;
  trv::check_ui::CheckWindow window(library, clock, files, services, *state, bench);
  if (!window.Create(instance, show_command)) {
    return trv::ui::kExitWindowUnavailable;
  }
  return trv::ui::RunMessageLoop([&](MSG* message) { return window.HandleDialogMessage(message); });
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show_command) {
  trv::ui::PrepareProcess();
  return trv::ui::StartGuarded(trv::check_texts::kCheckTitle,
                               [&] { return Run(instance, show_command); });
}
