#include "ui/open_dialog.h"

#include <vector>

#include "common/operator_texts.h"
#include "win32/win32_text.h"

namespace trv::ui {
namespace {

// No OFN_NOCHANGEDIR: the next dialog opens in the folder of the last file chosen.
constexpr DWORD kRomFileDialogFlags = OFN_HIDEREADONLY | OFN_ENABLESIZING | OFN_EXPLORER;
// Room for the longest path the system can hand back, so no choice is refused as too long.
constexpr DWORD kPathBufferChars = 32768;

// The process's current directory, where the file dialogs start; empty where it cannot be read.
std::wstring CurrentDirectory() {
  const DWORD needed = GetCurrentDirectoryW(0, nullptr);
  std::wstring directory(needed, L'\0');
  const DWORD length = GetCurrentDirectoryW(needed, directory.data());
  directory.resize(length < needed ? length : 0);
  return directory;
}

}  // namespace

std::wstring RomFileFilter() {
  return win32::WideFromUtf8(texts::kRomFileFilterName) + L'\0' +
         win32::WideFromUtf8(texts::kRomFileFilterPattern) + L'\0';
}

FileOpenDialog FileOpenDialog::ForRomFiles() {
  return FileOpenDialog(RomFileFilter(), kRomFileDialogFlags);
}

std::optional<std::wstring> FileOpenDialog::Execute(HWND owner) const {
  return RunFileDialog(&GetOpenFileNameW, owner, filter_, flags_);
}

std::optional<std::wstring> RunFileDialog(BOOL(WINAPI* dialog)(OPENFILENAMEW*), HWND owner,
                                          const std::wstring& filter, DWORD flags,
                                          const wchar_t* default_extension) {
  const std::wstring initial_directory = CurrentDirectory();
  std::vector<wchar_t> path(kPathBufferChars, L'\0');
  OPENFILENAMEW settings{};
  settings.lStructSize = sizeof(settings);
  settings.hwndOwner = owner;
  settings.lpstrFilter = filter.c_str();
  settings.nFilterIndex = 1;
  settings.lpstrFile = path.data();
  settings.nMaxFile = kPathBufferChars;
  settings.lpstrInitialDir = initial_directory.empty() ? nullptr : initial_directory.c_str();
  settings.lpstrDefExt = default_extension;
  settings.Flags = flags;
  if (!dialog(&settings)) {
    return std::nullopt;
  }
  return std::wstring(path.data());
}

}  // namespace trv::ui
