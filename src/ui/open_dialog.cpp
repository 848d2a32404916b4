#include "ui/open_dialog.h"

#include <commdlg.h>

#include <vector>

#include "common/operator_texts.h"
#include "win32/win32_text.h"

namespace trv::ui {
namespace {

// No OFN_NOCHANGEDIR: the next dialog opens in the folder of the last file chosen.
constexpr DWORD kRomFileDialogFlags = OFN_HIDEREADONLY | OFN_ENABLESIZING | OFN_EXPLORER;

}  // namespace

std::wstring CurrentDirectory() {
  const DWORD needed = GetCurrentDirectoryW(0, nullptr);
  std::wstring directory(needed, L'\0');
  const DWORD length = GetCurrentDirectoryW(needed, directory.data());
  directory.resize(length < needed ? length : 0);
  return directory;
}

std::wstring RomFileFilter() {
  return win32::WideFromUtf8(texts::kRomFileFilterName) + L'\0' +
         win32::WideFromUtf8(texts::kRomFileFilterPattern) + L'\0';
}

FileOpenDialog FileOpenDialog::ForRomFiles() {
  return FileOpenDialog(RomFileFilter(), kRomFileDialogFlags);
}

std::optional<std::wstring> FileOpenDialog::Execute(HWND owner) const {
  const std::wstring initial_directory = CurrentDirectory();
  std::vector<wchar_t> path(kPathBufferChars, L'\0');
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof(dialog);
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = filter_.c_str();
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = path.data();
  dialog.nMaxFile = kPathBufferChars;
  dialog.lpstrInitialDir = initial_directory.empty() ? nullptr : initial_directory.c_str();
  dialog.Flags = flags_;
  if (!GetOpenFileNameW(&dialog)) {
    return std::nullopt;
  }
  return std::wstring(path.data());
}

}  // namespace trv::ui
