// What the adapter and chip check and the reads of the flash work with: everything injected and
// owned by the application, as for a programming run.
#pragma once

#include <string>

#include "adapter/adapter_driver.h"
#include "adapter/adapter_link.h"
#include "check/check_view.h"
#include "common/clock.h"
#include "common/shared_types.h"
#include "loader/message_pump.h"

namespace trv {

// The driver library as the program found it at start-up.
struct DriverLibrary {
  AdapterDriver* driver = nullptr;  // null where it cannot be used
  std::string path;                 // the full path it was loaded from, or found at
  std::string file_version;         // empty where it has none
  // Where it cannot be used: the start-up report, its cause and what to do on two lines.
  std::string problem;
};

struct CheckTools {
  const DriverLibrary& library;
  Clock& clock;
  MessagePump& pump;
  CheckView& view;
  // The program-wide adapter and link buffers, shared with nothing else in the check's program but
  // the window's close handler (FormClose), which leaves an adapter that a check holds to it.
  AdapterSession& adapter;
  LinkBuffers& buffers;
};

}  // namespace trv
