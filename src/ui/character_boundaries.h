// Where the characters of a text start, as its reader counts them. Portable, so the rule is
// tested natively.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace trv::ui {

// Where each user-perceived character of the UTF-16 `text` starts, in increasing order, followed
// by the text's end: the boundaries of Unicode's extended grapheme clusters (UAX #29), so that a
// letter keeps its marks, a surrogate pair stays whole, and an emoji keeps its skin tone and the
// emoji joined to it.
std::vector<std::size_t> CharacterBoundaries(const std::u16string& text);

}  // namespace trv::ui
