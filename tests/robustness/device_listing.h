// The adapter enumeration behind the device list, against a driver whose two calls a byte string
// decides: absurd counts, lists that stay busy, failing statuses, records beyond the count asked
// for (up to the spare room the lister keeps), reported counts that disagree, descriptions that
// fill their field with no zero byte. The properties it must keep are checked after each.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "adapter/adapter_link.h"

namespace trv::robustness {

// What the driver did during one enumeration; the expected list follows from it.
struct ListingFacts {
  std::size_t count_calls = 0;            // QB_CreateDeviceInfoList calls
  StatusResult count_status = 0;          // the last one's status
  std::uint32_t count = 0;                // and count
  std::size_t record_calls = 0;           // QB_GetDeviceInfoList calls
  std::uint32_t asked = 0;                // records the lister made room for
  StatusResult records_status = 0;        // the record call's status
  std::uint32_t reported = 0;             // the count it handed back
  std::vector<std::string> descriptions;  // what each record filled in says
  std::uint64_t call_us = 0;              // how long each driver call takes
  std::vector<std::string> other_calls;   // calls that do not belong in a listing
};

// The broken properties of one enumeration: `list` is its result (nullptr when it threw, with
// `thrown` saying what), `elapsed_us` how long it took.
std::vector<std::string> CheckListing(const ListingFacts& facts, const AdapterList* list,
                                      const std::string& thrown, std::uint64_t elapsed_us);

// Enumerates the adapters once against the driver `data` decides, and checks the result.
std::vector<std::string> CheckedListing(const std::uint8_t* data, std::size_t size);

}  // namespace trv::robustness
