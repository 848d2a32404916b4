// Files for the tests, in a folder of their own under the temporary folder.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace ui_test {

class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  // The full path of `name` in the folder; `name` may lead through folders made with Folder.
  std::wstring Path(const std::wstring& name) const { return folder_ + L"\\" + name; }
  // Makes the folder `name` and returns its full path. Paths may exceed 260 characters.
  std::wstring Folder(const std::wstring& name);
  // Writes `bytes` to a new file `name` and returns its full path.
  std::wstring Write(const std::wstring& name, const std::vector<unsigned char>& bytes);

 private:
  std::wstring folder_;
  // Everything made here, removed in the reverse order.
  std::vector<std::wstring> made_;
};

// A 64 KiB image that differs from block to block.
std::vector<unsigned char> RomImage();

}  // namespace ui_test
