#include "device_listing.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <string_view>

#include "fuzzed_driver.h"
#include "sim/virtual_clock.h"
#include "tests/support/refusing_driver.h"

namespace trv::robustness {
namespace {

// The counts worth trying, the absurd ones among them; choices 3, 9 and above take theirs from the
// input.
std::uint32_t PickCount(ByteCursor& in) {
  constexpr std::uint32_t kMax = kMaxListedAdapters;
  constexpr std::uint32_t kCounts[] = {0,    1,        2,           0,          kMax - 1,
                                       kMax, kMax + 1, 0x80000000u, 0xFFFFFFFFu};
  const std::uint8_t choice = in.Byte() % 12;
  if (choice == 3) return in.Byte() % 16;
  if (choice == 9) return in.Word();
  if (choice > 9) return 1 + in.Byte() % 4;
  return kCounts[choice];
}

// The description a record carries: ordinary, a full 64 characters with no zero byte, empty,
// one short of full, or cut by a zero byte with more text behind it.
std::string Description(std::uint8_t style, std::uint32_t index, std::uint8_t field[64]) {
  std::memset(field, 0, 64);
  std::string text;  // style 2: empty
  if (style % 5 == 0) text = "QB USB Serial Adapter " + std::to_string(index);
  if (style % 5 == 1) text.assign(64, static_cast<char>('A' + index % 26));
  if (style % 5 == 3) text.assign(63, static_cast<char>('a' + index % 26));
  if (style % 5 == 4) {
    text = "Cut " + std::to_string(index);
    std::memset(field + text.size() + 1, 'X', 64 - text.size() - 1);  // behind the zero byte
  }
  std::memcpy(field, text.data(), text.size());
  return text;
}

class ListingDriver final : public test::RefusingDriver {
 public:
  ListingDriver(ByteCursor& in, sim::VirtualClock& clock, ListingFacts& facts)
      : clock_(clock), facts_(facts) {
    const std::uint8_t busy = in.Byte();
    busy_calls_ = busy % 4 == 2 ? UINT32_MAX : busy % 4 == 1 ? in.Byte() : 0;
    facts_.call_us = 10 * (1 + std::uint64_t{in.Byte()});
    const std::uint8_t status = in.Byte();
    count_status_ = status % 8 < 5 ? kStatusOk : status % 8 == 5 ? 1 : in.Word();
    count_ = PickCount(in);
    records_status_ = in.Byte() % 4 == 3 ? (in.Word() | 1) : kStatusOk;
    extra_ = in.Byte() % (kSpareAdapterRecords + 1);
    reported_choice_ = in.Byte();
    reported_word_ = in.Word();
    styles_ = in.Byte();
  }

  StatusResult QB_CreateDeviceInfoList(std::uint32_t* count) override {
    clock_.AdvanceUs(facts_.call_us);
    ++facts_.count_calls;
    const bool busy = busy_calls_ == UINT32_MAX || facts_.count_calls <= busy_calls_;
    facts_.count_status = busy ? kStatusListNotReady : count_status_;
    // A busy or failing driver may still write a count; only a successful one means it.
    facts_.count = *count = busy ? 0xFFFFFFFFu : count_;
    return facts_.count_status;
  }

  StatusResult QB_GetDeviceInfoList(AdapterInfoRecord* records, std::uint32_t* count) override {
    clock_.AdvanceUs(facts_.call_us);
    ++facts_.record_calls;
    facts_.asked = *count;
    facts_.records_status = records_status_;
    // A driver that saw more adapters appear fills records past the count it was given, up to the
    // room the lister keeps spare for exactly that.
    const std::uint32_t filled = facts_.asked + extra_;
    facts_.descriptions.clear();
    for (std::uint32_t i = 0; i < filled; ++i) {
      AdapterInfoRecord& record = records[i];
      std::memset(record.bytes, 0xEE, sizeof record.bytes);  // fields nobody should read
      facts_.descriptions.push_back(
          Description(static_cast<std::uint8_t>(styles_ + i * 7), i,
                      record.bytes + AdapterInfoRecord::kDescriptionOffset));
    }
    const std::uint32_t reported[] = {facts_.asked,     filled,      0,
                                      facts_.asked / 2, 0xFFFFFFFFu, reported_word_};
    *count = facts_.reported = reported[reported_choice_ % 6];
    return records_status_;
  }

