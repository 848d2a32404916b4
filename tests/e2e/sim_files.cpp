#include "sim_files.h"

#include <algorithm>
#include <sstream>

#include "remote_operator/win_helpers.h"

namespace e2e {

using trv::remote::ReadWholeFile;

std::vector<unsigned char> RomImage(size_t size, std::uint32_t seed) {
  std::vector<unsigned char> image(size);
  std::uint32_t state = 0x9E3779B9u ^ seed;
  for (unsigned char& byte : image) {
    // xorshift32: every value occurs, including the protocol's 0x02, 0xFA and 0xFF
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    byte = static_cast<unsigned char>(state >> 24);
  }
  return image;
}

std::vector<std::string> ReadLogLines(const std::wstring& path) {
  std::vector<unsigned char> bytes;
  std::vector<std::string> lines;
  if (!ReadWholeFile(path, bytes)) {
    return lines;
  }
  std::istringstream text(std::string(bytes.begin(), bytes.end()));
  for (std::string line; std::getline(text, line);) {
    if (!line.empty() && line.back() == '\r') {
      line.pop_back();
    }
    lines.push_back(line);
  }
  return lines;
}

size_t CountLines(const std::vector<std::string>& lines, const std::string& prefix) {
  return size_t(std::count_if(lines.begin(), lines.end(), [&](const std::string& line) {
    return line.compare(0, prefix.size(), prefix) == 0;
  }));
}

size_t LastLine(const std::vector<std::string>& lines, const std::string& prefix) {
  size_t last = std::string::npos;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].compare(0, prefix.size(), prefix) == 0) {
      last = i;
    }
  }
  return last;
}

}  // namespace e2e
