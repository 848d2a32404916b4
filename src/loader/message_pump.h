// How the loader's waits, the passes and the run hand the window its messages while they work.
// The window implements it; tests script it.
#pragma once

#include <cstdint>

namespace trv {

// What one pump of the window's messages tells the code that pumped.
struct PumpReport {
  // False once the window has been closed: the caller must then stop at once, with no further
  // driver call and no message.
  bool window_open = true;
  // Time the window's thread spent in this pump inside a modal loop that the operator holds
  // (moving or sizing the window, its menu open), in microseconds. The loop runs inside the pump
  // for as long as the operator holds it; the reply waits leave that time out of their own.
  std::uint64_t held_us = 0;
};

class MessagePump {
 public:
  virtual ~MessagePump() = default;

  // Hands the window the messages pending now, repaints it and returns within a bounded time,
  // unless the operator holds it in a modal loop; then it returns as soon as the loop has ended.
  virtual PumpReport PumpMessages() = 0;
};

}  // namespace trv
