// Checks each wait of a run against its own time bound, seen from outside: from the sequence of
// driver calls and the virtual clock alone, without any hook in the programmer.
//
// Time is counted in the programmer's own time: virtual time spent outside driver calls and
// outside the modal loops in which the operator held the window. Slow calls that the input made
// (and a simulated write that blocks on a full wire) do not count against the programmer, so its
// bounds can be checked tightly however slow the adapter was; nor does a held window, which the
// programmer leaves out of its waits together with the poll after it. A pump that is slow without
// a modal loop does count against the waits, whose bounds hold however slow the window is; only
// the check of the pauses between calls leaves it out.
//
// A wait shows up as a stretch of polls: QB_GetQueueStatus and QB_Read calls one after another,
// and in the handshake also the one-byte writes of its probes. The stretch begins when the call
// before it returned, which is the instant the programmer takes as the wait's start:
// - after the port set-up (QB_SetTimeouts) comes the handshake: the probe phase until the last
//   one-byte write, which is the confirm byte, then the confirm phase; 3 s for each phase.
// - after a command or block has been written comes an acknowledgement wait (3 s), and in
//   verification, after the one-byte read of the acknowledgement, the read-back wait (3 s).
// Every poll of a wait must start before its bound has run out. Between waits the programmer
// only pauses for its fixed settling times, so no gap between two calls may exceed the longest.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace trv::robustness {

class CallTimeline {
 public:
  enum class Kind { kQueueStatus, kRead, kWrite, kSetTimeouts, kOther };

  static constexpr std::uint64_t kWaitBoundUs = 3'000'000;  // each reply wait, each handshake phase
  static constexpr std::uint64_t kLongestPauseUs = 100'000;  // the pause after a baud change
  // A poll of the read-back wait follows its time check after one yield (0.5 ms in the harness);
  // the rest is the millisecond rounding of the programmer's clock. Each held window in a wait
  // adds as much again: the poll after it, which the programmer leaves out of the wait's time
  // (one yield), and the millisecond rounding of the pause.
  static constexpr std::uint64_t kSlackUs = 2'000;

  // One driver call: what it was, its byte count (reads and writes), and the virtual time at its
  // entry and return.
  void OnCall(Kind kind, std::uint32_t count, std::uint64_t entry_us, std::uint64_t exit_us);
  // The operator held the window from `from_us` to `to_us`, between two driver calls.
  void OnWindowHeld(std::uint64_t from_us, std::uint64_t to_us);
  // A pump was slow, without a modal loop, from `from_us` to `to_us`, between two driver calls.
  void OnWindowBusy(std::uint64_t from_us, std::uint64_t to_us);
  // The run returned at `end_us`. Returns every wait or pause that outlasted its bound.
  std::vector<std::string> Finish(std::uint64_t end_us);

 private:
  struct Call {
    Kind kind = Kind::kOther;
    std::uint32_t count = 0;
    std::uint64_t at_us = 0;    // programmer time at the call
    std::uint32_t holds = 0;    // held windows before the call
    std::uint64_t busy_us = 0;  // time in slow pumps before the call
  };

  bool ContinuesStretch(const Call& call) const;
  void CheckGap(const Call& from, const Call& to);
  void EndStretch();
  // Checks that calls [first, last] of the stretch began within `bound_us` of `start`.
  void CheckPolls(const char* wait, std::size_t first, std::size_t last, const Call& start,
                  std::uint64_t bound_us);

  std::uint64_t excluded_us_ = 0;  // virtual time inside driver calls and held windows so far
  std::uint32_t holds_ = 0;
  std::uint64_t busy_us_ = 0;
  Call previous_;
  bool any_call_ = false;
  bool in_stretch_ = false;
  bool handshake_ = false;
  Call stretch_start_;  // the call that came before the stretch
  std::vector<Call> stretch_;
  std::vector<std::string> broken_;
};

}  // namespace trv::robustness
