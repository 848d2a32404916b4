// libFuzzer entry: the input decides what the adapter and the chip do during one whole
// programming run; any broken property aborts, so the fuzzer keeps the input.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "checked_run.h"

namespace {

struct Fixture {
  std::string rom_path = (std::filesystem::temp_directory_path() /
                          ("trv2k_fuzz_" + std::to_string(::getpid()) + ".rom"))
                             .string();
  std::vector<std::uint8_t> image = trv::robustness::WriteTestImage(rom_path);
  std::unique_ptr<trv::ProgrammerState> state = std::make_unique<trv::ProgrammerState>();
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Fixture fixture;
  trv::robustness::RunScript script;
  // The first bytes pick the latency and the pump at which the window closes, if any.
  if (size >= 3) {
    script.latency_us = data[0] * 100u;
    script.close_at_pump = data[1] >= 0xF0 ? (data[2] + 1u) * 37u : 0;
    data += 3;
    size -= 3;
  }
  script.decisions = data;
  script.decision_count = size;
  const auto broken =
      trv::robustness::CheckedRun(script, *fixture.state, fixture.rom_path, fixture.image);
  for (const std::string& what : broken)
    std::fprintf(stderr, "broken: %s\n", what.c_str());
  if (!broken.empty()) std::abort();
  return 0;
}
