#include "ui/open_dialog.h"

#include <commdlg.h>

#include <vector>

#include "common/operator_texts.h"
#include "win32/win32_text.h"

namespace trv::ui {
namespace {

// No OFN_NOCHANGEDIR: the next dialog opens in the folder of the last file chosen.
constexpr DWORD kRomFileDialogFlags = OFN_HIDEREADONLY | OFN_ENABLESIZING | OFN_EXPLORER;

// Room for the longest path the system can hand back, so no choice is refused as too long.
constexpr DWORD kPathBufferChars = 32768;

// A name typed without an extension takes the ROM files' own, which the filter lists.
constexpr DWORD kSaveDialogFlags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY |
                                   OFN_NOREADONLYRETURN | OFN_ENABLESIZING | OFN_EXPLORER;

std::wstring CurrentDirectory() {
  const DWORD needed = GetCurrentDirectoryW(0, nullptr);
  std::wstring directory(needed, L'\0');
  const DWORD length = GetCurrentDirectoryW(needed, directory.data());
  directory.resize(length < needed ? length : 0);
  return directory;
}

// The filter: name and pattern, each ended by a zero, and a zero after the last.
std::wstring RomFileFilter() {
  return win32::WideFromUtf8(texts::kRomFileFilterName) + L'\0' +
         win32::WideFromUtf8(texts::kRomFileFilterPattern) + L'\0';
}

}  // namespace

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

std::optional<std::wstring> ChooseRomFileToSave(HWND owner) {
  const std::wstring initial_directory = CurrentDirectory();
  const std::wstring filter = RomFileFilter();
  // The pattern "*.ROM" without its "*.".
  const std::wstring extension = win32::WideFromUtf8(texts::kRomFileFilterPattern).substr(2);
  std::vector<wchar_t> path(kPathBufferChars, L'\0');
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof(dialog);
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = filter.c_str();
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = path.data();
  dialog.nMaxFile = kPathBufferChars;
  dialog.lpstrInitialDir = initial_directory.empty() ? nullptr : initial_directory.c_str();
  dialog.lpstrDefExt = extension.c_str();
  dialog.Flags = kSaveDialogFlags;
  if (!GetSaveFileNameW(&dialog)) {
    return std::nullopt;
  }
  return std::wstring(path.data());
}

}  // namespace trv::ui
