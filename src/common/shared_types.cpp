#include "common/shared_types.h"

#include <cstring>

namespace trv {

std::string DescriptionOf(const AdapterInfoRecord& record) {
  const auto* text =
      reinterpret_cast<const char*>(record.bytes + AdapterInfoRecord::kDescriptionOffset);
  const void* end = std::memchr(text, 0, AdapterInfoRecord::kDescriptionMaxLength);
  const std::size_t length =
      end ? static_cast<const char*>(end) - text : AdapterInfoRecord::kDescriptionMaxLength;
  return std::string(text, length);
}

}  // namespace trv
