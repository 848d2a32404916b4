// The two passes over the ROM image: programming writes it block by block, verification reads
// every block back and compares it with the file. Each shows its own progress and failures through
// the window and returns whether it succeeded.
#pragma once

#include <string>

#include "common/rom_file.h"
#include "common/shared_types.h"
#include "common/window_operations.h"
#include "loader/loader_protocol.h"

namespace trv {

// What the passes work with: the conversation with the loader, the window they show their
// progress and failures in, and the ROM file system they read the image from.
struct PassContext {
  LoaderContext& loader;
  WindowOperations& window;
  RomFileSystem& files;
};

bool ProgramFlash(PassContext& context, AdapterHandle handle, const std::string& path);
bool VerifyFlash(PassContext& context, AdapterHandle handle, const std::string& path);

}  // namespace trv
