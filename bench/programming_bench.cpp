// Times whole programming runs and reads of the whole flash against the simulated adapter on the
// real clock and compares them with the least time the wire allows, so any cost of our own shows
// up as a ratio above 1.
#include <sys/resource.h>

#include <cstdio>
#include <ctime>

#include "bench/timed_run.h"

namespace {

double CpuSeconds() {
  return static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

}  // namespace

int main() {
  std::printf("%-11s %9s %9s %7s %8s %9s %12s %12s  %s\n", "latency ms", "wall s", "bound s",
              "ratio", "cpu s", "peak MiB", "gap ms", "gap pass ms", "result");
  bool all_verified = true;
  for (std::uint32_t latency_ms : {0u, 1u, 16u}) {
    const double cpu_start = CpuSeconds();
    const trv::bench::TimedRun run = trv::bench::TimeProgrammingRun(latency_ms * 1000ull);
    const double cpu = CpuSeconds() - cpu_start;

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    all_verified = all_verified && run.Verified();
    std::printf("%-11u %9.3f %9.3f %7.3f %8.3f %9.1f %12.1f %12.1f  %s\n", latency_ms,
                run.wall_seconds, run.bound_seconds, run.wall_seconds / run.bound_seconds, cpu,
                usage.ru_maxrss / 1024.0, run.longest_gap_us / 1000.0,
                run.longest_gap_in_passes_us / 1000.0,
                run.Verified()         ? "verified"
                : run.messages.empty() ? "?"
                                       : run.messages[0].c_str());
  }

  std::printf("\n%-11s %9s %9s %7s  %s\n", "latency ms", "read s", "bound s", "ratio", "result");
  bool all_read = true;
  for (std::uint32_t latency_ms : {0u, 1u, 16u}) {
    const trv::bench::TimedRead read = trv::bench::TimeFlashRead(latency_ms * 1000ull);
    all_read = all_read && read.equal;
    std::printf("%-11u %9.3f %9.3f %7.3f  %s\n", latency_ms, read.wall_seconds, read.bound_seconds,
                read.wall_seconds / read.bound_seconds, read.equal ? "flash read" : "failed");
  }
  return all_verified && all_read ? 0 : 1;
}
