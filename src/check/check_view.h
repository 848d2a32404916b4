// What the adapter and chip check shows, and how: the lines of its report, one per check, and the
// progress of a read of the flash. The check's window implements CheckView; tests record it. The
// window's messages are pumped through MessagePump (loader/message_pump.h).
#pragma once

#include <cstdint>
#include <string>

namespace trv {

// The checks in the order of the report, then the reads of the flash: saved or compared.
enum class CheckId {
  kDriverLibrary,
  kAdapter,
  kSerialSetUp,
  kLoopback,
  kChip,
  kRunTime,
  kFlashRead,
  kSaveFlash,  // shown by the window, which writes the file
  kCompare,
};

enum class Outcome { kPassed, kFailed, kNotTried };

// One line of the report. A check that could not run because one before it failed is not tried,
// and says why.
struct CheckLine {
  CheckId check;
  Outcome outcome;
  std::string text;    // what the check found; the cause where it failed; why it was not tried
  std::string advice;  // what to do; empty where there is nothing to do
};

class CheckView {
 public:
  virtual ~CheckView() = default;

  // A line of the report, as soon as its check has ended.
  virtual void ShowLine(const CheckLine& line) = 0;
  // How much of the flash a read has brought in: 0 to 65,536 bytes.
  virtual void ShowReadProgress(std::uint32_t bytes_read) = 0;
};

}  // namespace trv
