#include "tool_main.h"

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <exception>

#include "remote_operator/screen_capture.h"
#include "remote_operator/win_helpers.h"

namespace trv::remote {

int ToolMain(int argc, char** argv, const char* failure, ToolWork work) {
  _setmode(_fileno(stdout), _O_BINARY);
  if (argc != 4) {
    std::printf("usage: %s <exe folder> <ROM file> <output folder>\n", argv[0]);
    return 2;
  }
  const std::wstring folder = FullPath(Widen(argv[3]));
  try {
    return work(JoinPath(FullPath(Widen(argv[1])), L"TRV2KFlash.exe"), FullPath(Widen(argv[2])),
                folder);
  } catch (const std::exception& error) {
    SaveScreenAsBmp(JoinPath(folder, L"error.bmp"));
    std::printf("%s: %s\n", failure, error.what());
    return 1;
  }
}

}  // namespace trv::remote
