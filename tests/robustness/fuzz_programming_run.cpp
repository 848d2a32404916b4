// libFuzzer entry: the input decides either one adapter enumeration, or one whole programming run
// (what the adapter, the chip, the ROM file and the window do, and what the flash held before),
// after which a fault-free run on the same program state must succeed. Any broken property
// aborts, so the fuzzer keeps the input.
//
// Input layout. Byte 0 below 0x20: the rest decides the enumeration's driver. Otherwise:
//   1      adapter latency in units of 100 us
//   2      what the flash holds before the run (erased, the image, other bytes, nearly the image)
//   3      window close: 0x80-0xBF at a fraction of the run's pumps, 0xC0-0xFF while message box
//          (byte & 7) + 1 is up; 0x40-0x7F: instead the window held at that fraction for
//          (byte & 0x3F) + 1 half seconds; 0x20-0x3F: instead every 1st, 2nd, 10th or 3rd pump
//          (bits 2-3) slow by 50, 60, 200 or 20 ms (bits 0-1); anything else none of these
//   4-5    that fraction, in 65,536ths (also picks the flash's other bytes)
//   6      number of ROM file events (0-3), each five bytes: the pump fraction (two bytes), the
//          action (bits 0-1: truncate, grow, rewrite, truncate; bit 2 cuts to a multiple of 128
//          bytes) and its amount (two bytes)
//   rest   the driver's sparse events (see fuzzed_driver.h)
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "checked_run.h"
#include "device_listing.h"
#include "fuzzed_driver.h"

namespace {

using trv::robustness::FileAction;
using trv::robustness::FileEvent;
using trv::robustness::FlashSeed;

constexpr std::uint8_t kListingModeBelow = 0x20;

std::unique_ptr<trv::robustness::Rig> rig;

int Fail(const std::vector<std::string>& broken) {
  for (const std::string& what : broken)
    std::fprintf(stderr, "broken: %s\n", what.c_str());
  if (!broken.empty()) std::abort();
  return 0;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  rig = std::make_unique<trv::robustness::Rig>();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  trv::robustness::ByteCursor in(data, size);
  if (in.Byte() < kListingModeBelow)
    return Fail(trv::robustness::CheckedListing(in.rest(), in.rest_size()));

  trv::robustness::RunScript script;
  script.latency_us = in.Byte() * 100u;
  const std::uint8_t seed = in.Byte();
  const std::uint8_t close = in.Byte();
  const std::uint16_t fraction = in.Fraction();
  if (close >= 0xC0) {
    script.close_in_box = (close & 7) + 1u;
  } else if (close >= 0x80) {
    script.close_at_pump = rig->PumpAt(script.latency_us, fraction);
  } else if (close >= 0x40) {
    script.hold_at_pump = rig->PumpAt(script.latency_us, fraction);
    script.hold_us = ((close & 0x3Fu) + 1) * 500'000;
  } else if (close >= 0x20) {
    constexpr std::uint32_t kEvery[] = {1, 2, 10, 3};
    constexpr std::uint64_t kSlowUs[] = {50'000, 60'000, 200'000, 20'000};
    script.slow_pump_every = kEvery[(close >> 2) & 3];
    script.slow_pump_us = kSlowUs[close & 3];
  }
  for (int n = in.Byte() % 4; n > 0; --n) {
    FileEvent event;
    event.at_pump = rig->PumpAt(script.latency_us, in.Fraction());
    const std::uint8_t action = in.Byte();
    event.action = static_cast<FileAction>((action & 3) % 3);
    event.amount = in.Fraction();
    if (event.action == FileAction::kTruncate && (action & 4)) event.amount &= ~127u;
    if (event.action == FileAction::kGrow) event.amount = 1 + event.amount % 512;
    script.file_events.push_back(event);
  }
  script.decisions = in.rest();
  script.decision_count = in.rest_size();

  // Each input starts from a fresh program state, so that it reproduces on its own.
  rig->ResetState();
  rig->SeedFlash(static_cast<FlashSeed>(seed % 4), fraction);
  return Fail(trv::robustness::CheckedRun(script, *rig).broken);
}
