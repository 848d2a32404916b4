#include "adapter/adapter_link.h"

#include <algorithm>
#include <cstring>

namespace trv {

void AdapterLink::ClearBuffers() {
  buffers_.transmit.pending = 0;
  buffers_.receive.bytes.fill(0);
}

bool AdapterLink::AppendByte(std::uint8_t byte) {
  TransmitBuffer& transmit = buffers_.transmit;
  if (transmit.pending >= transmit.bytes.size()) return false;
  transmit.bytes[transmit.pending++] = byte;
  return true;
}

StatusResult AdapterLink::SendPending(AdapterHandle handle, std::uint32_t count) {
  TransmitBuffer& transmit = buffers_.transmit;
  count = std::min(count, transmit.pending);
  std::uint32_t written = 0;
  // The count written is what matters, not the status: a failed write that still claims bytes
  // is believed, and if they never left, the reply they ask for does not come and the wait that
  // follows fails in its usual way.
  driver_.QB_Write(handle, transmit.bytes.data(), count, &written);
  // A driver that claims more than it was given cannot take bytes that were never offered.
  written = std::min(written, count);
  std::memmove(transmit.bytes.data(), transmit.bytes.data() + written, transmit.pending - written);
  transmit.pending -= written;
  return written == count ? kStatusOk : kStatusShortWrite;
}

std::uint32_t AdapterLink::BytesWaiting(AdapterHandle handle) {
  std::uint32_t waiting = 0;
  if (driver_.QB_GetQueueStatus(handle, &waiting) != kStatusOk) return 0;
  return waiting;
}

std::uint32_t AdapterLink::Read(AdapterHandle handle, std::uint32_t count) {
  std::uint8_t* buffer = buffers_.receive.bytes.data();
  count = std::min<std::uint32_t>(count, kLinkBufferSize);
  std::uint32_t got = 0;
  // A failed read delivered nothing, whatever count it claims: the buffer may still hold an
  // earlier reply, which must never pass for a new one.
  if (driver_.QB_Read(handle, buffer, count, &got) != kStatusOk) got = 0;
  return std::min(got, count);
}

void AdapterLink::DiscardWaiting(AdapterHandle handle) {
  const std::uint32_t waiting = BytesWaiting(handle);
  if (waiting > 0) Read(handle, waiting);
}

void AdapterLink::PulseReset(AdapterHandle handle, std::uint8_t mode_line) {
  // Hold the chip in reset with the mode line set, then release it: the chip samples the mode
  // line as it leaves reset. The statuses are not looked at: a line change that did not happen
  // shows up as a loader that does not answer the handshake.
  driver_.QB_SetBitMode(handle, kLineMaskBase | mode_line, kBitModeSynchronousBitBang);
  clock_.SleepMs(kLineSettleMs);
  driver_.QB_SetBitMode(handle, kLineMaskBase | mode_line | kResetLine, kBitModeSynchronousBitBang);
  clock_.SleepMs(kLineSettleMs);
}

void AdapterLink::EnterLoaderMode(AdapterHandle handle) {
  PulseReset(handle, 0);
}

void AdapterLink::EnterRunMode(AdapterHandle handle) {
  PulseReset(handle, kModeLine);
}

void AdapterLink::HoldInReset(AdapterHandle handle) {
  driver_.QB_SetBitMode(handle, kLineMaskBase | kModeLine, kBitModeSynchronousBitBang);
  clock_.SleepMs(kLineSettleMs);
}

StatusResult AdapterLink::ConfigureUart(AdapterHandle handle, std::uint32_t baud,
                                        UartSetting* refused) {
  const auto refuse = [refused](UartSetting setting, StatusResult status) {
    if (refused != nullptr) *refused = setting;
    return status;
  };
  StatusResult status = driver_.QB_SetBaudRate(handle, baud);
  if (status != kStatusOk) return refuse(UartSetting::kBaudRate, status);
  status = driver_.QB_SetDataCharacteristics(handle, kWordLength8, kStopBits1, kParityNone);
  if (status != kStatusOk) return refuse(UartSetting::kDataCharacteristics, status);
  status = driver_.QB_SetFlowControl(handle, kFlowRtsCts, 0, 0);
  if (status != kStatusOk) return refuse(UartSetting::kFlowControl, status);
  // The port's own time-outs do not matter to us: every read asks only for bytes already waiting.
  driver_.QB_SetTimeouts(handle, kPortTimeoutMs, kPortTimeoutMs);
  return kStatusOk;
}

StatusResult AdapterLink::InitialiseUart(AdapterHandle handle, UartSetting* refused) {
  // The control lines' levels only matter to adapters that need them to power the chip's port;
  // a refusal here shows up in the port settings or the handshake that follow.
  driver_.QB_SetRts(handle);
  driver_.QB_SetDtr(handle);
  return ConfigureUart(handle, kLoaderBaud, refused);
}

AdapterList EnumerateAdapters(AdapterDriver& driver, Clock& clock) {
  AdapterList list;
  std::uint32_t count = 0;
  const std::uint64_t start_ms = clock.NowMs();
  do {
    list.status = driver.QB_CreateDeviceInfoList(&count);
  } while (list.status == kStatusListNotReady && clock.NowMs() - start_ms < kListRetryLimitMs);
  if (list.status != kStatusOk) return list;
  if (count == 0) {
    list.none_attached = true;
    return list;
  }

  count = std::min(count, kMaxListedAdapters);
  std::vector<AdapterInfoRecord> records(count + kSpareAdapterRecords);  // zero-filled
  std::uint32_t returned = count;
  // A call that fails has returned no records, whatever it left in the count.
  if (driver.QB_GetDeviceInfoList(records.data(), &returned) != kStatusOk) returned = 0;
  // Never take more entries than were asked for, even if more adapters appeared meanwhile.
  returned = std::min(returned, count);
  list.descriptions.reserve(returned);
  for (std::uint32_t i = 0; i < returned; ++i)
    list.descriptions.push_back(DescriptionOf(records[i]));
  return list;
}

}  // namespace trv
