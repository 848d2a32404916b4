// The programming run behind the "Program" button, and the close handler's adapter safety net.
#pragma once

#include "adapter/adapter_driver.h"
#include "adapter/adapter_link.h"
#include "common/clock.h"
#include "common/rom_file.h"
#include "common/shared_types.h"
#include "common/window_operations.h"
#include "loader/message_pump.h"

namespace trv {

// Program-wide state: the one adapter handle with its open flag, and the two link buffers.
struct ProgrammerState {
  AdapterSession adapter;
  LinkBuffers buffers;
};

// What a run works with; everything is injected and owned by the application.
struct Programmer {
  AdapterDriver& driver;
  Clock& clock;
  WindowOperations& window;
  MessagePump& pump;
  RomFileSystem& files;
  ProgrammerState& state;
};

// One programming run from the input checks to the adapter's close. Every way out leaves the
// input controls enabled, unless the window was closed during the run.
void ProgramButtonClick(Programmer& programmer);

// Closes the adapter if a run left it open (the window is closing); the status is ignored. A run
// that is returning the chip to normal operation keeps the adapter until the chip has restarted
// and then closes it itself.
void FormClose(AdapterDriver& driver, ProgrammerState& state);

}  // namespace trv
