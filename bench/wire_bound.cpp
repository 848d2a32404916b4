#include "bench/wire_bound.h"

#include "adapter/adapter_link.h"
#include "common/shared_types.h"
#include "loader/loader_protocol.h"
#include "sim/serial_wire.h"

namespace trv::bench {
namespace {

constexpr std::uint64_t kCommandBytes = 4;    // command, address low and high byte, length
constexpr std::uint64_t kHandshakeBytes = 2;  // one probe and one confirmation, each echoed
constexpr std::uint64_t kLineChanges = 4;
constexpr std::uint64_t kBaudChanges = 2;

}  // namespace

double WireBoundSeconds(std::uint64_t latency_us) {
  const std::uint64_t byte_ns = sim::ByteTimeNs(kProgrammingBaud);
  const std::uint64_t reply_ns = byte_ns + latency_us * 1000;  // one byte back, then readable
  const std::uint64_t handshake_ns = kHandshakeBytes * (byte_ns + reply_ns);
  const std::uint64_t program_block_ns =
      (kCommandBytes + kWriteBlockLength) * byte_ns + 2 * reply_ns;
  const std::uint64_t verify_block_ns =
      kCommandBytes * byte_ns + kReadBlockLength * byte_ns + reply_ns;
  const std::uint64_t pauses_ns =
      (kLineChanges * kLineSettleMs + kBaudChanges * kBaudChangeSettleMs) * 1000000;
  const std::uint64_t total_ns = handshake_ns +
                                 kRomImageSize / kWriteBlockLength * program_block_ns +
                                 kRomImageSize / kReadBlockLength * verify_block_ns + pauses_ns;
  return static_cast<double>(total_ns) / 1e9;
}

}  // namespace trv::bench
