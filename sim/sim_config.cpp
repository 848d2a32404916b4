#include "sim/sim_config.h"

#include <algorithm>
#include <iterator>
#include <string_view>

namespace trv::sim {
namespace {

std::string_view Trim(std::string_view text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) {
    return {};
  }
  const auto last = text.find_last_not_of(" \t");
  return text.substr(first, last - first + 1);
}

// Decimal, or hexadecimal after "0x"; the whole text must be a number that fits in 32 bits.
bool ParseNumber(std::string_view text, std::uint32_t* value) {
  unsigned base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  }
  if (text.empty()) {
    return false;
  }
  std::uint64_t result = 0;
  for (const char c : text) {
    unsigned digit;
    if (c >= '0' && c <= '9') {
      digit = static_cast<unsigned>(c - '0');
    } else if (base == 16 && c >= 'a' && c <= 'f') {
      digit = static_cast<unsigned>(c - 'a' + 10);
    } else if (base == 16 && c >= 'A' && c <= 'F') {
      digit = static_cast<unsigned>(c - 'A' + 10);
    } else {
      return false;
    }
    result = result * base + digit;
    if (result > UINT32_MAX) {
      return false;
    }
  }
  *value = static_cast<std::uint32_t>(result);
  return true;
}

struct FaultOption {
  const char* name;
  bool takes_value;
  std::uint32_t max_value;
  void (*apply)(SimFaults&, std::uint32_t);
};

const FaultOption kFaultOptions[] = {
    {"list_busy", true, UINT32_MAX, [](SimFaults& f, std::uint32_t v) { f.list_busy = v; }},
    {"list_status", true, UINT32_MAX, [](SimFaults& f, std::uint32_t v) { f.list_status = v; }},
    {"open_status", true, UINT32_MAX, [](SimFaults& f, std::uint32_t v) { f.open_status = v; }},
    {"reject_baud", true, UINT32_MAX, [](SimFaults& f, std::uint32_t v) { f.reject_baud = v; }},
    {"data_status", true, UINT32_MAX, [](SimFaults& f, std::uint32_t v) { f.data_status = v; }},
    {"flow_status", true, UINT32_MAX, [](SimFaults& f, std::uint32_t v) { f.flow_status = v; }},
    {"write_limit", true, UINT32_MAX, [](SimFaults& f, std::uint32_t v) { f.write_limit = v; }},
    {"close_status", true, UINT32_MAX, [](SimFaults& f, std::uint32_t v) { f.close_status = v; }},
    {"silent_chip", false, 0, [](SimFaults& f, std::uint32_t) { f.silent_chip = true; }},
    {"echo_only_fa", false, 0, [](SimFaults& f, std::uint32_t) { f.echo_only_fa = true; }},
    {"no_write_command_ack", true, UINT32_MAX,
     [](SimFaults& f, std::uint32_t v) { f.no_write_command_ack = v; }},
    {"wrong_write_command_ack", true, UINT32_MAX,
     [](SimFaults& f, std::uint32_t v) { f.wrong_write_command_ack = v; }},
    {"no_block_ack", true, UINT32_MAX, [](SimFaults& f, std::uint32_t v) { f.no_block_ack = v; }},
    {"wrong_block_ack", true, UINT32_MAX,
     [](SimFaults& f, std::uint32_t v) { f.wrong_block_ack = v; }},
    {"no_read_command_ack", true, UINT32_MAX,
     [](SimFaults& f, std::uint32_t v) { f.no_read_command_ack = v; }},
    {"short_readback", true, UINT32_MAX,
     [](SimFaults& f, std::uint32_t v) { f.short_readback = v; }},
    {"corrupt_read", true, 0xFFFF,
     [](SimFaults& f, std::uint32_t v) { f.corrupt_read = static_cast<std::uint16_t>(v); }},
    {"stale_bytes", true, UINT32_MAX, [](SimFaults& f, std::uint32_t v) { f.stale_bytes = v; }},
    {"unplug_at_block", true, UINT32_MAX,
     [](SimFaults& f, std::uint32_t v) { f.unplug_at_block = v; }},
    {"loop_loses", true, UINT32_MAX, [](SimFaults& f, std::uint32_t v) { f.loop_loses = v; }},
    {"loop_changes", true, UINT32_MAX, [](SimFaults& f, std::uint32_t v) { f.loop_changes = v; }},
};

