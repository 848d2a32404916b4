// Everything one programming run left behind, and the properties it must keep whatever the
// adapter, the chip and the ROM file did. Kept apart from running so that the checks themselves
// can be shown to catch a bad outcome.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "rom_file_actor.h"

namespace trv::robustness {

struct RunOutcome {
  std::vector<std::string> messages;  // information boxes and error reports, in order
  bool window_closed = false;
  // The run went on past any bound a run can take, and the window was closed to end it.
  bool endless = false;
  int messages_after_close = 0;
  bool controls_enabled = true;
  bool adapter_left_open = false;  // the adapter-open flag after the run
  std::size_t closes = 0;          // QB_Close calls
  std::uint32_t pending = 0;       // transmit buffer's pending count after the run
  std::vector<std::string> driver_findings;
  PassReads programming;
  PassReads verification;
  std::vector<std::uint8_t> flash_before;  // the chip's flash, 65,536 bytes each
  std::vector<std::uint8_t> flash_after;
  int open_files_before = 0;  // ROM files open
  int open_files_after = 0;

  // The run told the operator that the flash was written and verified.
  bool completed() const;
};

// The broken properties of `outcome`; empty when all held.
std::vector<std::string> CheckOutcome(const RunOutcome& outcome);

}  // namespace trv::robustness
