#include "check/run_time_model.h"

#include "adapter/adapter_link.h"
#include "common/shared_types.h"
#include "loader/loader_protocol.h"

namespace trv {
namespace {

constexpr std::uint64_t kCommandBytes = 4;    // command, address low and high byte, length
constexpr std::uint64_t kHandshakeBytes = 2;  // one probe and one confirmation, each echoed
constexpr std::uint64_t kLineChanges = 4;
constexpr std::uint64_t kBaudChanges = 2;
constexpr std::uint64_t kBlocks = kRomImageSize / kReadBlockLength;
static_assert(kRomImageSize / kWriteBlockLength == kBlocks, "both passes go over the same blocks");

struct WireTimes {
  std::uint64_t byte_ns;
  std::uint64_t reply_ns;  // one byte back, then readable
};

WireTimes AtProgrammingRate(std::uint64_t latency_us) {
  const std::uint64_t byte_ns = ByteTimeNs(kProgrammingBaud);
  return {byte_ns, byte_ns + latency_us * 1000};
}

// What every run and every read of the flash pays before and after its blocks.
std::uint64_t BringUpAndReturnNs(const WireTimes& wire) {
  const std::uint64_t handshake_ns = kHandshakeBytes * (wire.byte_ns + wire.reply_ns);
  const std::uint64_t pauses_ns =
      (kLineChanges * kLineSettleMs + kBaudChanges * kBaudChangeSettleMs) * 1'000'000;
  return handshake_ns + pauses_ns;
}

std::uint64_t VerifyBlockNs(const WireTimes& wire) {
  return kCommandBytes * wire.byte_ns + kReadBlockLength * wire.byte_ns + wire.reply_ns;
}

}  // namespace

double ProgrammingRunSeconds(std::uint64_t latency_us) {
  const WireTimes wire = AtProgrammingRate(latency_us);
  const std::uint64_t program_block_ns =
      (kCommandBytes + kWriteBlockLength) * wire.byte_ns + 2 * wire.reply_ns;
  const std::uint64_t total_ns =
      BringUpAndReturnNs(wire) + kBlocks * (program_block_ns + VerifyBlockNs(wire));
  return static_cast<double>(total_ns) / 1e9;
}

double FlashReadSeconds(std::uint64_t latency_us) {
  const WireTimes wire = AtProgrammingRate(latency_us);
  const std::uint64_t total_ns = BringUpAndReturnNs(wire) + kBlocks * VerifyBlockNs(wire);
  return static_cast<double>(total_ns) / 1e9;
}

}  // namespace trv
