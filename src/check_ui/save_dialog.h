// The dialog that chooses where the check saves a chip's flash.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace trv::check_ui {

// Runs the save dialog for a ROM image over `owner`, starting in the process's current directory
// as the file-open dialog does: it lists ROM files, gives a name typed without an extension theirs,
// refuses a read-only file and asks before replacing a file. Returns the chosen file's full path,
// or nothing when the operator cancelled.
std::optional<std::wstring> ChooseRomFileToSave(HWND owner);

}  // namespace trv::check_ui
