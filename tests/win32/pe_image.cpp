#include "pe_image.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

namespace trv::test {
namespace {

constexpr std::uint32_t kImportDirectory = 1;
constexpr std::uint32_t kResourceDirectory = 2;
constexpr std::uint32_t kManifestResourceType = 24;

class Reader {
 public:
  explicit Reader(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}

  bool Has(std::size_t offset, std::size_t size) const {
    return offset <= bytes_.size() && size <= bytes_.size() - offset;
  }
  std::uint16_t U16(std::size_t offset) const {
    return Has(offset, 2) ? static_cast<std::uint16_t>(bytes_[offset] | bytes_[offset + 1] << 8)
                          : 0;
  }
  std::uint32_t U32(std::size_t offset) const {
    return static_cast<std::uint32_t>(U16(offset)) | static_cast<std::uint32_t>(U16(offset + 2))
                                                         << 16;
  }
  std::string Text(std::size_t offset, std::size_t max) const {
    std::string text;
    while (Has(offset, 1) && bytes_[offset] != 0 && text.size() < max)
      text += static_cast<char>(bytes_[offset++]);
    return text;
  }

  struct Section {
    std::uint32_t virtual_address, virtual_size, raw_offset, raw_size;
  };
  std::vector<Section> sections;

  // File offset of a relative virtual address, or 0 when no section holds it.
  std::size_t Offset(std::uint32_t rva) const {
    for (const Section& s : sections) {
      const std::uint32_t size = std::max(s.virtual_size, s.raw_size);
      if (rva >= s.virtual_address && rva - s.virtual_address < size) {
        return s.raw_offset + (rva - s.virtual_address);
      }
    }
    return 0;
  }

 private:
  std::vector<std::uint8_t> bytes_;
};

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

// The functions of one DLL: its lookup table holds 32-bit entries, an ordinal when the top bit is
// set and otherwise the address of a 2-byte hint followed by the name; a zero entry ends it.
void AddImportedFunctions(const Reader& pe, const std::string& dll, std::uint32_t lookup_rva,
                          std::vector<std::string>* functions) {
  std::size_t entry = pe.Offset(lookup_rva);
  for (int count = 0; entry != 0 && pe.Has(entry, 4) && pe.U32(entry) != 0 && count < 4096;
       entry += 4, ++count) {
    const std::uint32_t value = pe.U32(entry);
    std::string name = "?";
    if (value & 0x80000000u) {
      name = "#" + std::to_string(value & 0xFFFFu);
    } else if (const std::size_t hint = pe.Offset(value); hint != 0) {
      name = pe.Text(hint + 2, 256);
    }
    functions->push_back(Lower(dll) + "!" + name);
  }
}

void ReadImports(const Reader& pe, std::uint32_t directory_rva, PeImage* image) {
  std::size_t entry = pe.Offset(directory_rva);
  // Each 20-byte descriptor names one DLL; a zeroed one ends the table.
  for (int dlls = 0; entry != 0 && pe.Has(entry, 20) && pe.U32(entry + 12) != 0 && dlls < 64;
       entry += 20, ++dlls) {
    const std::string dll = pe.Text(pe.Offset(pe.U32(entry + 12)), 260);
    // The lookup table, or where a linker left it out, the address table it fills at load time.
    const std::uint32_t lookup = pe.U32(entry) != 0 ? pe.U32(entry) : pe.U32(entry + 16);
    AddImportedFunctions(pe, dll, lookup, &image->imported_functions);
  }
}

// The first entry of a resource directory whose id is `id` (any id when `id` is 0): the offset
// of what it points to, relative to the resource section, with the directory flag.
std::optional<std::uint32_t> ResourceEntry(const Reader& pe, std::size_t dir, std::uint32_t id) {
  const std::uint32_t count = pe.U16(dir + 12) + pe.U16(dir + 14);
  for (std::uint32_t i = 0; i < count && i < 256; ++i) {
    const std::size_t entry = dir + 16 + i * 8;
    if (id == 0 || pe.U32(entry) == id) return pe.U32(entry + 4);
  }
  return std::nullopt;
}

std::string Manifest(const Reader& pe, std::uint32_t directory_rva) {
  const std::size_t root = pe.Offset(directory_rva);
  if (root == 0) return {};
  std::size_t dir = root;
  // Type, then name, then language: the first two levels point at further directories.
  for (std::uint32_t id : {kManifestResourceType, 0u, 0u}) {
    const auto next = ResourceEntry(pe, dir, id);
    if (!next) return {};
    const bool is_directory = (*next & 0x80000000u) != 0;
    dir = root + (*next & 0x7FFFFFFFu);
    if (!is_directory) {
      const std::size_t data = pe.Offset(pe.U32(dir));
      const std::uint32_t size = pe.U32(dir + 4);
      if (data == 0 || !pe.Has(data, size)) return {};
      return pe.Text(data, size);
    }
  }
  return {};
}

// A section header's name: up to 8 characters in place, or "/" and the decimal offset of a
// longer one in the string table that follows the COFF symbols.
std::string SectionName(const Reader& pe, std::size_t header, std::size_t string_table) {
  const std::string name = pe.Text(header, 8);
  if (name.size() < 2 || name[0] != '/') return name;
  return pe.Text(string_table + std::strtoul(name.c_str() + 1, nullptr, 10), 256);
}

}  // namespace

std::optional<PeImage> ReadPeImage(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return std::nullopt;
  Reader pe(std::vector<std::uint8_t>(std::istreambuf_iterator<char>(file), {}));
  const std::size_t header = pe.U32(0x3C);
  if (pe.U16(0) != 0x5A4D || pe.U32(header) != 0x00004550) return std::nullopt;

  PeImage image;
  const std::size_t coff = header + 4;
  image.machine = pe.U16(coff);
  const std::uint16_t section_count = pe.U16(coff + 2);
  const std::size_t optional = coff + 20;
  const std::uint16_t optional_size = pe.U16(coff + 16);
  image.optional_magic = pe.U16(optional);
  if (image.optional_magic != 0x10B) return std::nullopt;
  image.subsystem = pe.U16(optional + 68);
  image.dll_characteristics = pe.U16(optional + 70);
  const std::size_t directories = optional + 96;

  const std::size_t string_table = pe.U32(coff + 8) + std::size_t{pe.U32(coff + 12)} * 18;
  for (std::size_t s = optional + optional_size, i = 0; i < section_count; ++i, s += 40) {
    pe.sections.push_back({pe.U32(s + 12), pe.U32(s + 8), pe.U32(s + 20), pe.U32(s + 16)});
    image.section_names.push_back(SectionName(pe, s, string_table));
  }
  ReadImports(pe, pe.U32(directories + kImportDirectory * 8), &image);
  image.manifest = Manifest(pe, pe.U32(directories + kResourceDirectory * 8));
  return image;
}

}  // namespace trv::test
