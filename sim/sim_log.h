// Text forms of driver calls and chip commands, and the log that writes them with runs of
// identical lines collapsed.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "sim/simulated_adapter.h"

namespace trv::sim {

// "<call name> <args...> -> <status>", e.g. "QB_Close 0x1 -> 0".
std::string FormatCall(const DriverCall& call);
// "chip write-address 0x0000", "chip read-address 0xff80", "chip baud 1000000", ...
std::string FormatChipCommand(const ChipCommand& command);

// The line that follows a run of identical lines: "... (repeated N more times)", N being the
// number of copies after the first. A reader that counts calls expands it again.
constexpr char kRepeatLinePrefix[] = "... (repeated ";
constexpr char kRepeatLineSuffix[] = " more times)";

// One line per driver call and per chip command. Every poll of a wait is a driver call, so a run
// of identical consecutive lines is written once and followed, when a different line comes or
// the log is closed, by the repeat line with the number of further copies.
class CollapsingLog final : public SimObserver {
 public:
  // Takes each line to write, without its line end.
  using LineWriter = std::function<void(const std::string& line)>;

  explicit CollapsingLog(LineWriter write) : write_(std::move(write)) {}
  // Writes the count of a run still open.
  ~CollapsingLog() override { FlushRepeats(); }
  CollapsingLog(const CollapsingLog&) = delete;
  CollapsingLog& operator=(const CollapsingLog&) = delete;

  void WriteLine(const std::string& line);
  // Writes the count of a run still open, for a process that ends without closing the log.
  void FlushRepeats();

  void OnCall(const DriverCall& call) override { WriteLine(FormatCall(call)); }
  void OnChipCommand(const ChipCommand& command) override { WriteLine(FormatChipCommand(command)); }

 private:
  LineWriter write_;
  std::optional<std::string> last_line_;
  std::uint64_t repeats_ = 0;  // copies of last_line_ not yet written
};

}  // namespace trv::sim
