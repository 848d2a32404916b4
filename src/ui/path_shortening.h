// Shortening a path that does not fit where it is shown. Portable, so the rule is tested natively;
// the window says what fits by measuring the text in its font.
#pragma once

#include <functional>
#include <string>

namespace trv::ui {

// The UTF-16 text of a path, as Windows holds it.
using PathText = std::u16string;

// `path` as it is shown where `fits` says whether a text fits: whole if it fits; otherwise with
// the fewest characters from the middle of its folders replaced by "…", its root (C:\ or
// \\server\) and its file name, with the separator before it, whole. A file name too long to fit
// even so keeps the root, an "…" for all its folders, and of itself its beginning and its
// extension, with the fewest characters before the extension replaced by "…". Cuts fall between
// user-perceived characters only (see character_boundaries.h). `fits` must not refuse a text for
// having fewer characters.
PathText ShortenedPath(const PathText& path, const std::function<bool(const PathText&)>& fits);

}  // namespace trv::ui
