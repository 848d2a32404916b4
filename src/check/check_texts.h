// Every text of the adapter and chip check: its window's captions, its report's lines (the checks'
// names and outcomes, what each check found or why it failed, and what to do then) and the header
// of the report as it is copied. Each is written here once; the check, its report and its window
// take it from here. Texts are UTF-8 (all of them are ASCII). The check shows the programmer's own
// texts where it does what the programmer does: the device list, the ROM file's checks and the
// file dialogs' filter (operator_texts.h).
//
// A name says how the operator meets its text, and the operator's guide is checked against them
// so: ...Message, what a line of the report says after its check and outcome, whole, with places
// %1, %2 that the check fills in (texts::FilledIn); ...Advice, what a line says to do; any other,
// a caption, or a form of the report's lines whose places the guide writes in italics.
#pragma once

namespace trv::check_texts {

// The window.
constexpr char kCheckTitle[] = "ZORPA TRV2K-3B Adapter and Chip Check";  // caption, report title
constexpr char kCheckButtonCaption[] = "Check";
constexpr char kSaveFlashButtonCaption[] = "Save flash...";
constexpr char kCompareButtonCaption[] = "Compare with file...";
constexpr char kReportHeading[] = "Report:";
constexpr char kCopyReportButtonCaption[] = "Copy report";
constexpr char kReadingHeading[] = "Reading the flash:";  // over the progress bar
// What Windows shows as the reason why the check holds up a log-off or shut-down while it holds
// the adapter.
constexpr char kCheckSessionEndBlockReason[] =
    "Checking the TRV2K-3B adapter and chip, or reading its flash.";

// The checks, in the order of the report, and the reads of the flash, saved or compared.
constexpr char kDriverLibraryName[] = "Driver library";
constexpr char kAdapterName[] = "Adapter";
constexpr char kSerialSetUpName[] = "Serial set-up";
constexpr char kLoopbackName[] = "Loopback";
constexpr char kChipName[] = "Chip";
constexpr char kRunTimeName[] = "Time for a run";
constexpr char kFlashReadName[] = "Flash read";
constexpr char kSaveFlashName[] = "Save flash";
constexpr char kCompareName[] = "Compare with file";

// A line of the report: the check, its outcome and what it found or why; and where there is
// something to do, a second line.
constexpr char kCheckLine[] = "%1: %2. %3";
constexpr char kWhatToDoLine[] = "What to do: %1";
constexpr char kPassed[] = "passed";
constexpr char kFailed[] = "failed";
constexpr char kNotTried[] = "not tried";

// Why a check was not tried: one before it failed.
constexpr char kNotTriedNoLibraryMessage[] = "The driver library cannot be used.";
constexpr char kNotTriedNoAdapterMessage[] = "No adapter is open.";
constexpr char kNotTriedAdapterGoneMessage[] = "The adapter stopped answering.";
constexpr char kNotTriedNoSetUpMessage[] = "The serial port could not be set up.";
constexpr char kNotTriedLoopFailedMessage[] =
    "Bytes came back in the loopback check: a chip is only checked on a wire that does not loop.";
constexpr char kNotTriedNoRoundTripMessage[] = "No round trip was measured.";
constexpr char kNotTriedNoFlashMessage[] = "The flash could not be read.";

// Driver library: the full path it was loaded from (%1) and its file version (%2). Where it cannot
// be used, the line shows the start-up report: its first line as the cause, its second as what to
// do.
constexpr char kLibraryLoadedMessage[] =
    "Loaded from %1, file version %2; all fourteen calls are present.";
constexpr char kLibraryLoadedNoVersionMessage[] =
    "Loaded from %1, which has no file version; all fourteen calls are present.";

// Adapter. %1 is a count or the driver's status.
constexpr char kAdaptersListedMessage[] = "Adapters listed: %1; the chosen one opened.";
constexpr char kListFailedMessage[] = "The driver could not list the adapters (driver status %1).";
constexpr char kListFailedAdvice[] =
    "Unplug the adapter, plug it in again and check again; if it stays, reinstall the adapter's "
    "driver.";
constexpr char kNoAdapterListedMessage[] = "No adapter is listed.";
constexpr char kNoAdapterListedAdvice[] =
    "Plug the adapter in and wait until Windows has installed it; if it is still not listed, "
    "install the adapter's driver.";
constexpr char kNoAdapterChosenMessage[] = "No adapter is chosen.";
constexpr char kNoAdapterChosenAdvice[] = "Choose the adapter from the list, then check again.";
constexpr char kOpenRefusedMessage[] =
    "The adapter did not open (driver status %1): another program is using it.";
constexpr char kOpenRefusedAdvice[] =
    "Close the other program that uses the adapter (another programmer, a terminal), then check "
    "again.";
constexpr char kNotListedMessage[] =
    "The chosen adapter is not listed any more (driver status %1).";
constexpr char kNotListedAdvice[] = "Plug it in again, choose it from the list and check again.";

// Serial set-up, and the loader's restart when the adapter refuses there what it took before. %1
// is the driver's status.
constexpr char kSetUpAcceptedMessage[] =
    "115,200 and 1,000,000 baud, 8 data bits, 1 stop bit, no parity accepted.";
constexpr char kRefused115200Message[] = "The adapter refused 115,200 baud (driver status %1).";
constexpr char kRefused1000000Message[] = "The adapter refused 1,000,000 baud (driver status %1).";
constexpr char kRefusedFramingMessage[] =
    "The adapter refused 8 data bits, 1 stop bit, no parity (driver status %1).";
constexpr char kRefusedFlowControlMessage[] =
    "The adapter refused the flow control setting (driver status %1).";
constexpr char kSetUpAdvice[] =
    "The programmer needs these settings: install the adapter's current driver, or use an adapter "
    "that supports 1,000,000 baud.";
constexpr char kSetUpRefusedAtRestartMessage[] =
    "The adapter refused the serial set-up at the loader's restart (driver status %1).";

// Loopback. Round trips (%1 the median, %2 the longest) in milliseconds.
constexpr char kLoopIntactMessage[] =
    "The pattern came back unchanged at 115,200 and 1,000,000 baud; round trip %1 ms, at most %2 "
    "ms.";
constexpr char kNoLoopbackMessage[] = "No loopback.";
constexpr char kLoopLost115200Message[] =
    "Bytes were lost on the loop at 115,200 baud; bytes missing: %1.";
constexpr char kLoopLost1000000Message[] =
    "Bytes were lost on the loop at 1,000,000 baud; bytes missing: %1.";
constexpr char kLoopChanged115200Message[] = "Bytes came back changed on the loop at 115,200 baud.";
constexpr char kLoopChanged1000000Message[] =
    "Bytes came back changed on the loop at 1,000,000 baud.";
constexpr char kLoopAdvice[] =
    "Check the loopback plug or jumper and the cable for a loose contact, and that the adapter "
    "really runs at the rate it was set to; then check again.";
constexpr char kTookNothingMessage[] = "The adapter took none of the bytes to send.";
constexpr char kReplugAdvice[] =
    "Unplug the adapter, plug it in again and check again; if it stays, install the adapter's "
    "current driver.";

// Chip. The round trip (%1) in milliseconds; an address (%1) is the block's flash address + 1, as
// the programmer counts it; a status (%1) is the driver's.
constexpr char kChipAnsweredMessage[] =
    "The loader answered at 1,000,000 baud and one block was read; round trip %1 ms.";
constexpr char kChipNotTriedLoopMessage[] = "A loopback is connected, not a chip.";
constexpr char kNothingAnsweredMessage[] =
    "Nothing answered: neither a loopback nor the chip's loader.";
constexpr char kNothingAnsweredAdvice[] =
    "Check that the chip is connected with the adapter's TX to its RX and RX to its TX (swapped "
    "lines answer nothing), that it is powered, and its programming jumper and reset wiring; then "
    "check again.";
constexpr char kNotTheLoaderMessage[] =
    "Bytes came back, but the loader did not answer the handshake.";
constexpr char kNotTheLoaderAdvice[] =
    "The chip may run its own program instead of its loader: check its programming jumper and "
    "reset wiring, reset or re-power it and check again.";
constexpr char kConfirmOnlyMessage[] =
    "The loader answered only the confirm byte (0xFA), never a probe (0xFF).";
constexpr char kConfirmOnlyAdvice[] =
    "A run still works, but waits 3 s longer for the handshake. Reset or re-power the TRV2K and "
    "check again.";
constexpr char kRateChangeNotSentMessage[] =
    "The adapter did not send all of the command that moves the loader to 1,000,000 baud.";
constexpr char kReadNotAcknowledgedMessage[] =
    "The loader did not acknowledge the read command (address %1).";
constexpr char kBlockShortMessage[] =
    "The loader sent fewer than 128 bytes of the block it was asked for (address %1).";
constexpr char kReadAdvice[] = "Reset or re-power the TRV2K and check again.";
// A loop sends every command back: its first byte passes for the acknowledgement, and the rest is
// all of the block that comes.
constexpr char kReadEchoedMessage[] =
    "What came back was the read command itself: a loopback is connected, not a chip.";
constexpr char kReadEchoedAdvice[] =
    "Take the loopback plug or jumper off, connect the chip and try again.";
constexpr char kAdapterGoneMessage[] = "The adapter stopped answering (driver status %1).";
constexpr char kAdapterGoneAdvice[] =
    "It was unplugged or lost its power: plug it in again and check again.";

// Time for a run: the estimate (%1) in seconds, at the round trip (%2) in milliseconds.
constexpr char kRunTimeMessage[] =
    "A programming run will take about %1 s here, at a round trip of %2 ms.";
constexpr char kLongRoundTripAdvice[] =
    "The round trip is long: most USB serial adapters' drivers have a latency setting whose "
    "default makes every reply wait. Set it to its least value in the adapter's port settings (the "
    "guide says where), then check again.";

// The flash, read without writing. The first differing byte's flash address + 1 (%1), as the
// programmer counts it, and how many bytes differ (%2); the full path of the file saved (%1).
constexpr char kFlashReadMessage[] = "65,536 bytes read.";
constexpr char kFlashSavedMessage[] = "Saved as %1.";
constexpr char kFlashSameMessage[] = "The flash and the file are the same.";
constexpr char kFlashDiffersMessage[] =
    "The flash differs from the file, first at address %1 (counted from 1); bytes that differ: %2.";

// "Copy report" could not put the report on the clipboard, with the system's code (%1).
constexpr char kCopyFailedMessage[] =
    "The report could not be copied: another program may be holding the clipboard (Windows error "
    "%1). Try again.";

// The header of the report as it is copied: the program's version, the Windows version, the
// driver library's full path and file version, and the chosen adapter's description.
constexpr char kProgramLine[] = "Program: TRV2KCheck.exe %1";
constexpr char kWindowsLine[] = "Windows: %1";
constexpr char kLibraryLine[] = "Driver library: %1, file version %2";
constexpr char kLibraryNoVersionLine[] = "Driver library: %1, which has no file version";
constexpr char kNoLibraryLine[] = "Driver library: not found";
constexpr char kAdapterLine[] = "Adapter: %1";
constexpr char kNoAdapterLine[] = "Adapter: none chosen";

}  // namespace trv::check_texts
