// The simulated adapter's files as the scenarios see them: ROM images, flash and call log.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace e2e {

constexpr size_t kRomSize = 65536;

// A ROM image of `size` bytes that differs at every block and for every seed.
std::vector<unsigned char> RomImage(size_t size, std::uint32_t seed);

// The stand-in's log: one line per driver call ("QB_Close 0x1 -> 0") and per loader command the
// chip received ("chip write-address 0x0000"). The stand-in writes a run of identical lines once,
// then "... (repeated N more times)"; this gives the run back as N + 1 lines, so that lines can be
// counted and indexed as calls.
std::vector<std::string> ReadLogLines(const std::wstring& path);

size_t CountLines(const std::vector<std::string>& lines, const std::string& prefix,
                  size_t from = 0);
// Index of the last line starting with `prefix` at or after `from`, or npos.
size_t LastLine(const std::vector<std::string>& lines, const std::string& prefix, size_t from = 0);
// Whether the last driver call or chip command is a QB_Close.
bool EndsWithClose(const std::vector<std::string>& lines, size_t from = 0);
// The first driver call or chip command after the last QB_Close, or "" when there is none.
std::string ActivityAfterLastClose(const std::vector<std::string>& lines, size_t from = 0);

}  // namespace e2e
