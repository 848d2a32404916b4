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

  std::wstring Path(const std::wstring& name) const { return folder_ + L"\\" + name; }
  // Writes `bytes` to a new file `name` and returns its full path.
  std::wstring Write(const std::wstring& name, const std::vector<unsigned char>& bytes);

 private:
  std::wstring folder_;
  std::vector<std::wstring> files_;
};

}  // namespace ui_test
