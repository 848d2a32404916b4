// The two passes over the ROM image: programming writes it block by block, verification reads
// every block back and compares it with the file. Each shows its own progress and failures through
// the window and returns whether it succeeded.
#pragma once

#include <string>

#include "common/shared_types.h"
#include "loader/loader_protocol.h"

namespace trv {

bool ProgramFlash(LoaderContext& context, AdapterHandle handle, const std::string& path);
bool VerifyFlash(LoaderContext& context, AdapterHandle handle, const std::string& path);

}  // namespace trv