 private:
  // Nothing else belongs in a listing.
  void Refused(std::string_view call) override { facts_.other_calls.emplace_back(call); }

  sim::VirtualClock& clock_;
  ListingFacts& facts_;
  std::uint32_t busy_calls_ = 0;
  StatusResult count_status_ = kStatusOk;
  std::uint32_t count_ = 0;
  StatusResult records_status_ = kStatusOk;
  std::uint32_t extra_ = 0;
  std::uint8_t reported_choice_ = 0;
  std::uint32_t reported_word_ = 0;
  std::uint8_t styles_ = 0;
};

}  // namespace

std::vector<std::string> CheckListing(const ListingFacts& facts, const AdapterList* list,
                                      const std::string& thrown, std::uint64_t elapsed_us) {
  std::vector<std::string> broken;
  for (const std::string& name : facts.other_calls)
    broken.push_back(name + " called while listing adapters");
  if (list == nullptr) {
    broken.push_back("the enumeration threw: " + thrown);
    return broken;
  }
  // A busy driver is asked again without pause only for a bounded time; the call that starts
  // just before the bound may still take its own time.
  if (elapsed_us > std::uint64_t{kListRetryLimitMs} * 1000 + facts.call_us) {
    broken.push_back("the enumeration took " + std::to_string(elapsed_us / 1000) + " ms");
  }
  const bool none = facts.count_status == kStatusOk && facts.count == 0;
  if (list->none_attached != none) {
    broken.push_back(none ? "a count of 0 was not reported as no devices"
                          : "no devices reported after status " +
                                std::to_string(facts.count_status) + " with count " +
                                std::to_string(facts.count));
  }
  if (facts.count_status != kStatusOk || facts.count == 0) {
    if (facts.record_calls > 0) broken.push_back("records asked for with no adapter counted");
    if (!list->descriptions.empty()) {
      broken.push_back(std::to_string(list->descriptions.size()) + " entries listed after status " +
                       std::to_string(facts.count_status) + " with count " +
                       std::to_string(facts.count));
    }
    return broken;
  }
  if (facts.record_calls != 1) {
    broken.push_back("records asked for " + std::to_string(facts.record_calls) + " times");
    return broken;
  }
  if (facts.asked != std::min(facts.count, kMaxListedAdapters)) {
    broken.push_back("room for " + std::to_string(facts.asked) + " records after a count of " +
                     std::to_string(facts.count));
  }
  const std::size_t expected =
      facts.records_status == kStatusOk ? std::min(facts.asked, facts.reported) : 0;
  if (list->descriptions.size() != expected) {
    broken.push_back(std::to_string(list->descriptions.size()) + " entries listed where " +
                     std::to_string(expected) + " were due (room for " +
                     std::to_string(facts.asked) + ", reported " + std::to_string(facts.reported) +
                     ", status " + std::to_string(facts.records_status) + ")");
    return broken;
  }
  for (std::size_t i = 0; i < expected; ++i) {
    if (list->descriptions[i] != facts.descriptions[i]) {
      broken.push_back("entry " + std::to_string(i) + " reads \"" + list->descriptions[i] +
                       "\" where the record says \"" + facts.descriptions[i] + "\"");
      break;
    }
  }
  return broken;
}

std::vector<std::string> CheckedListing(const std::uint8_t* data, std::size_t size) {
  ByteCursor in(data, size);
  sim::VirtualClock clock;
  ListingFacts facts;
  ListingDriver driver(in, clock, facts);
  AdapterList list;
  std::string thrown;
  bool returned = false;
  try {
    list = EnumerateAdapters(driver, clock);
    returned = true;
  } catch (const std::exception& error) {
    thrown = error.what();
  } catch (...) {
    thrown = "an exception of unknown type";
  }
  return CheckListing(facts, returned ? &list : nullptr, thrown, clock.NowUs());
}

}  // namespace trv::robustness
