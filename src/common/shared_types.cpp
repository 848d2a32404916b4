#include "common/shared_types.h"

#include <algorithm>
#include <cstring>

namespace trv {

std::uint64_t ByteTimeNs(std::uint32_t rate) {
  constexpr std::uint64_t kBitsPerByte = 10;
  constexpr std::uint64_t kNsPerSecond = 1'000'000'000;
  rate = std::max<std::uint32_t>(rate, 1);  // an adapter refuses 0; never divide by it
  return (kBitsPerByte * kNsPerSecond + rate - 1) / rate;
}

std::string DescriptionOf(const AdapterInfoRecord& record) {
  const auto* text =
      reinterpret_cast<const char*>(record.bytes + AdapterInfoRecord::kDescriptionOffset);
  const void* end = std::memchr(text, 0, AdapterInfoRecord::kDescriptionMaxLength);
  const std::size_t length =
      end ? static_cast<const char*>(end) - text : AdapterInfoRecord::kDescriptionMaxLength;
  return std::string(text, length);
}

}  // namespace trv
