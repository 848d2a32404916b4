#include "sim/sim_log.h"

#include <cinttypes>

namespace trv::sim {
namespace {

std::string Hex(std::uint64_t value, int digits = 1) {
  char text[24];
  std::snprintf(text, sizeof text, "0x%0*" PRIx64, digits, value);
  return text;
}

// Masks, flow-control flags and handles read best in hexadecimal; counts and rates in decimal.
bool ArgumentIsHex(std::string_view call, std::size_t index) {
  return call == "QB_SetBitMode" || (call == "QB_SetFlowControl" && index == 0);
}

const char* CommandName(ChipCommandKind kind) {
  switch (kind) {
    case ChipCommandKind::kSyncProbe:
    case ChipCommandKind::kSyncConfirm:
      return "sync";
    case ChipCommandKind::kBaudChange:
      return "baud";
    case ChipCommandKind::kWriteAddress:
      return "write-address";
    case ChipCommandKind::kDataBlock:
      return "data-block";
    case ChipCommandKind::kReadAddress:
      return "read-address";
  }
  return "?";
}

}  // namespace

std::string FormatCall(const DriverCall& call) {
  std::string line(call.name);
  if (!call.text.empty() || call.name == "QB_OpenEx") {
    line += " \"" + call.text + "\"";
  }
  if (call.has_handle) {
    line += " " + Hex(call.handle);
  }
  for (std::size_t i = 0; i < call.arg_count; ++i) {
    line += " " + (ArgumentIsHex(call.name, i) ? Hex(call.args[i]) : std::to_string(call.args[i]));
  }
  if (call.out_label != nullptr) {
    line += std::string(" ") + call.out_label + "=" +
            (call.name == "QB_OpenEx" ? Hex(call.out) : std::to_string(call.out));
  }
  return line + " -> " + std::to_string(call.status);
}

std::string FormatChipCommand(const ChipCommand& command) {
  std::string line = std::string("chip ") + CommandName(command.kind) + " ";
  switch (command.kind) {
    case ChipCommandKind::kBaudChange:
      return line + (command.value == 0 ? "unknown" : std::to_string(command.value));
    case ChipCommandKind::kSyncProbe:
    case ChipCommandKind::kSyncConfirm:
      return line + Hex(command.value, 2);
    default:
      return line + Hex(command.value, 4);
  }
}

void CollapsingLog::WriteLine(const std::string& line) {
  if (line == last_line_) {
    ++repeats_;
    return;
  }
  FlushRepeats();
  write_(line);
  last_line_ = line;
}

void CollapsingLog::FlushRepeats() {
  if (repeats_ > 0) {
    write_(kRepeatLinePrefix + std::to_string(repeats_) + kRepeatLineSuffix);
    repeats_ = 0;
  }
}

}  // namespace trv::sim
