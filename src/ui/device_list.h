// The device combo box, rebuilt from the driver each time its list opens: the programmer's and the
// check's, filled the same way.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "adapter/adapter_driver.h"
#include "common/clock.h"
#include "loader/message_pump.h"

namespace trv::ui {

// Empties `combo` and its text, pumps the window once (and stops if it was closed meanwhile), then
// lists the adapters the driver enumerates, in its order; where it answers that none is attached,
// has `show_information` show the operator so, and on any other failure lists nothing.
void FillDeviceList(HWND combo, AdapterDriver& driver, Clock& clock, MessagePump& pump,
                    const std::function<void(const std::string&)>& show_information);

}  // namespace trv::ui
