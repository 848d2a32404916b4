#include "tool_main.h"

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <exception>

#include "remote_operator/screen_capture.h"
#include "remote_operator/win_helpers.h"

namespace trv::remote {

int ToolMain(int argc, char** argv, const std::vector<const char*>& names, const char* failure,
             const ToolWork& work) {
  _setmode(_fileno(stdout), _O_BINARY);
  if (argc != static_cast<int>(names.size()) + 1) {
    std::printf("usage: %s", argv[0]);
    for (const char* name : names)
      std::printf(" <%s>", name);
    std::printf("\n");
    return 2;
  }
  std::vector<std::wstring> paths;
  for (int i = 1; i < argc; ++i)
    paths.push_back(FullPath(Widen(argv[i])));
  try {
    return work(paths);
  } catch (const std::exception& error) {
    SaveScreenAsBmp(JoinPath(paths.back(), L"error.bmp"));
    std::printf("%s: %s\n", failure, error.what());
    return 1;
  }
}

}  // namespace trv::remote
