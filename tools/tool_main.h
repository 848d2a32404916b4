// The start that the programs working TRV2KFlash.exe from outside share (the demo of `make run`,
// the guide's picture tool):
//   <tool> <exe folder> <ROM file> <output folder>
#pragma once

#include <string>

namespace trv::remote {

// A tool's work on the program's full path, the ROM file's and the output folder's; its exit code.
using ToolWork = int (*)(const std::wstring& exe_path, const std::wstring& rom_path,
                         const std::wstring& folder);

// Does `work` with the paths the command line names, printing with plain "\n" line ends (the
// output is read on the Unix side). A wrong command line gets the usage and 2; an exception out of
// `work` gets "<failure>: <what>", the screen as it was saved as error.bmp in the output folder,
// and 1.
int ToolMain(int argc, char** argv, const char* failure, ToolWork work);

}  // namespace trv::remote
