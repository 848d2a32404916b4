// The file-open dialog, set up once and run on demand, and what the file dialogs share.
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

// The file dialogs' one filter, for ROM files: the name shown and the pattern, each ended by a
// zero, and a zero after the last.
std::wstring RomFileFilter();
// The process's current directory, where the file dialogs start; empty where it cannot be read.
std::wstring CurrentDirectory();

// Room for the longest path the system can hand back, so no choice is refused as too long.
constexpr DWORD kPathBufferChars = 32768;

}  // namespace trv::ui
