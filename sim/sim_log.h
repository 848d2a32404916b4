// Text forms of driver calls and chip commands, and the observer that appends them to a log file.
#pragma once

#include <cstdio>
#include <string>

#include "sim/simulated_adapter.h"

namespace trv::sim {

// "<call name> <args...> -> <status>", e.g. "QB_Close 0x1 -> 0".
std::string FormatCall(const DriverCall& call);
// "chip write-address 0x0000", "chip read-address 0xff80", "chip baud 1000000", ...
std::string FormatChipCommand(const ChipCommand& command);

// Appends one line per call and per chip command, flushed at once so that a process that is
// killed still leaves every line it logged.
class LogFile final : public SimObserver {
 public:
  explicit LogFile(const std::string& path) : file_(std::fopen(path.c_str(), "a")) {}
  ~LogFile() override;
  LogFile(const LogFile&) = delete;
  LogFile& operator=(const LogFile&) = delete;

  bool is_open() const { return file_ != nullptr; }
  void WriteLine(const std::string& line);

  void OnCall(const DriverCall& call) override { WriteLine(FormatCall(call)); }
  void OnChipCommand(const ChipCommand& command) override { WriteLine(FormatChipCommand(command)); }

 private:
  std::FILE* file_;
};

}  // namespace trv::sim
