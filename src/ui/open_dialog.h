// The file dialogs for ROM images: the file-open dialog, set up once and run on demand, and what
// it shares with the check's save dialog.
#pragma once

#include <commdlg.h>
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

// Runs `dialog`, the system's open or save dialog, over `owner` with `filter` and `flags`,
// starting in the process's current directory; a name typed without an extension is given
// `default_extension`, where there is one. Returns the confirmed file's full path, or nothing when
// the operator cancelled.
std::optional<std::wstring> RunFileDialog(BOOL(WINAPI* dialog)(OPENFILENAMEW*), HWND owner,
                                          const std::wstring& filter, DWORD flags,
                                          const wchar_t* default_extension = nullptr);

}  // namespace trv::ui
