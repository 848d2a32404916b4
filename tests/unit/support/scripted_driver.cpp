#include "support/scripted_driver.h"

#include <algorithm>
#include <cstring>

namespace trv::test {

StatusResult ScriptedDriver::Call(const std::string& name) {
  calls.push_back(name);
  const auto it = statuses.find(name);
  return it == statuses.end() ? kStatusOk : it->second;
}

StatusResult ScriptedDriver::QB_CreateDeviceInfoList(std::uint32_t* count) {
  const StatusResult status = Call("QB_CreateDeviceInfoList");
  clock_.SleepMs(1);  // a real enumeration takes time; lets bounded retries end on virtual time
  if (list_not_ready_calls != 0) {
    if (list_not_ready_calls > 0) --list_not_ready_calls;
    return kStatusListNotReady;
  }
  *count = created_count.value_or(static_cast<std::uint32_t>(adapters.size()));
  return status;
}

StatusResult ScriptedDriver::QB_GetDeviceInfoList(AdapterInfoRecord* records,
                                                  std::uint32_t* count) {
  const std::uint32_t room = *count + records_beyond_room;
  for (std::uint32_t i = 0; i < room && i < adapters.size(); ++i) {
    std::memset(records[i].bytes, 0xEE, sizeof records[i].bytes);
    const std::string& text = adapters[i];
    const std::size_t length = std::min(text.size(), AdapterInfoRecord::kDescriptionMaxLength);
    std::memcpy(records[i].bytes + AdapterInfoRecord::kDescriptionOffset, text.data(), length);
    if (length < AdapterInfoRecord::kDescriptionMaxLength) {
      records[i].bytes[AdapterInfoRecord::kDescriptionOffset + length] = 0;
    }
  }
  *count = list_count_override ? list_count_override : static_cast<std::uint32_t>(adapters.size());
  return Call("QB_GetDeviceInfoList");
}

StatusResult ScriptedDriver::QB_OpenEx(const char*, std::uint32_t, AdapterHandle* handle) {
  *handle = 0x5A;
  return Call("QB_OpenEx");
}

StatusResult ScriptedDriver::QB_SetBitMode(AdapterHandle, std::uint8_t mask, std::uint8_t mode) {
  return Call("QB_SetBitMode " + std::to_string(mask) + " " + std::to_string(mode));
}

StatusResult ScriptedDriver::QB_SetBaudRate(AdapterHandle, std::uint32_t baud) {
  return Call("QB_SetBaudRate " + std::to_string(baud));
}

StatusResult ScriptedDriver::QB_GetQueueStatus(AdapterHandle, std::uint32_t* count) {
  const auto it = arrivals.find(queue_queries++);
  if (it != arrivals.end()) waiting.insert(waiting.end(), it->second.begin(), it->second.end());
  if (query_cost_ms) clock_.SleepMs(query_cost_ms);
  *count = static_cast<std::uint32_t>(waiting.size());
  return Call("QB_GetQueueStatus");
}

StatusResult ScriptedDriver::QB_Read(AdapterHandle, void* buffer, std::uint32_t count,
                                     std::uint32_t* read) {
  read_requests.push_back(count);
  const StatusResult status = Call("QB_Read");
  if (status != kStatusOk) {
    *read = failed_read_claims;
    return status;
  }
  const std::uint32_t n =
      std::min<std::uint32_t>(count, static_cast<std::uint32_t>(waiting.size()));
  std::memcpy(buffer, waiting.data(), n);
  waiting.erase(waiting.begin(), waiting.begin() + n);
  *read = n;
  return status;
}

StatusResult ScriptedDriver::QB_Write(AdapterHandle, const void* buffer, std::uint32_t count,
                                      std::uint32_t* written) {
  const StatusResult status = Call("QB_Write");
  if (status != kStatusOk && failed_write_claims_all) {
    writes.emplace_back();
    *written = count;
    return status;
  }
  const std::uint32_t n = std::min(count, write_limit);
  const auto* bytes = static_cast<const std::uint8_t*>(buffer);
  writes.emplace_back(bytes, bytes + n);
  *written = n;
  return status;
}

std::vector<std::uint8_t> ScriptedDriver::WrittenBytes() const {
  std::vector<std::uint8_t> all;
  for (const auto& w : writes)
    all.insert(all.end(), w.begin(), w.end());
  return all;
}

}  // namespace trv::test
