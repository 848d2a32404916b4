// Every text the operator can see: the window's captions, the file dialog's filter, and the
// messages of the information boxes and error reports. Each is written here once; the window, the
// run, the passes and the device list take it from here. Texts are UTF-8 (all of them are ASCII).
// A name says how the operator meets its text, and the operator's guide is checked against them
// so: ...Message or ...Report, a whole message, whose places %1, %2 the program fills in;
// ...Prefix, the start of a message the program completes; ...Text, the start of an error report
// on the ROM file; ...Suffix, the end of a message; any other, a caption.
#pragma once

#include <initializer_list>
#include <string>

namespace trv::texts {

// The window.
constexpr char kApplicationTitle[] = "ZORPA TRV2K-3B Flash Programmer";  // caption and report title
constexpr char kDeviceLabel[] = "Select a device:";                      // Label1
constexpr char kIdleHeading[] = "Selected File:";                        // Label2 between runs
constexpr char kProgrammingHeading[] = "Programming Flash:";             // Label2 while writing
constexpr char kVerifyingHeading[] = "Verifying Flash:";  // Label2 while reading back
constexpr char kOpenButtonCaption[] = "ROM File...";
constexpr char kProgramButtonCaption[] = "Program";
constexpr char kInformationCaption[] = "Information";  // caption of every information box
// What Windows shows as the reason why the program holds up a log-off or shut-down during a run.
constexpr char kSessionEndBlockReason[] = "Programming the TRV2K-3B flash.";

// The file dialog's one filter: the name the operator sees, and the pattern that picks the files.
constexpr char kRomFileFilterName[] = "ROM Files (*.ROM)";
constexpr char kRomFileFilterPattern[] = "*.ROM";

// Information boxes of the programming run.
constexpr char kNoDeviceMessage[] = "A device must be selected to program the TRV2K-3B Flash.";
constexpr char kNoFileMessage[] =
    "A ROM file has not been selected.\r\nPlease select a ROM file to program into the TRV2K.";
constexpr char kWrongSizeMessage[] = "The ROM file selected does not have a size of 64K.";
constexpr char kOpenFailedMessage[] = "Failed to open ";    // followed by the device description
constexpr char kCloseFailedMessage[] = "Failed to close ";  // followed by the device description
constexpr char kUartInitFailedMessage[] = "Failed to initialise UART.";
constexpr char kLoaderBaudFailedMessage[] = "Failed to initialise TRV2K.";
constexpr char kUartSetupFailedMessage[] = "Failed to set up UART.";
constexpr char kSyncFailedMessage[] =
    "Failed to synchronise with TRV2K-3B.\r\nCheck programming jumper setting if available and "
    "reset or re-power the TRV2K.";

// Information boxes of the two passes. The address messages end in the flash address + 1, in
// decimal, and a closing bracket.
constexpr char kAckFailedMessage[] = "Failed to read ACK.";
constexpr char kReadBackFailedPrefix[] = "Failed to read back Flash data. (Address ";
constexpr char kMismatchPrefix[] = "Failed Flash verification. (Address ";
constexpr char kAddressSuffix[] = ")";
constexpr char kVerifiedMessage[] = "TRV2K-3B Flash reprogrammed and verified.";

// Information box of the device list.
constexpr char kNoDevicesMessage[] = "No devices found.";

// Error reports on the ROM file, by I/O error code, before the full stop is added.
constexpr char kFileNotFoundText[] = "File not found";                // 2
constexpr char kInvalidFilenameText[] = "Invalid filename";           // 3
constexpr char kTooManyOpenFilesText[] = "Too many open files";       // 4
constexpr char kFileAccessDeniedText[] = "File access denied";        // 5
constexpr char kReadBeyondEndText[] = "Read beyond end of file";      // 100
constexpr char kDiskFullText[] = "Disk full";                         // 101
constexpr char kInvalidNumericInputText[] = "Invalid numeric input";  // 106
constexpr char kOtherIoErrorPrefix[] = "I/O error ";                  // followed by the code

// Error report when a handler of the window failed unexpectedly (it ran out of memory, say): the
// operation was stopped, the adapter closed and the window handed back.
constexpr char kUnexpectedErrorMessage[] = "An unexpected error stopped the operation.";

// Error reports at start-up, when the driver library cannot be used. Each names the library (%1)
// by the full path of the file found, so that an operator with copies in two folders knows which
// one is meant, or by its file name where none was found; says what went wrong, with the system's
// code (%2); and on its second line what to do. Windows answers 126 both when the library is
// nowhere and when a library that it needs is missing, and 193 both for a library that is not
// 32-bit and for one it needs; the program tells them apart by looking at the file itself.
constexpr char kLibraryNotFoundReport[] =
    "%1 was not found (Windows error %2).\r\nIt must be in the program's folder or in the Windows "
    "system folder: install the adapter's driver, or copy the file into the program's folder.";
constexpr char kLibraryDependencyMissingReport[] =
    "%1 was found, but a library it needs is missing (Windows error %2).\r\nReinstall the "
    "adapter's driver.";
constexpr char kLibraryDependencyNot32BitReport[] =
    "%1 was found, but a library it needs is not a 32-bit Windows library (Windows error "
    "%2).\r\nReinstall the adapter's driver.";
// 127, or 317 under Wine: a library it needs lacks a call.
constexpr char kLibraryDependencyTooOldReport[] =
    "%1 needs a newer version of a library it uses (Windows error %2).\r\nInstall the adapter's "
    "current driver, and the updates Windows offers.";
constexpr char kLibrary64BitReport[] =
    "%1 is a 64-bit library (Windows error %2).\r\nReplace it with the 32-bit version from the "
    "adapter's driver.";
// No Windows library at all, or shorter than its own headers say, as a copy cut short is.
constexpr char kLibraryDamagedReport[] =
    "%1 is damaged or not a 32-bit Windows library (Windows error %2).\r\nReplace it with the "
    "32-bit version from the adapter's driver.";
// Its start-up refused (1114) or crashed with a fault that Windows gives an error code of its own
// (998 for an access violation, 1001 for a stack overflow).
constexpr char kLibraryStartFailedReport[] =
    "%1 failed to start (Windows error %2).\r\nReinstall the adapter's driver, then start the "
    "program again.";
// Its start-up crashed with any other exception (a division by zero, an invalid instruction, a C++
// exception), whose code Windows passes on as it was raised; %2 is that code in hexadecimal
// (0xC0000094), as Windows names crashes, for it is no Windows error number.
constexpr char kLibraryStartCrashedReport[] =
    "%1 failed to start (exception %2).\r\nReinstall the adapter's driver, then start the program "
    "again.";
// Any other code.
constexpr char kLibraryNotLoadedReport[] =
    "%1 could not be loaded (Windows error %2).\r\nIt must be the adapter driver's 32-bit library, "
    "in the program's folder or in the Windows system folder.";
// The library loaded but lacks a call the program needs: %2 is the call's name.
constexpr char kLibraryEntryMissingReport[] =
    "%1 has no entry point %2.\r\nInstall the adapter's current driver.";

// `text` with each of its places %1, %2, ... replaced by the value given for it, in order.
std::string FilledIn(const char* text, std::initializer_list<std::string> values);

}  // namespace trv::texts
