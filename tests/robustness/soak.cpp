// Thousands of consecutive runs in one process, each with faults drawn at random from the
// simulator's list, checking the run's properties after each and that memory does not grow.
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>

#include "checked_run.h"

namespace {

using trv::sim::SimFaults;

long PeakResidentKiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

// One fault from the simulator's list, at a random block or address, or none at all.
SimFaults RandomFaults(std::mt19937& random) {
  SimFaults f;
  const auto block = [&] { return static_cast<std::uint32_t>(random() % 512); };
  switch (random() % 16) {
    case 0:
      f.open_status = 3;
      break;
    case 1:
      f.data_status = 4;
      break;
    case 2:
      f.reject_baud = random() % 2 ? trv::kLoaderBaud : trv::kProgrammingBaud;
      break;
    case 3:
      f.write_limit = static_cast<std::uint32_t>(random() % 140);
      break;
    case 4:
      f.silent_chip = true;
      break;
    case 5:
      f.echo_only_fa = true;
      break;
    case 6:
      f.no_write_command_ack = block();
      break;
    case 7:
      f.wrong_block_ack = block();
      break;
    case 8:
      f.no_read_command_ack = block();
      break;
    case 9:
      f.corrupt_read = static_cast<std::uint16_t>(random());
      break;
    case 10:
      f.stale_bytes = static_cast<std::uint32_t>(random() % 300);
      break;
    case 11:
      f.short_readback = block();
      break;
    case 12:
      f.close_status = 4;
      break;
    case 13:
      f.unplug_at_block = block();
      break;
    default:
      break;  // a clean run
  }
  return f;
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::atoi(argv[1]) : 2000;
  const unsigned seed = argc > 2 ? static_cast<unsigned>(std::atoi(argv[2])) : 20261207u;
  const std::string rom_path =
      (std::filesystem::temp_directory_path() / ("trv2k_soak_" + std::to_string(getpid()) + ".rom"))
          .string();
  const auto image = trv::robustness::WriteTestImage(rom_path);
  auto state = std::make_unique<trv::ProgrammerState>();
  std::mt19937 random(seed);

  const int warm_up = std::min(runs, 50);
  long resident_after_warm_up = 0;
  int failures = 0;
  for (int run = 0; run < runs; ++run) {
    trv::robustness::RunScript script;
    script.faults = RandomFaults(random);
    script.latency_us = random() % 2000;
    script.close_at_pump = random() % 20 == 0 ? static_cast<std::uint32_t>(random() % 3000 + 1) : 0;
    for (const std::string& what : trv::robustness::CheckedRun(script, *state, rom_path, image)) {
      std::printf("run %d: %s\n", run, what.c_str());
      ++failures;
    }
    if (run + 1 == warm_up) resident_after_warm_up = PeakResidentKiB();
  }
  std::filesystem::remove(rom_path);

  const long growth_kib = PeakResidentKiB() - resident_after_warm_up;
  std::printf("soak: %d runs, peak resident memory grew by %ld KiB after %d warm-up runs\n", runs,
              growth_kib, warm_up);
#ifdef SOAK_CHECKS_RESIDENT_MEMORY
  if (growth_kib > 1024) {
    std::printf("soak: memory grew\n");
    ++failures;
  }
#endif
  std::printf("%d passed, %d failed\n", failures == 0 ? runs : runs - std::min(runs, failures),
              failures);
  return failures == 0 ? 0 : 1;
}
