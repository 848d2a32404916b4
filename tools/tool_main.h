// The start that the programs working TRV2KFlash.exe or TRV2KCheck.exe from outside share (the
// demos of `make run` and `make run-check`, the guide's picture tool):
//   <tool> <path>... <output folder>
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace trv::remote {

// A tool's work on the paths its command line names, each made full, the output folder last; its
// exit code.
using ToolWork = std::function<int(const std::vector<std::wstring>& paths)>;

// Does `work` with the paths the command line names, one for each of `names`, printing with plain
// "\n" line ends (the output is read on the Unix side). A command line without them gets the usage
// and 2; an exception out of `work` gets "<failure>: <what>", the screen as it was saved as
// error.bmp in the output folder, and 1.
int ToolMain(int argc, char** argv, const std::vector<const char*>& names, const char* failure,
             const ToolWork& work);

}  // namespace trv::remote
