#include "check_ui/save_dialog.h"

#include <commdlg.h>

#include <vector>

#include "common/operator_texts.h"
#include "ui/open_dialog.h"
#include "win32/win32_text.h"

namespace trv::check_ui {
namespace {

constexpr DWORD kSaveDialogFlags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY |
                                   OFN_NOREADONLYRETURN | OFN_ENABLESIZING | OFN_EXPLORER;

}  // namespace

std::optional<std::wstring> ChooseRomFileToSave(HWND owner) {
  const std::wstring initial_directory = ui::CurrentDirectory();
  const std::wstring filter = ui::RomFileFilter();
  // The pattern "*.ROM" without its "*.".
  const std::wstring extension = win32::WideFromUtf8(texts::kRomFileFilterPattern).substr(2);
  std::vector<wchar_t> path(ui::kPathBufferChars, L'\0');
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof(dialog);
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = filter.c_str();
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = path.data();
  dialog.nMaxFile = ui::kPathBufferChars;
  dialog.lpstrInitialDir = initial_directory.empty() ? nullptr : initial_directory.c_str();
  dialog.lpstrDefExt = extension.c_str();
  dialog.Flags = kSaveDialogFlags;
  if (!GetSaveFileNameW(&dialog)) {
    return std::nullopt;
  }
  return std::wstring(path.data());
}

}  // namespace trv::check_ui
