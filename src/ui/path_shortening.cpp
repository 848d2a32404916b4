#include "ui/path_shortening.h"

#include <vector>

namespace trv::ui {
namespace {

// Stands for the characters left out: one narrow character, where three full stops could be
// taken for part of a real name ("v1...3").
constexpr char16_t kEllipsis = u'\u2026';
constexpr char16_t kPathSeparators[] = u"\\/";

bool IsHighSurrogate(char16_t unit) {
  return unit >= 0xD800 && unit <= 0xDBFF;
}

bool IsLowSurrogate(char16_t unit) {
  return unit >= 0xDC00 && unit <= 0xDFFF;
}

// Marks drawn onto the character before them: the combining blocks of the Latin, Greek and
// Cyrillic scripts and of symbols, and the variation selectors that pick a character's look.
bool IsCombiningMark(char16_t unit) {
  struct Range {
    char16_t first;
    char16_t last;
  };
  constexpr Range kMarks[] = {{0x0300, 0x036F}, {0x0483, 0x0489}, {0x1AB0, 0x1AFF},
                              {0x1DC0, 0x1DFF}, {0x20D0, 0x20FF}, {0xFE00, 0xFE0F},
                              {0xFE20, 0xFE2F}};
  for (const Range& marks : kMarks) {
    if (unit >= marks.first && unit <= marks.last) {
      return true;
    }
  }
  return false;
}

// Whether a character starts at `at` (the end of the text counts as one).
bool StartsCharacter(const PathText& text, std::size_t at) {
  if (at == 0 || at >= text.size()) {
    return true;
  }
  return !(IsLowSurrogate(text[at]) && IsHighSurrogate(text[at - 1])) && !IsCombiningMark(text[at]);
}

// Where the path's root ends: after the drive (C:\) or the server (\\server\).
std::size_t RootEnd(const PathText& path) {
  const std::size_t separator =
      path.find_first_of(kPathSeparators, path.find_first_not_of(kPathSeparators));
  return separator == PathText::npos ? 0 : separator + 1;
}

}  // namespace

PathText ShortenedPath(const PathText& path, const std::function<bool(const PathText&)>& fits) {
  const std::size_t root_end = RootEnd(path);
  const std::size_t name_separator = path.find_last_of(kPathSeparators);
  if (fits(path) || name_separator == PathText::npos || name_separator <= root_end) {
    return path;
  }
  // Where each character of the folders starts, and last where the file name's separator does.
  std::vector<std::size_t> starts;
  for (std::size_t at = root_end; at <= name_separator; ++at) {
    if (at == root_end || StartsCharacter(path, at)) {
      starts.push_back(at);
    }
  }
  const std::size_t characters = starts.size() - 1;
  const auto without_middle = [&](std::size_t count) {
    const std::size_t first = (characters - count) / 2;
    return path.substr(0, starts[first]) + kEllipsis + path.substr(starts[first + count]);
  };
  // The text needs no more room as more characters are left out, so the fewest are found by
  // halving.
  std::size_t fewest = 1;
  std::size_t most = characters;
  while (fewest < most) {
    const std::size_t count = fewest + (most - fewest) / 2;
    if (fits(without_middle(count))) {
      most = count;
    } else {
      fewest = count + 1;
    }
  }
  return without_middle(fewest);
}

}  // namespace trv::ui
