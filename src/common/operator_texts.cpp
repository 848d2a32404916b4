#include "common/operator_texts.h"

namespace trv::texts {

std::string FilledIn(const char* text, std::initializer_list<std::string> values) {
  std::string filled;
  for (const char* at = text; *at != '\0'; ++at) {
    const bool place = at[0] == '%' && at[1] >= '1' && at[1] <= '9' &&
                       static_cast<std::size_t>(at[1] - '1') < values.size();
    if (place) {
      filled += values.begin()[at[1] - '1'];
      ++at;
    } else {
      filled += *at;
    }
  }
  return filled;
}

}  // namespace trv::texts
