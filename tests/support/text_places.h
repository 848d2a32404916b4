// The program's texts with places (%1, %2) that the program fills in, as regular expressions, so
// that a test can find a text in what the program shows or in the operator's guide.
#pragma once

#include <regex>
#include <string>

namespace trv::test {

// `text` as a regular expression that matches it with each of its places filled in as `place`
// matches.
inline std::string PlacesPattern(const std::string& text, const std::string& place) {
  static const std::regex special(R"([.^$|()\[\]{}*+?\\])");
  static const std::regex places("%[1-9]");
  return std::regex_replace(std::regex_replace(text, special, "\\$&"), places, place);
}

}  // namespace trv::test
