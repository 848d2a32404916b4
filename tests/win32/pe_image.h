// Just enough of a PE32 reader to check how the Windows program was linked: its header flags,
// the functions it imports, its embedded manifest and its sections.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace trv::test {

struct PeImage {
  std::uint16_t machine = 0;
  std::uint16_t optional_magic = 0;  // 0x10B for PE32
  std::uint16_t subsystem = 0;
  std::uint16_t dll_characteristics = 0;
  // Every imported function as "dll!name", or "dll!#ordinal" for one imported by number, with the
  // DLL's name in lower case, in the order of the import table.
  std::vector<std::string> imported_functions;
  std::string manifest;  // the RT_MANIFEST resource's text, empty when there is none
  // Every section's name, names longer than 8 characters taken from the COFF string table.
  std::vector<std::string> section_names;
};

// Reads the file at `path`; nullopt if it is missing or not a well-formed PE32 image.
std::optional<PeImage> ReadPeImage(const std::string& path);

}  // namespace trv::test
