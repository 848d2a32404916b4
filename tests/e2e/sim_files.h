// The simulated adapter's files as the scenarios see them: ROM images and the stand-in's log.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace e2e {

constexpr size_t kRomSize = 65536;

// A ROM image of `size` bytes that differs at every block and for every seed.
std::vector<unsigned char> RomImage(size_t size, std::uint32_t seed);

// The stand-in's log, line by line: one line per driver call ("QB_Close 0x1 -> 0"), per loader
// command the chip received ("chip write-address 0x0000") and per note of the stand-in's own
// ("QBSIM Windows 6.1 build 7601"). A run of identical lines is written once and then counted, so
// the lines show which calls were made, not how often.
std::vector<std::string> ReadLogLines(const std::wstring& path);

size_t CountLines(const std::vector<std::string>& lines, const std::string& prefix);
// Index of the last line starting with `prefix`, or npos.
size_t LastLine(const std::vector<std::string>& lines, const std::string& prefix);

}  // namespace e2e
