#include "fuzzed_driver.h"

#include <algorithm>
#include <cstring>

#include "common/shared_types.h"

namespace trv::robustness {
namespace {

constexpr StatusResult kUnpluggedStatus = 4;

// A wait that ran out took at least this long: 3 s less the millisecond rounding of its start.
constexpr std::uint64_t kExpiredWaitUs = 2'999'000;

// Statuses a failing call answers, the success code among them so that "fails" can also mean
// "claims success without doing anything".
StatusResult PickStatus(std::uint8_t choice, Decisions& decide) {
  constexpr StatusResult kStatuses[] = {1, kUnpluggedStatus, kStatusListNotReady, kStatusShortWrite,
                                        kStatusOk};
  return choice % 6 < 5 ? kStatuses[choice % 6] : decide.Word();
}

// The count a failing call claims anyway: the whole request, or anything at all.
std::uint32_t ClaimedCount(std::uint32_t asked, Decisions& decide) {
  return decide.Byte() & 1 ? asked : decide.Word();
}

}  // namespace

void FuzzedDriver::Violation(const std::string& what) {
  if (std::find(violations_.begin(), violations_.end(), what) == violations_.end())
    violations_.push_back(what);
}

std::vector<std::string> FuzzedDriver::Finish(std::uint64_t end_us) {
  for (const std::string& what : timeline_.Finish(end_us))
    Violation(what);
  return violations_;
}

std::uint8_t FuzzedDriver::EventWithoutHandle() {
  if (!decide_.EventNow()) return 0;
  const std::uint8_t event = decide_.Byte();
  if (event >= 0xF0) clock_.AdvanceUs(std::uint64_t{decide_.Byte()} * 1000);  // a slow call
  if (event == 0xEF) unplugged_ = true;
  return event;
}

std::uint8_t FuzzedDriver::Event(std::string_view call, AdapterHandle handle) {
  if (handle == 0 || handle != open_handle_) {
    Violation(std::string(call) + (handle == closed_handle_ && handle != 0
                                       ? " on a closed handle"
                                       : " on a handle that was never opened"));
  }
  return EventWithoutHandle();
}

bool FuzzedDriver::Fails(std::uint8_t event, StatusResult* status) {
  if (unplugged_) {
    *status = kUnpluggedStatus;
    return true;
  }
  if (event >= 0x40 && event < 0x80) {
    *status = PickStatus(event, decide_);
    return true;
  }
  return false;
}

void FuzzedDriver::CheckOutgoing(const std::uint8_t* bytes, std::uint32_t count,
                                 std::uint64_t entry_us) {
  const std::size_t leading = std::min<std::size_t>(count, untaken_.size());
  if (!std::equal(untaken_.begin(), untaken_.begin() + leading, bytes)) {
    Violation("QB_Write did not begin with the bytes the adapter had not taken");
  }
  // Every command or block of the passes waits for its reply, so the next one may only follow a
  // reply or a wait that ran out. Not so the baud change, which only the handshake's one-byte
  // probes follow, nor the probes themselves.
  if (wrote_ && last_write_count_ > 1 && count > 1 && !replied_since_write_ &&
      entry_us - last_write_end_us_ < kExpiredWaitUs) {
    Violation("a command went out with no reply to the one before and before its wait ran out");
  }
}

void FuzzedDriver::NoteTaken(const std::uint8_t* bytes, std::uint32_t count, std::uint32_t taken) {
  // What was not taken stays in front of whatever the programmer still had pending behind it.
  std::vector<std::uint8_t> untaken(bytes + std::min(taken, count), bytes + count);
  if (untaken_.size() > count)
    untaken.insert(untaken.end(), untaken_.begin() + count, untaken_.end());
  untaken_ = std::move(untaken);
  wrote_ = true;
  last_write_count_ = count;
  last_write_end_us_ = clock_.NowUs();
  replied_since_write_ = false;
}

StatusResult FuzzedDriver::Forward(std::string_view call, const AdapterHandle* handle,
                                   const std::function<StatusResult()>& pass_on) {
  CallScope scope(*this, call == "QB_SetTimeouts" ? CallTimeline::Kind::kSetTimeouts
                                                  : CallTimeline::Kind::kOther);
  StatusResult status;
  if (Fails(handle == nullptr ? EventWithoutHandle() : Event(call, *handle), &status))
    return status;
  return pass_on();
}

StatusResult FuzzedDriver::QB_OpenEx(const char* description, std::uint32_t flags,
                                     AdapterHandle* handle) {
  CallScope call(*this, CallTimeline::Kind::kOther);
  if (open_handle_ != 0) Violation("QB_OpenEx while an adapter is open");
  StatusResult status;
  if (Fails(EventWithoutHandle(), &status)) return status == kStatusOk ? 1 : status;
  status = inner().QB_OpenEx(description, flags, handle);
  if (status == kStatusOk) open_handle_ = *handle;
  return status;
}

StatusResult FuzzedDriver::QB_Close(AdapterHandle handle) {
  CallScope call(*this, CallTimeline::Kind::kOther);
  StatusResult status = kStatusOk;
  const bool fails = Fails(Event("QB_Close", handle), &status);
  ++closes_;
  // The adapter is gone after a close whatever the status says, as a real driver frees it.
  if (handle == open_handle_ && handle != 0) {
    inner().QB_Close(handle);
    closed_handle_ = handle;
    open_handle_ = 0;
  }
  return fails ? status : kStatusOk;
}

StatusResult FuzzedDriver::QB_GetQueueStatus(AdapterHandle handle, std::uint32_t* waiting) {
  CallScope call(*this, CallTimeline::Kind::kQueueStatus);
  StatusResult status;
  const std::uint8_t event = Event("QB_GetQueueStatus", handle);
  if (Fails(event, &status)) {
    // A failing driver may still write anything into the count.
    if (event & 1) *waiting = decide_.Word();
    reported_waiting_ = status == kStatusOk ? *waiting : 0;
    return status;
  }
  // Junk arriving in front of the real replies.
  if (event >= 0x80 && event < 0xA0) {
    for (int i = 0, n = event % 8 + 1; i < n; ++i)
      junk_.push_back(decide_.Byte());
  }
  status = inner().QB_GetQueueStatus(handle, waiting);
  if (status == kStatusOk) *waiting += static_cast<std::uint32_t>(junk_.size());
  reported_waiting_ = status == kStatusOk ? *waiting : 0;
  return status;
}

StatusResult FuzzedDriver::QB_Read(AdapterHandle handle, void* buffer, std::uint32_t count,
                                   std::uint32_t* read) {
  CallScope call(*this, CallTimeline::Kind::kRead, count);
  if (count > kLinkBufferSize) Violation("QB_Read asked for more than the receive buffer holds");
  // A failed queue query counts as nothing waiting: a read must never ask for bytes that no
  // successful query reported.
  if (count > reported_waiting_)
    Violation("QB_Read asked for more bytes than were reported waiting");
  StatusResult status;
  const std::uint8_t event = Event("QB_Read", handle);
  auto* bytes = static_cast<std::uint8_t*>(buffer);
  if (Fails(event, &status)) {
    // A failing driver may still claim bytes read, over a buffer that holds an acknowledgement
    // byte (left from an earlier read, or put there now). None of it came from the chip.
    if (status != kStatusOk && (event & 1)) {
      if (count > 0 && (event & 2)) bytes[0] = kAckByte;
      *read = ClaimedCount(count, decide_);
    }
    reported_waiting_ = 0;
    return status;
  }
  std::uint32_t taken = 0;
  while (taken < count && !junk_.empty()) {
    bytes[taken++] = junk_.front();
    junk_.pop_front();
  }
  std::uint32_t got = 0;
  status = inner().QB_Read(handle, bytes + taken, count - taken, &got);
  *read = taken + got;
  if (event >= 0x80 && event < 0xA0 && *read > 0) bytes[decide_.Word() % *read] ^= event | 1;
  if (event >= 0xA0 && event < 0xB0 && *read > 0) *read = decide_.Word() % *read;  // bytes lost
  if (event >= 0xB0 && event < 0xB8) *read = count + 1 + decide_.Byte();  // an overstated copy
  if (status == kStatusOk && std::min(*read, count) > 0) replied_since_write_ = true;
  reported_waiting_ -= std::min<std::uint64_t>(reported_waiting_, taken + got);
  return status;
}

StatusResult FuzzedDriver::QB_Write(AdapterHandle handle, const void* buffer, std::uint32_t count,
                                    std::uint32_t* written) {
  CallScope call(*this, CallTimeline::Kind::kWrite, count);
  if (count > kLinkBufferSize) Violation("QB_Write of more than the transmit buffer holds");
  const auto* bytes = static_cast<const std::uint8_t*>(buffer);
  CheckOutgoing(bytes, count, call.entry_us());
  StatusResult status;
  const std::uint8_t event = Event("QB_Write", handle);
  if (Fails(event, &status)) {
    *written = 0;
    if (status != kStatusOk && (event & 1) && !unplugged_) {
      // A failing write that still reports bytes written did write them: only its status is
      // wrong, and the count is what the programmer goes by. A claim beyond the request is the
      // overstated kind, with every byte taken.
      const std::uint32_t claimed = ClaimedCount(count, decide_);
      const StatusResult inner_status =
          inner().QB_Write(handle, buffer, std::min(claimed, count), written);
      NoteTaken(bytes, count, *written);
      if (inner_status != kStatusOk) untaken_.clear();
      if (claimed > count) *written = claimed;
      return status;
    }
    NoteTaken(bytes, count, 0);
    return status;
  }
  const bool shorten = event >= 0x80 && event < 0xA0 && count > 0;
  status = inner().QB_Write(handle, buffer, shorten ? decide_.Word() % count : count, written);
  NoteTaken(bytes, count, *written);
  // A write the adapter itself refused (it was unplugged) leaves the fate of the bytes open, so
  // nothing is expected of the next write.
  if (status != kStatusOk) untaken_.clear();
  if (event >= 0xA0 && event < 0xB0) *written = count + 1 + decide_.Byte();  // an overstated take
  return status;
}

}  // namespace trv::robustness
