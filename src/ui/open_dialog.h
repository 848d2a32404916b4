// The file dialogs: the file-open dialog, set up once and run on demand, and the dialog that
// chooses where the check saves a chip's flash.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <utility>

namespace trv::ui {

class FileOpenDialog {
 public:
  // `filter` is the dialog's list of pairs: shown text, zero, pattern, zero, ..., ending in a
  // second zero.
  FileOpenDialog(std::wstring filter, DWORD flags) : filter_(std::move(filter)), flags_(flags) {}
  // The dialog that chooses a ROM image.
  static FileOpenDialog ForRomFiles();

  // Runs the dialog over `owner`, starting in the process's current directory. Returns the
  // confirmed file's full path, or nothing when the operator cancelled.
  std::optional<std::wstring> Execute(HWND owner) const;

 private:
  std::wstring filter_;
  DWORD flags_;
};

// Runs the save dialog for a ROM image over `owner`, starting in the process's current directory:
// it lists ROM files, gives a name typed without an extension theirs, and asks before replacing a
// file. Returns the chosen file's full path, or nothing when the operator cancelled.
std::optional<std::wstring> ChooseRomFileToSave(HWND owner);

}  // namespace trv::ui