struct WiringName {
  const char* name;
  Wiring wiring;
};
constexpr WiringName kWirings[] = {
    {"chip", Wiring::kChip}, {"loopback", Wiring::kLoopback}, {"open", Wiring::kOpen}};

const FaultOption* FindFault(std::string_view name) {
  for (const FaultOption& option : kFaultOptions) {
    if (name == option.name) {
      return &option;
    }
  }
  return nullptr;
}

std::string ApplyFault(std::string_view item, SimFaults& faults) {
  const auto equals = item.find('=');
  const std::string_view name = Trim(item.substr(0, equals));
  const FaultOption* option = FindFault(name);
  if (option == nullptr) {
    return "unknown fault '" + std::string(name) + "'";
  }
  if (!option->takes_value) {
    if (equals != std::string_view::npos) {
      return "fault '" + std::string(name) + "' takes no value";
    }
    option->apply(faults, 0);
    return {};
  }
  if (equals == std::string_view::npos) {
    return "fault '" + std::string(name) + "' needs a value";
  }
  const std::string_view text = Trim(item.substr(equals + 1));
  std::uint32_t value = 0;
  if (name == "list_busy" && text == "forever") {
    value = SimFaults::kForever;
  } else if (!ParseNumber(text, &value) || value > option->max_value) {
    return "bad value '" + std::string(text) + "' for fault '" + std::string(name) + "'";
  }
  option->apply(faults, value);
  return {};
}

std::string ParseAdapters(const std::string& text, std::vector<std::string>& adapters) {
  adapters.clear();
  if (text.empty()) {
    return {};
  }
  std::string_view rest = text;
  while (true) {
    const auto bar = rest.find('|');
    const std::string_view description = rest.substr(0, bar);
    if (description.empty()) {
      return "empty adapter description in QBSIM_ADAPTERS";
    }
    if (description.size() > AdapterInfoRecord::kDescriptionMaxLength) {
      return "adapter description longer than 64 characters: '" + std::string(description) + "'";
    }
    adapters.emplace_back(description);
    if (bar == std::string_view::npos) {
      return {};
    }
    rest.remove_prefix(bar + 1);
  }
}

}  // namespace

SimConfigResult ParseSimConfig(const std::optional<std::string>& adapters,
                               const std::optional<std::string>& latency_ms,
                               const std::optional<std::string>& faults,
                               const std::optional<std::string>& wiring) {
  SimConfigResult result;
  if (wiring) {
    const std::string_view name = Trim(*wiring);
    const auto known = std::find_if(std::begin(kWirings), std::end(kWirings),
                                    [name](const WiringName& w) { return name == w.name; });
    if (known == std::end(kWirings)) {
      result.error = "bad QBSIM_WIRING '" + *wiring + "' (chip, loopback or open)";
      return result;
    }
    result.config.wiring = known->wiring;
  }
  if (adapters) {
    result.error = ParseAdapters(*adapters, result.config.adapters);
    if (!result.ok()) {
      return result;
    }
  }
  if (latency_ms) {
    std::uint32_t ms = 0;
    if (!ParseNumber(Trim(*latency_ms), &ms)) {
      result.error = "bad QBSIM_LATENCY_MS '" + *latency_ms + "'";
      return result;
    }
    result.config.latency_us = std::uint64_t{ms} * 1000;
  }
  if (faults) {
    std::string_view rest = *faults;
    while (!rest.empty()) {
      const auto comma = rest.find(',');
      const std::string_view item = Trim(rest.substr(0, comma));
      if (!item.empty()) {
        result.error = ApplyFault(item, result.config.faults);
        if (!result.ok()) {
          return result;
        }
      }
      rest = comma == std::string_view::npos ? std::string_view{} : rest.substr(comma + 1);
    }
  }
  return result;
}

}  // namespace trv::sim
