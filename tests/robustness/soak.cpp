// Thousands of consecutive runs in one process, each with faults drawn at random from the
// simulator's list and now and then from the fuzzed driver's, the ROM file cut, grown or rewritten
// under it now and then, the window closed, held or slow now and then, and a fault-free run after
// each on the same program and chip; then adapter enumerations against absurd drivers. Checks
// every run's properties (no ROM file left open among them), that a run whose window was held or
// slow but met no fault completes, and that memory does not grow.
#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

#include "checked_run.h"
#include "device_listing.h"

namespace {

using trv::robustness::FileAction;
using trv::robustness::FileEvent;
using trv::robustness::FlashSeed;
using trv::sim::SimFaults;

constexpr int kRandomListings = 3000;

long PeakResidentKiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

// One fault from the simulator's list, at a random block or address, or none at all.
SimFaults RandomFaults(std::mt19937& random) {
  SimFaults f;
  const auto block = [&] { return static_cast<std::uint32_t>(random() % 512); };
  const auto kind = random() % 16;  // 14 and 15: a clean run
  if (kind == 0) f.open_status = 3;
  if (kind == 1) f.data_status = 4;
  if (kind == 2) f.reject_baud = random() % 2 ? trv::kLoaderBaud : trv::kProgrammingBaud;
  if (kind == 3) f.write_limit = static_cast<std::uint32_t>(random() % 140);
  if (kind == 4) f.silent_chip = true;
  if (kind == 5) f.echo_only_fa = true;
  if (kind == 6) f.no_write_command_ack = block();
  if (kind == 7) f.wrong_block_ack = block();
  if (kind == 8) f.no_read_command_ack = block();
  if (kind == 9) f.corrupt_read = static_cast<std::uint16_t>(random());
  if (kind == 10) f.stale_bytes = static_cast<std::uint32_t>(random() % 300);
  if (kind == 11) f.short_readback = block();
  if (kind == 12) f.close_status = 4;
  if (kind == 13) f.unplug_at_block = block();
  return f;
}

// The ROM file cut (often to whole blocks, sometimes to nothing), grown, or rewritten in place,
// at a random moment of the run.
FileEvent RandomFileEvent(std::mt19937& random, trv::robustness::Rig& rig,
                          std::uint64_t latency_us) {
  FileEvent event;
  event.at_pump = rig.PumpAt(latency_us, static_cast<std::uint16_t>(random()));
  event.action = static_cast<FileAction>(random() % 3);
  event.amount = random() % trv::kRomImageSize;
  if (event.action == FileAction::kTruncate && random() % 2) event.amount &= ~127u;
  if (event.action == FileAction::kTruncate && random() % 8 == 0) event.amount = 0;
  if (event.action == FileAction::kGrow) event.amount = 1 + random() % 512;
  return event;
}

// A few driver events (see fuzzed_driver.h) a few thousand calls apart: failing calls that still
// report counts, junk, short writes, lost and overstated reads, slow calls, now and then an
// unplug. The bytes are laid out as the events expect, though an event that takes fewer detail
// bytes shifts the rest; they are random all the same.
std::vector<std::uint8_t> RandomDecisions(std::mt19937& random) {
  constexpr std::uint8_t kEventStarts[] = {0x40, 0x80, 0xA0, 0xB0, 0xF0};
  constexpr std::uint8_t kEventSpans[] = {0x40, 0x20, 0x10, 0x08, 0x10};
  std::vector<std::uint8_t> bytes;
  const auto gap = [&] {
    const std::uint32_t calls = random() % 3000;
    bytes.push_back(static_cast<std::uint8_t>(calls));
    bytes.push_back(static_cast<std::uint8_t>(calls >> 8));
  };
  gap();
  for (int n = 1 + random() % 6; n > 0; --n) {
    gap();
    const std::size_t kind = random() % 5;
    bytes.push_back(random() % 64 == 0 ? 0xEF
                                       : static_cast<std::uint8_t>(kEventStarts[kind] +
                                                                   random() % kEventSpans[kind]));
    for (int detail = 0; detail < 5; ++detail)
      bytes.push_back(static_cast<std::uint8_t>(random()));
  }
  return bytes;
}

// Enumerations against drivers of random scripts (the kinds that once went wrong are seeds of the
// fuzzer's corpus).
int CheckListings(std::mt19937& random) {
  int broken = 0;
  for (int i = 0; i < kRandomListings; ++i) {
    std::vector<std::uint8_t> script(16);
    for (std::uint8_t& byte : script)
      byte = static_cast<std::uint8_t>(random());
    for (const std::string& what : trv::robustness::CheckedListing(script.data(), script.size())) {
      std::printf("listing:");
      for (std::uint8_t byte : script)
        std::printf(" %02x", byte);
      std::printf(": %s\n", what.c_str());
      ++broken;
    }
  }
  return broken;
}

// One run of the soak: its script, the driver's decisions the script points into, and whether it
// met nothing but a held or slow window, after which it must complete.
struct SoakRun {
  trv::robustness::RunScript script;
  std::vector<std::uint8_t> decisions;
  bool must_complete = false;
};

void DrawRun(std::mt19937& random, trv::robustness::Rig& rig, SoakRun& run) {
  trv::robustness::RunScript& script = run.script;
  // Whole 0.1 ms steps, so that the pump counts of few latencies need measuring.
  script.latency_us = random() % 20 * 100;
  // One run in six the window's pumps are slow, whatever else goes wrong, and one in eight the
  // operator holds the window, up to 32 s, anywhere in an otherwise sound run. A run that met
  // nothing else must then complete.
  const bool slow = random() % 6 == 0;
  if (slow) {
    constexpr std::uint32_t kEvery[] = {1, 2, 10};
    script.slow_pump_every = kEvery[random() % 3];
    script.slow_pump_us = (1 + random() % 250) * 1000;
  }
  const bool held = random() % 8 == 0;
  bool sound = true;
  if (held) {
    script.hold_at_pump = rig.PumpAt(script.latency_us, static_cast<std::uint16_t>(random()));
    script.hold_us = (1 + random() % 64) * 500'000;
  } else if (random() % 6 == 0) {
    // The file changes under an otherwise sound run, which would complete if nothing
    // checked the file.
    script.file_events.push_back(RandomFileEvent(random, rig, script.latency_us));
    sound = false;
  } else if (!slow || random() % 2) {
    script.faults = RandomFaults(random);
    if (random() % 4 == 0) run.decisions = RandomDecisions(random);
    script.decisions = run.decisions.data();
    script.decision_count = run.decisions.size();
    sound = false;
  }
  if (!held && random() % 4 == 0) {
    if (random() % 2) {
      script.close_at_pump = rig.PumpAt(script.latency_us, static_cast<std::uint16_t>(random()));
    } else {
      script.close_in_box = 1 + random() % 3;
    }
    sound = false;
  }
  run.must_complete = sound && (held || slow);
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::atoi(argv[1]) : 2000;
  const unsigned seed = argc > 2 ? static_cast<unsigned>(std::atoi(argv[2])) : 20261207u;
  trv::robustness::Rig rig;
  std::mt19937 random(seed);

  const int warm_up = std::min(runs, 50);
  long resident_after_warm_up = 0;
  int broken = 0;
  int completed = 0;
  for (int run = 0; run < runs; ++run) {
    SoakRun soak_run;
    DrawRun(random, rig, soak_run);
    const trv::robustness::RunScript& script = soak_run.script;
    // The flash usually holds the image from the run before; now and then something else, so
    // that a pass that stops early cannot hide behind bytes already right.
    if (random() % 8 == 0) {
      rig.SeedFlash(static_cast<FlashSeed>(random() % 4), static_cast<std::uint32_t>(random()));
    }
    const trv::robustness::RunReport report = trv::robustness::CheckedRun(script, rig);
    for (const std::string& what : report.broken) {
      std::printf("run %d: %s\n", run, what.c_str());
      ++broken;
    }
    if (report.completed) ++completed;
    if (soak_run.must_complete && !report.completed) {
      std::printf(
          "run %d: the window held %.1f s at pump %u, every %u. pump %.0f ms slow, and the run "
          "did not complete\n",
          run, script.hold_us / 1e6, script.hold_at_pump, script.slow_pump_every,
          script.slow_pump_us / 1e3);
      ++broken;
    }
    if (run + 1 == warm_up) resident_after_warm_up = PeakResidentKiB();
  }
  broken += CheckListings(random);

  const long growth_kib = PeakResidentKiB() - resident_after_warm_up;
  std::printf("soak: %d runs (%d completed, %d failed), each followed by a fault-free run\n", runs,
              completed, runs - completed);
  std::printf("soak: %d adapter enumerations checked\n", kRandomListings);
  std::printf("soak: after %d warm-up runs, peak resident memory grew by %ld KiB\n", warm_up,
              growth_kib);
#ifdef SOAK_CHECKS_RESIDENT_MEMORY
  if (growth_kib > 1024) {
    std::printf("soak: memory grew\n");
    ++broken;
  }
#endif
  // A soak whose runs all completed, or all failed, has not exercised both ways out of a run.
  if (completed == 0 || completed == runs) {
    std::printf("soak: the runs did not both complete and fail\n");
    ++broken;
  }
  std::printf("soak: %d broken properties\n", broken);
  return broken == 0 ? 0 : 1;
}
