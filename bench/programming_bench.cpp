// Times whole programming runs against the simulated adapter on the real clock and compares them
// with the least time the wire allows, so any cost of our own shows up as a ratio above 1.
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "common/operator_texts.h"
#include "common/posix_rom_file.h"
#include "common/system_clock.h"
#include "programming/programming_run.h"
#include "sim/simulated_adapter.h"

namespace {

using trv::kRomImageSize;

constexpr double kByteUs = 10.0;  // ten bit times at 1,000,000 baud
constexpr std::uint32_t kBlocks = kRomImageSize / trv::WriteBlockLength;
// Control-line settling (2 x 10 ms, twice) and the two baud-change settles (2 x 100 ms).
constexpr double kFixedWaitsUs = (10 + 10 + 100 + 100 + 10 + 10) * 1000.0;

// The least time the wire model allows: per programming block the command and the block go out
// and two acknowledgements come back, each after the adapter latency; per verification block the
// command goes out and the acknowledgement with the 128 bytes comes back after the latency.
double WireBoundUs(double latency_us) {
  const double program_block = (4 + 128) * kByteUs + 2 * (kByteUs + latency_us);
  const double verify_block = 4 * kByteUs + (1 + 128) * kByteUs + latency_us;
  return kBlocks * (program_block + verify_block) + kFixedWaitsUs;
}

// A window that only counts, and remembers the longest stretch between two pumps.
class CountingWindow final : public trv::WindowOperations {
 public:
  CountingWindow(trv::Clock& clock, std::string path) : clock_(clock), path_(std::move(path)) {}

  std::string DeviceDescription() override { return trv::sim::kDefaultAdapterDescription; }
  std::string RomFilePath() override { return path_; }
  void SetInputControlsEnabled(bool) override {}
  void SetProgressBarVisible(bool) override {}
  void SetSelectedFileVisible(bool) override {}
  void SetProgressRange(std::uint32_t, std::uint32_t) override {}
  void SetProgressPosition(std::uint32_t) override {}
  void SetLabel2Caption(const std::string& caption) override {
    in_pass_ = caption != trv::texts::kIdleHeading;
  }
  void ShowInformation(const std::string& text) override { messages.push_back(text); }
  void ShowErrorReport(const std::string& text) override { messages.push_back(text); }
  bool PumpMessages() override {
    const std::uint64_t now = clock_.NowUs();
    if (last_pump_us_ != 0) {
      longest_gap_us = std::max(longest_gap_us, now - last_pump_us_);
      if (in_pass_)
        longest_gap_in_passes_us = std::max(longest_gap_in_passes_us, now - last_pump_us_);
    }
    last_pump_us_ = now;
    ++pumps;
    return true;
  }

  std::vector<std::string> messages;
  std::uint64_t longest_gap_us = 0;
  std::uint64_t longest_gap_in_passes_us = 0;
  std::uint64_t pumps = 0;

 private:
  trv::Clock& clock_;
  std::string path_;
  std::uint64_t last_pump_us_ = 0;
  bool in_pass_ = false;
};

double CpuSeconds() {
  return static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

}  // namespace

int main() {
  const std::string path = (std::filesystem::temp_directory_path() / "trv2k_bench.rom").string();
  {
    std::vector<char> image(kRomImageSize);
    for (std::size_t i = 0; i < image.size(); ++i)
      image[i] = static_cast<char>(i * 13 + 5);
    std::ofstream(path, std::ios::binary)
        .write(image.data(), static_cast<std::streamsize>(image.size()));
  }

  std::printf("%-11s %9s %9s %7s %8s %9s %12s %12s  %s\n", "latency ms", "wall s", "bound s",
              "ratio", "cpu s", "peak MiB", "gap ms", "gap pass ms", "result");
  bool all_verified = true;
  for (std::uint32_t latency_ms : {0u, 1u, 16u}) {
    trv::SystemClock clock;
    trv::sim::SimConfig config;
    config.latency_us = latency_ms * 1000ull;
    config.record = false;
    trv::sim::SimulatedAdapter adapter(clock, config);
    CountingWindow window(clock, path);
    trv::PosixRomFileSystem files;
    auto state = std::make_unique<trv::ProgrammerState>();
    trv::Programmer programmer{adapter, clock, window, files, *state};

    const double cpu_start = CpuSeconds();
    const auto start = std::chrono::steady_clock::now();
    trv::ProgramButtonClick(programmer);
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double cpu = CpuSeconds() - cpu_start;

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const double bound = WireBoundUs(latency_ms * 1000.0) / 1e6;
    const bool verified =
        window.messages.size() == 1 && window.messages[0] == trv::texts::kVerifiedMessage;
    all_verified = all_verified && verified;
    std::printf("%-11u %9.3f %9.3f %7.3f %8.3f %9.1f %12.1f %12.1f  %s\n", latency_ms, wall, bound,
                wall / bound, cpu, usage.ru_maxrss / 1024.0, window.longest_gap_us / 1000.0,
                window.longest_gap_in_passes_us / 1000.0,
                verified                  ? "verified"
                : window.messages.empty() ? "?"
                                          : window.messages[0].c_str());
  }
  std::filesystem::remove(path);
  return all_verified ? 0 : 1;
}
