#include "ui/character_boundaries.h"

#include <algorithm>
#include <initializer_list>
#include <iterator>

namespace trv::ui {
namespace {

// The properties a code point has for the boundaries of characters: its Grapheme_Cluster_Break,
// or Extended_Pictographic for the emoji that can be joined.
enum Property : unsigned char {
  kOther,
  kCR,
  kLF,
  kControl,
  kExtend,
  kZWJ,
  kRegionalIndicator,
  kPrepend,
  kSpacingMark,
  kL,
  kV,
  kT,
  kLV,
  kLVT,
  kHangulSyllable,  // LV or LVT, told apart by the code point
  kExtendedPictographic,
};

struct PropertyRun {
  char32_t first : 24;
  char32_t property : 8;
};

// Generated from the Unicode Character Database by scripts/make-grapheme-table.sh.
constexpr PropertyRun kPropertyRuns[] = {
#include "ui/grapheme_break_table.inc"
};

// The Hangul syllables start here, each vowel followed by its 27 syllables with a final consonant:
// an LV syllable, then 27 LVT ones.
constexpr char32_t kFirstHangulSyllable = 0xAC00;
constexpr char32_t kHangulSyllablesPerVowel = 28;

Property PropertyOf(char32_t code) {
  const auto after =
      std::upper_bound(std::begin(kPropertyRuns), std::end(kPropertyRuns), code,
                       [](char32_t c, const PropertyRun& run) { return c < run.first; });
  const auto property = static_cast<Property>(std::prev(after)->property);
  if (property != kHangulSyllable) {
    return property;
  }
  return (code - kFirstHangulSyllable) % kHangulSyllablesPerVowel == 0 ? kLV : kLVT;
}

bool IsOneOf(Property property, std::initializer_list<Property> properties) {
  return std::find(properties.begin(), properties.end(), property) != properties.end();
}

// What a boundary between two code points depends on beyond their properties.
struct Before {
  Property property = kOther;
  // The code points before end in an emoji followed by Extend only, or by those and a ZWJ.
  bool emoji = false;
  bool emoji_zwj = false;
  // They end in an odd number of regional indicators, half a flag.
  bool odd_regional_indicators = false;
};

// The rules of UAX #29, numbered as there, for a boundary between `before` and `after`.
bool Breaks(const Before& before, Property after) {
  const Property last = before.property;
  if (last == kCR && after == kLF) return false;                                    // GB3
  if (IsOneOf(last, {kControl, kCR, kLF})) return true;                             // GB4
  if (IsOneOf(after, {kControl, kCR, kLF})) return true;                            // GB5
  if (last == kL && IsOneOf(after, {kL, kV, kLV, kLVT})) return false;              // GB6
  if (IsOneOf(last, {kLV, kV}) && IsOneOf(after, {kV, kT})) return false;           // GB7
  if (IsOneOf(last, {kLVT, kT}) && after == kT) return false;                       // GB8
  if (IsOneOf(after, {kExtend, kZWJ})) return false;                                // GB9
  if (after == kSpacingMark) return false;                                          // GB9a
  if (last == kPrepend) return false;                                               // GB9b
  if (before.emoji_zwj && after == kExtendedPictographic) return false;             // GB11
  if (before.odd_regional_indicators && after == kRegionalIndicator) return false;  // GB12, GB13
  return true;                                                                      // GB999
}

Before Following(const Before& before, Property next) {
  Before after;
  after.property = next;
  after.emoji = next == kExtendedPictographic || (before.emoji && next == kExtend);
  after.emoji_zwj = before.emoji && next == kZWJ;
  after.odd_regional_indicators = next == kRegionalIndicator && !before.odd_regional_indicators;
  return after;
}

bool IsHighSurrogate(char16_t unit) {
  return unit >= 0xD800 && unit <= 0xDBFF;
}

bool IsLowSurrogate(char16_t unit) {
  return unit >= 0xDC00 && unit <= 0xDFFF;
}

}  // namespace

std::vector<std::size_t> CharacterBoundaries(const std::u16string& text) {
  std::vector<std::size_t> boundaries;
  Before before;
  for (std::size_t at = 0; at < text.size();) {
    const bool pair =
        IsHighSurrogate(text[at]) && at + 1 < text.size() && IsLowSurrogate(text[at + 1]);
    const char32_t code =
        pair ? 0x10000 + ((char32_t{text[at]} - 0xD800) << 10) + (text[at + 1] - 0xDC00) : text[at];
    const Property property = PropertyOf(code);
    if (at == 0 || Breaks(before, property)) {  // GB1: a text starts with a character
      boundaries.push_back(at);
    }
    before = Following(before, property);
    at += pair ? 2 : 1;
  }
  boundaries.push_back(text.size());  // GB2
  return boundaries;
}

}  // namespace trv::ui
