#include "check_ui/save_dialog.h"

#include "common/operator_texts.h"
#include "ui/open_dialog.h"
#include "win32/win32_text.h"

namespace trv::check_ui {
namespace {

constexpr DWORD kSaveDialogFlags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY |
                                   OFN_NOREADONLYRETURN | OFN_ENABLESIZING | OFN_EXPLORER;

}  // namespace

std::optional<std::wstring> ChooseRomFileToSave(HWND owner) {
  // The pattern "*.ROM" without its "*.".
  const std::wstring extension = win32::WideFromUtf8(texts::kRomFileFilterPattern).substr(2);
  return ui::RunFileDialog(&GetSaveFileNameW, owner, ui::RomFileFilter(), kSaveDialogFlags,
                           extension.c_str());
}

}  // namespace trv::check_ui
