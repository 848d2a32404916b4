// Every text of the adapter and chip check's report: the checks' names and outcomes, what each
// check found or why it failed, and what to do then. Each is written here once; the check and its
// report take it from here. Texts are UTF-8 (all of them are ASCII). The check shows the
// programmer's own texts where it does what the programmer does: the ROM file's checks
// (operator_texts.h).
#pragma once

#include "common/operator_texts.h"

namespace trv::check_texts {

// The checks, in the order of the report, and the two reads of the flash.
constexpr char kDriverLibraryName[] = "Driver library";
constexpr char kAdapterName[] = "Adapter";
constexpr char kSerialSetUpName[] = "Serial set-up";
constexpr char kLoopbackName[] = "Loopback";
constexpr char kChipName[] = "Chip";
constexpr char kRunTimeName[] = "Time for a run";
constexpr char kFlashReadName[] = "Flash read";
constexpr char kCompareName[] = "Compare with file";

// A line of the report: "<check>: <outcome>. <what it found or why>", and where there is something
// to do, a second line "What to do: <advice>".
constexpr char kPassed[] = "passed";
constexpr char kFailed[] = "failed";
constexpr char kNotTried[] = "not tried";
constexpr char kWhatToDo[] = "What to do: ";

// Why a check was not tried: one before it failed.
constexpr char kNotTriedNoLibrary[] = "The driver library cannot be used.";
constexpr char kNotTriedNoAdapter[] = "No adapter is open.";
constexpr char kNotTriedAdapterGone[] = "The adapter stopped answering.";
constexpr char kNotTriedNoSetUp[] = "The serial port could not be set up.";
constexpr char kNotTriedLoopFailed[] =
    "Bytes came back in the loopback check: a chip is only checked on a wire that does not loop.";
constexpr char kNotTriedNoRoundTrip[] = "No round trip was measured.";
constexpr char kNotTriedNoFlash[] = "The flash could not be read.";

// What ends a text after the number the check fills in.
constexpr char kBracketEnd[] = ").";  // after a driver status or an address
constexpr char kSentenceEnd[] = ".";
constexpr char kMilliseconds[] = " ms.";

// Driver library. Where it cannot be used, the line shows the start-up report: its first line as
// the cause, its second as what to do.
constexpr char kLibraryLoadedFrom[] = "Loaded from ";  // then the full path
constexpr char kLibraryFileVersion[] = ", file version ";
constexpr char kLibraryNoFileVersion[] = ", which has no file version";
constexpr char kLibraryCallsPresent[] = "; all fourteen calls are present.";

// Adapter.
constexpr char kAdaptersListed[] = "Adapters listed: ";  // then the count
constexpr char kAdapterOpened[] = "; the chosen one opened.";
constexpr char kListFailed[] = "The driver could not list the adapters (driver status ";
constexpr char kListFailedAdvice[] =
    "Unplug the adapter, plug it in again and check again; if it stays, reinstall the adapter's "
    "driver.";
constexpr char kNoAdapterListed[] = "No adapter is listed.";
constexpr char kNoAdapterListedAdvice[] =
    "Plug the adapter in and wait until Windows has installed it; if it is still not listed, "
    "install the adapter's driver.";
constexpr char kNoAdapterChosen[] = "No adapter is chosen.";
constexpr char kNoAdapterChosenAdvice[] = "Choose the adapter from the list, then check again.";
constexpr char kOpenRefused[] = "The adapter did not open (driver status ";
constexpr char kOpenRefusedEnd[] = "): another program is using it.";
constexpr char kOpenRefusedAdvice[] =
    "Close the other program that uses the adapter (another programmer, a terminal), then check "
    "again.";
constexpr char kNotListed[] = "The chosen adapter is not listed any more (driver status ";
constexpr char kNotListedAdvice[] = "Plug it in again, choose it from the list and check again.";

// Serial set-up, and the loader's restart when the adapter refuses there what it took before.
constexpr char kSetUpAccepted[] =
    "115,200 and 1,000,000 baud, 8 data bits, 1 stop bit, no parity accepted.";
constexpr char kRefused115200[] = "The adapter refused 115,200 baud (driver status ";
constexpr char kRefused1000000[] = "The adapter refused 1,000,000 baud (driver status ";
constexpr char kRefusedFraming[] =
    "The adapter refused 8 data bits, 1 stop bit, no parity (driver status ";
constexpr char kRefusedFlowControl[] =
    "The adapter refused the flow control setting (driver status ";
constexpr char kSetUpAdvice[] =
    "The programmer needs these settings: install the adapter's current driver, or use an adapter "
    "that supports 1,000,000 baud.";
constexpr char kSetUpRefusedAtRestart[] =
    "The adapter refused the serial set-up at the loader's restart (driver status ";

// Loopback.
constexpr char kLoopIntact[] =
    "The pattern came back unchanged at 115,200 and 1,000,000 baud; round trip ";  // then the
                                                                                   // median
constexpr char kRoundTripLongest[] = " ms, at most ";  // then the longest, in ms
constexpr char kNoLoopback[] = "No loopback.";
constexpr char kLoopLost115200[] = "Bytes were lost on the loop at 115,200 baud; bytes missing: ";
constexpr char kLoopLost1000000[] =
    "Bytes were lost on the loop at 1,000,000 baud; bytes missing: ";
constexpr char kLoopChanged115200[] = "Bytes came back changed on the loop at 115,200 baud.";
constexpr char kLoopChanged1000000[] = "Bytes came back changed on the loop at 1,000,000 baud.";
constexpr char kLoopAdvice[] =
    "Check the loopback plug or jumper and the cable for a loose contact, and that the adapter "
    "really runs at the rate it was set to; then check again.";
constexpr char kTookNothing[] = "The adapter took none of the bytes to send.";
constexpr char kReplugAdvice[] =
    "Unplug the adapter, plug it in again and check again; if it stays, install the adapter's "
    "current driver.";

// Chip.
constexpr char kChipAnswered[] =
    "The loader answered at 1,000,000 baud and one block was read; round trip ";  // then ms
constexpr char kChipNotTriedLoop[] = "A loopback is connected, not a chip.";
constexpr char kNothingAnswered[] = "Nothing answered: neither a loopback nor the chip's loader.";
constexpr char kNothingAnsweredAdvice[] =
    "Check that the chip is connected with the adapter's TX to its RX and RX to its TX (swapped "
    "lines answer nothing), that it is powered, and its programming jumper and reset wiring; then "
    "check again.";
constexpr char kNotTheLoader[] = "Bytes came back, but the loader did not answer the handshake.";
constexpr char kNotTheLoaderAdvice[] =
    "The chip may run its own program instead of its loader: check its programming jumper and "
    "reset wiring, reset or re-power it and check again.";
constexpr char kConfirmOnly[] =
    "The loader answered only the confirm byte (0xFA), never a probe (0xFF).";
constexpr char kConfirmOnlyAdvice[] =
    "A run still works, but waits 3 s longer for the handshake. Reset or re-power the TRV2K and "
    "check again.";
constexpr char kRateChangeNotSent[] =
    "The adapter did not send all of the command that moves the loader to 1,000,000 baud.";
// The address is the block's flash address + 1, as the programmer counts it.
constexpr char kReadNotAcknowledged[] = "The loader did not acknowledge the read command (address ";
constexpr char kBlockShort[] =
    "The loader sent fewer than 128 bytes of the block it was asked for (address ";
constexpr char kReadAdvice[] = "Reset or re-power the TRV2K and check again.";
constexpr char kAdapterGone[] = "The adapter stopped answering (driver status ";
constexpr char kAdapterGoneAdvice[] =
    "It was unplugged or lost its power: plug it in again and check again.";

// Time for a run.
constexpr char kRunTime[] = "A programming run will take about ";  // then the seconds
constexpr char kRunTimeAt[] = " s here, at a round trip of ";      // then the milliseconds
constexpr char kLongRoundTripAdvice[] =
    "The round trip is long: most USB serial adapters' drivers have a latency setting whose "
    "default makes every reply wait. Set it to its least value in the adapter's port settings (the "
    "guide says where), then check again.";

// The flash, read without writing.
constexpr char kFlashRead[] = "65,536 bytes read.";
constexpr char kFlashSame[] = "The flash and the file are the same.";
// The address is the first differing byte's flash address + 1, as the programmer counts it.
constexpr char kFlashDiffers[] = "The flash differs from the file, first at address ";
constexpr char kFlashDiffersCount[] = " (counted from 1); bytes that differ: ";

// The plain-text report: a header, then the lines.
constexpr char kReportProgram[] = "Program: TRV2KCheck.exe ";  // then its version
constexpr char kReportWindows[] = "Windows: ";
constexpr char kReportLibrary[] = "Driver library: ";
constexpr char kReportNoLibrary[] = "not found";
constexpr char kReportAdapter[] = "Adapter: ";
constexpr char kReportNoAdapter[] = "none chosen";

}  // namespace trv::check_texts
