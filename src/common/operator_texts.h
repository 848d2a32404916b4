// Every text the operator can see: the window's captions, the file dialog's filter, and the
// messages of the information boxes and error reports. Each is written here once; the window, the
// run, the passes and the device list take it from here. Texts are UTF-8 (all of them are ASCII).
// Each is also listed in kOperatorTexts at the end, with how the operator's guide shows it.
#pragma once

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

// Error reports at start-up, when the driver library cannot be used. Each follows the library's
// full path where a file of its name was found (so that an operator with copies in two folders
// knows which one is meant), else its file name. The first line says what went wrong, with the
// system's code, the second what to do: "QBLINK.DLL was not found (Windows error 126).\r\nIt must
// be in ...". Windows answers 126 both when the library is nowhere and when a library that it
// needs is missing, and 193 both for a library that is not 32-bit and for one it needs; the
// program tells them apart by looking at the file itself.
constexpr char kLibraryNotFoundPrefix[] = " was not found (Windows error ";
constexpr char kLibraryNotFoundSuffix[] =
    ").\r\nIt must be in the program's folder or in the Windows system folder: install the "
    "adapter's driver, or copy the file into the program's folder.";
constexpr char kLibraryDependencyMissingPrefix[] =
    " was found, but a library it needs is missing (Windows error ";
constexpr char kLibraryDependencyMissingSuffix[] = ").\r\nReinstall the adapter's driver.";
constexpr char kLibraryDependencyNot32BitPrefix[] =
    " was found, but a library it needs is not a 32-bit Windows library (Windows error ";
// 127, or 317 under Wine: a library it needs lacks a call.
constexpr char kLibraryDependencyTooOldPrefix[] =
    " needs a newer version of a library it uses (Windows error ";
constexpr char kLibraryDependencyTooOldSuffix[] =
    ").\r\nInstall the adapter's current driver, and the updates Windows offers.";
constexpr char kLibrary64BitPrefix[] = " is a 64-bit library (Windows error ";
constexpr char kLibraryDamagedPrefix[] =
    " is damaged or not a 32-bit Windows library (Windows error ";
constexpr char kLibraryReplaceSuffix[] =
    ").\r\nReplace it with the 32-bit version from the adapter's driver.";
// 1114, or 998 where its start-up crashed.
constexpr char kLibraryStartFailedPrefix[] = " failed to start (Windows error ";
constexpr char kLibraryStartFailedSuffix[] =
    ").\r\nReinstall the adapter's driver, then start the program again.";
// Any other code.
constexpr char kLibraryNotLoadedPrefix[] = " could not be loaded (Windows error ";
constexpr char kLibraryNotLoadedSuffix[] =
    ").\r\nIt must be the adapter driver's 32-bit library, in the program's folder or in the "
    "Windows system folder.";
// The library loaded but lacks a call the program needs; the call's name follows.
constexpr char kLibraryEntryMissingPrefix[] = " has no entry point ";
constexpr char kLibraryEntryMissingSuffix[] = ".\r\nInstall the adapter's current driver.";

// How the operator meets a text.
enum class TextUse {
  kCaption,      // on the window, a box, the file dialog or Windows' own list: quoted in the guide
  kMessage,      // a message: a row of the guide's Messages tables
  kMessageEnd,   // what ends a message after the part the program fills in
  kIoErrorText,  // the start of an error report on the ROM file, picked by the I/O error code
};

// A text, and for a message the program completes, the rest of the message as the operator's
// guide (docs/operator-guide.md) writes it: `before` the text, then what the program fills in
// (in italics), then its end.
struct OperatorText {
  const char* name;
  const char* text;
  TextUse use;
  const char* before = "";
  const char* filled_in = "";
  const char* end = "";
};

// What stands in front of a start-up report: the driver library's file name where none was
// found, else the full path of the file found.
constexpr const char* kLibraryBefore = "QBLINK.DLL";
constexpr const char* kFoundLibraryBefore = "*folder*\\QBLINK.DLL";

