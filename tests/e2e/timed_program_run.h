// A whole programming run of the real program, timed from the click on "Program" to the adapter's
// close: the Wine timing sets it against the wire's bound, the check's scenarios against the
// check's estimate.
#pragma once

#include <string>

#include "programmer.h"

namespace e2e {

// In three parts: from the click to the progress bar (restart into the loader, baud change,
// handshake), the two passes up to the completion message, and from the message's OK to the
// adapter's close (return to normal operation). The time the message is up waiting for its OK is
// not counted.
struct ExeRun {
  bool complete = false;
  double set_up = 0;
  double passes = 0;
  double finish = 0;

  double Total() const { return set_up + passes + finish; }
};

// The run of the image chosen in `app`, which must complete; the screen is saved as `screenshot`
// while the completion message is up, when a path is given.
ExeRun TimeExeRun(const Programmer& app, const std::wstring& screenshot);

}  // namespace e2e
