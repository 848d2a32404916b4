#include "ui/path_shortening.h"

#include <algorithm>
#include <vector>

#include "ui/character_boundaries.h"

namespace trv::ui {
namespace {

// Stands for the characters left out: one narrow character, where three full stops could be
// taken for part of a real name ("v1...3").
constexpr char16_t kEllipsis = u'\u2026';
constexpr char16_t kPathSeparators[] = u"\\/";

// Where the path's root ends: after the drive (C:\) or the server (\\server\).
std::size_t RootEnd(const PathText& path) {
  const std::size_t separator =
      path.find_first_of(kPathSeparators, path.find_first_not_of(kPathSeparators));
  return separator == PathText::npos ? 0 : separator + 1;
}

// The character boundaries of `path` from `first` to `last`, both included.
std::vector<std::size_t> BoundariesWithin(const std::vector<std::size_t>& boundaries,
                                          std::size_t first, std::size_t last) {
  return std::vector<std::size_t>(std::lower_bound(boundaries.begin(), boundaries.end(), first),
                                  std::upper_bound(boundaries.begin(), boundaries.end(), last));
}

// The least count from 1 to `most` with which `fits_with` holds, where a greater count never needs
// more room; 0 where none does.
std::size_t Fewest(std::size_t most, const std::function<bool(std::size_t)>& fits_with) {
  if (most == 0 || !fits_with(most)) {
    return 0;
  }
  std::size_t least = 1;
  while (least < most) {
    const std::size_t count = least + (most - least) / 2;
    if (fits_with(count)) {
      most = count;
    } else {
      least = count + 1;
    }
  }
  return least;
}

}  // namespace

PathText ShortenedPath(const PathText& path, const std::function<bool(const PathText&)>& fits) {
  if (fits(path)) {
    return path;
  }
  const std::vector<std::size_t> boundaries = CharacterBoundaries(path);
  const std::size_t root_end = RootEnd(path);
  const std::size_t separator = path.find_last_of(kPathSeparators);
  const bool has_folders = separator != PathText::npos && separator > root_end;
  const std::size_t name_start = has_folders ? separator + 1 : root_end;

  // The fewest characters of the folders, from their middle, give way to the ellipsis.
  if (has_folders) {
    const std::vector<std::size_t> folders = BoundariesWithin(boundaries, root_end, separator);
    const std::size_t characters = folders.size() - 1;
    const auto without_middle = [&](std::size_t count) {
      const std::size_t first = (characters - count) / 2;
      return path.substr(0, folders[first]) + kEllipsis + path.substr(folders[first + count]);
    };
    const std::size_t count =
        Fewest(characters, [&](std::size_t n) { return fits(without_middle(n)); });
    if (count > 0) {
      return without_middle(count);
    }
  }
  // Where the file name is too long even so, the fewest characters at the end of its stem give way
  // too, and all of them where nothing fits.
  const PathText before_name =
      path.substr(0, root_end) + (has_folders ? PathText{kEllipsis, path[separator]} : PathText());
  const std::size_t dot = path.find_last_of(u'.');
  const bool has_extension = dot != PathText::npos && dot > name_start &&
                             std::binary_search(boundaries.begin(), boundaries.end(), dot);
  const std::size_t extension = has_extension ? dot : path.size();
  const std::vector<std::size_t> stem = BoundariesWithin(boundaries, name_start, extension);
  const std::size_t characters = stem.size() - 1;
  const auto without_end = [&](std::size_t count) {
    return before_name + path.substr(name_start, stem[characters - count] - name_start) +
           kEllipsis + path.substr(extension);
  };
  const std::size_t count = Fewest(characters, [&](std::size_t n) { return fits(without_end(n)); });
  return without_end(count > 0 ? count : characters);
}

}  // namespace trv::ui