// Every text above once: the table the operator's guide is checked against.
inline constexpr OperatorText kOperatorTexts[] = {
    {"kApplicationTitle", kApplicationTitle, TextUse::kCaption},
    {"kDeviceLabel", kDeviceLabel, TextUse::kCaption},
    {"kIdleHeading", kIdleHeading, TextUse::kCaption},
    {"kProgrammingHeading", kProgrammingHeading, TextUse::kCaption},
    {"kVerifyingHeading", kVerifyingHeading, TextUse::kCaption},
    {"kOpenButtonCaption", kOpenButtonCaption, TextUse::kCaption},
    {"kProgramButtonCaption", kProgramButtonCaption, TextUse::kCaption},
    {"kInformationCaption", kInformationCaption, TextUse::kCaption},
    {"kSessionEndBlockReason", kSessionEndBlockReason, TextUse::kCaption},
    {"kRomFileFilterName", kRomFileFilterName, TextUse::kCaption},
    {"kRomFileFilterPattern", kRomFileFilterPattern, TextUse::kCaption},
    {"kNoDeviceMessage", kNoDeviceMessage, TextUse::kMessage},
    {"kNoFileMessage", kNoFileMessage, TextUse::kMessage},
    {"kWrongSizeMessage", kWrongSizeMessage, TextUse::kMessage},
    {"kOpenFailedMessage", kOpenFailedMessage, TextUse::kMessage, "", "*device description*"},
    {"kCloseFailedMessage", kCloseFailedMessage, TextUse::kMessage, "", "*device description*"},
    {"kUartInitFailedMessage", kUartInitFailedMessage, TextUse::kMessage},
    {"kLoaderBaudFailedMessage", kLoaderBaudFailedMessage, TextUse::kMessage},
    {"kUartSetupFailedMessage", kUartSetupFailedMessage, TextUse::kMessage},
    {"kSyncFailedMessage", kSyncFailedMessage, TextUse::kMessage},
    {"kAckFailedMessage", kAckFailedMessage, TextUse::kMessage},
    {"kReadBackFailedPrefix", kReadBackFailedPrefix, TextUse::kMessage, "", "*number*",
     kAddressSuffix},
    {"kMismatchPrefix", kMismatchPrefix, TextUse::kMessage, "", "*number*", kAddressSuffix},
    {"kAddressSuffix", kAddressSuffix, TextUse::kMessageEnd},
    {"kVerifiedMessage", kVerifiedMessage, TextUse::kMessage},
    {"kNoDevicesMessage", kNoDevicesMessage, TextUse::kMessage},
    {"kFileNotFoundText", kFileNotFoundText, TextUse::kIoErrorText},
    {"kInvalidFilenameText", kInvalidFilenameText, TextUse::kIoErrorText},
    {"kTooManyOpenFilesText", kTooManyOpenFilesText, TextUse::kIoErrorText},
    {"kFileAccessDeniedText", kFileAccessDeniedText, TextUse::kIoErrorText},
    {"kReadBeyondEndText", kReadBeyondEndText, TextUse::kIoErrorText},
    {"kDiskFullText", kDiskFullText, TextUse::kIoErrorText},
    {"kInvalidNumericInputText", kInvalidNumericInputText, TextUse::kIoErrorText},
    {"kOtherIoErrorPrefix", kOtherIoErrorPrefix, TextUse::kIoErrorText},
    {"kUnexpectedErrorMessage", kUnexpectedErrorMessage, TextUse::kMessage},
    {"kLibraryNotFoundPrefix", kLibraryNotFoundPrefix, TextUse::kMessage, kLibraryBefore,
     "*number*", kLibraryNotFoundSuffix},
    {"kLibraryNotFoundSuffix", kLibraryNotFoundSuffix, TextUse::kMessageEnd},
    {"kLibraryDependencyMissingPrefix", kLibraryDependencyMissingPrefix, TextUse::kMessage,
     kFoundLibraryBefore, "*number*", kLibraryDependencyMissingSuffix},
    {"kLibraryDependencyMissingSuffix", kLibraryDependencyMissingSuffix, TextUse::kMessageEnd},
    {"kLibraryDependencyNot32BitPrefix", kLibraryDependencyNot32BitPrefix, TextUse::kMessage,
     kFoundLibraryBefore, "*number*", kLibraryDependencyMissingSuffix},
    {"kLibraryDependencyTooOldPrefix", kLibraryDependencyTooOldPrefix, TextUse::kMessage,
     kFoundLibraryBefore, "*number*", kLibraryDependencyTooOldSuffix},
    {"kLibraryDependencyTooOldSuffix", kLibraryDependencyTooOldSuffix, TextUse::kMessageEnd},
    {"kLibrary64BitPrefix", kLibrary64BitPrefix, TextUse::kMessage, kFoundLibraryBefore, "*number*",
     kLibraryReplaceSuffix},
    {"kLibraryDamagedPrefix", kLibraryDamagedPrefix, TextUse::kMessage, kFoundLibraryBefore,
     "*number*", kLibraryReplaceSuffix},
    {"kLibraryReplaceSuffix", kLibraryReplaceSuffix, TextUse::kMessageEnd},
    {"kLibraryStartFailedPrefix", kLibraryStartFailedPrefix, TextUse::kMessage, kFoundLibraryBefore,
     "*number*", kLibraryStartFailedSuffix},
    {"kLibraryStartFailedSuffix", kLibraryStartFailedSuffix, TextUse::kMessageEnd},
    {"kLibraryNotLoadedPrefix", kLibraryNotLoadedPrefix, TextUse::kMessage, kFoundLibraryBefore,
     "*number*", kLibraryNotLoadedSuffix},
    {"kLibraryNotLoadedSuffix", kLibraryNotLoadedSuffix, TextUse::kMessageEnd},
    {"kLibraryEntryMissingPrefix", kLibraryEntryMissingPrefix, TextUse::kMessage,
     kFoundLibraryBefore, "*function name*", kLibraryEntryMissingSuffix},
    {"kLibraryEntryMissingSuffix", kLibraryEntryMissingSuffix, TextUse::kMessageEnd},
};

}  // namespace trv::texts
