#include "sim/flash_file.h"

#include <cstdio>

namespace trv::sim {

Flash LoadFlashFile(const std::string& path) {
  Flash flash;
  flash.fill(0xFF);
  if (std::FILE* file = std::fopen(path.c_str(), "rb")) {
    std::fread(flash.data(), 1, flash.size(), file);
    std::fclose(file);
  }
  return flash;
}

bool SaveFlashFile(const std::string& path, const Flash& flash) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) {
    return false;
  }
  const bool written = std::fwrite(flash.data(), 1, flash.size(), file) == flash.size();
  return std::fclose(file) == 0 && written;
}

}  // namespace trv::sim
