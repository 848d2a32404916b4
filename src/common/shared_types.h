// Types and protocol constants shared by every layer of the programmer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace trv {

// The driver's 32-bit status; 0 is success.
using StatusResult = std::uint32_t;
// Opaque value the driver hands out when an adapter is opened (pointer-sized at the library ABI).
using AdapterHandle = std::uintptr_t;

constexpr StatusResult kStatusOk = 0;
// The driver is still building its adapter list; the enumeration is asked again at once.
constexpr StatusResult kStatusListNotReady = 19;
// Our own send's status when the adapter took fewer bytes than were pending.
constexpr StatusResult kStatusShortWrite = 10;

constexpr std::uint32_t kRomImageSize = 65536;       // bytes in a ROM image and in the flash
constexpr std::uint32_t kWriteBlockLength = 128;     // bytes per programming block
constexpr std::uint32_t kReadBlockLength = 128;      // bytes per verification block
constexpr std::uint32_t kLinkBufferSize = 65536;     // bytes in each of the two link buffers
constexpr std::uint32_t kLoaderBaud = 115200;        // rate the loader starts at, bits per second
constexpr std::uint32_t kProgrammingBaud = 1000000;  // rate of the two passes, bits per second

// Ten bit times (start bit, 8 data bits, stop bit) at `rate` bits per second, in nanoseconds,
// rounded up: how long a byte takes on the wire.
std::uint64_t ByteTimeNs(std::uint32_t rate);

constexpr std::uint8_t kAckByte = 0x02;
constexpr std::uint8_t kSyncProbeByte = 0xFF;
constexpr std::uint8_t kSyncConfirmByte = 0xFA;

// One adapter's entry in the driver's list. Only the description is read.
struct AdapterInfoRecord {
  static constexpr std::size_t kSize = 100;
  static constexpr std::size_t kDescriptionOffset = 32;
  static constexpr std::size_t kDescriptionMaxLength = 64;
  std::uint8_t bytes[kSize];
};
static_assert(sizeof(AdapterInfoRecord) == AdapterInfoRecord::kSize, "record layout");

// The description text: up to 64 single-byte characters, cut at the first zero byte.
std::string DescriptionOf(const AdapterInfoRecord& record);

// The program-wide adapter state: the handle of the open adapter and whether it is open.
struct AdapterSession {
  AdapterHandle handle = 0;
  bool open = false;
  // Set while an operation will itself return the chip to normal operation and close the adapter:
  // a run after its passes, or the adapter and chip check for as long as it holds the adapter. A
  // close of the window then leaves the adapter to it, which closes it once the chip has been
  // restarted.
  bool returning_to_normal = false;
};

}  // namespace trv
