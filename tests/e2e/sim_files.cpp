#include "sim_files.h"

#include <sstream>

#include "remote_operator/win_helpers.h"
#include "sim/sim_log.h"

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

namespace {

// The count of a "... (repeated N more times)" line, or 0 for any other line.
size_t RepeatCount(const std::string& line) {
  using trv::sim::kRepeatLinePrefix;
  using trv::sim::kRepeatLineSuffix;
  const size_t prefix = sizeof kRepeatLinePrefix - 1;
  const size_t suffix = sizeof kRepeatLineSuffix - 1;
  if (line.size() <= prefix + suffix || line.compare(0, prefix, kRepeatLinePrefix) != 0 ||
      line.compare(line.size() - suffix, suffix, kRepeatLineSuffix) != 0) {
    return 0;
  }
  const std::string digits = line.substr(prefix, line.size() - prefix - suffix);
  if (digits.size() > 9 || digits.find_first_not_of("0123456789") != std::string::npos) {
    return 0;
  }
  return size_t(std::stoul(digits));
}

}  // namespace

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
    const size_t repeats = RepeatCount(line);
    if (repeats > 0 && !lines.empty()) {
      lines.insert(lines.end(), repeats, std::string(lines.back()));
    } else {
      lines.push_back(line);
    }
  }
  return lines;
}

size_t CountLines(const std::vector<std::string>& lines, const std::string& prefix, size_t from) {
  size_t count = 0;
  for (size_t i = from; i < lines.size(); ++i) {
    count += lines[i].compare(0, prefix.size(), prefix) == 0;
  }
  return count;
}

size_t LastLine(const std::vector<std::string>& lines, const std::string& prefix, size_t from) {
  size_t last = std::string::npos;
  for (size_t i = from; i < lines.size(); ++i) {
    if (lines[i].compare(0, prefix.size(), prefix) == 0) {
      last = i;
    }
  }
  return last;
}

namespace {

bool IsActivity(const std::string& line) {
  return line.compare(0, 3, "QB_") == 0 || line.compare(0, 5, "chip ") == 0;
}

}  // namespace

bool EndsWithClose(const std::vector<std::string>& lines, size_t from) {
  for (size_t i = lines.size(); i > from; --i) {
    if (IsActivity(lines[i - 1])) {
      return lines[i - 1].compare(0, 9, "QB_Close ") == 0;
    }
  }
  return false;
}

std::string ActivityAfterLastClose(const std::vector<std::string>& lines, size_t from) {
  const size_t close = LastLine(lines, "QB_Close ", from);
  for (size_t i = close == std::string::npos ? lines.size() : close + 1; i < lines.size(); ++i) {
    if (IsActivity(lines[i])) {
      return lines[i];
    }
  }
  return "";
}

}  // namespace e2e
