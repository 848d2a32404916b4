// Names that screen readers give two of the controls. A screen reader names a control by the
// label created just before it: the fixed creation order puts "Selected File:" before the device
// box and no label before the progress bar. The names are annotated onto the controls instead,
// and the order and the captions stay.
#pragma once

#include <windows.h>

#include <string>

namespace trv::ui {

// Has screen readers call `control` by `name`. Where the system offers no such service (COM not
// started, or Wine, which only stubs it), the control keeps the name its label gives it: nothing
// the operator sees depends on it.
void NameForScreenReaders(HWND control, const std::string& name);

}  // namespace trv::ui
