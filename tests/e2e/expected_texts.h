// The programmer's own texts, byte for byte as the operator must see them.
#pragma once

namespace e2e {

// The window's title, and the headings over the file or the progress bar.
constexpr wchar_t kApplicationTitle[] = L"ZORPA TRV2K-3B Flash Programmer";
constexpr wchar_t kIdleHeading[] = L"Selected File:";
constexpr wchar_t kProgrammingHeading[] = L"Programming Flash:";
constexpr wchar_t kVerifyingHeading[] = L"Verifying Flash:";

// Information boxes (caption kInformationCaption) and error reports (caption kApplicationTitle).
constexpr wchar_t kInformationCaption[] = L"Information";
constexpr wchar_t kDeviceRequired[] = L"A device must be selected to program the TRV2K-3B Flash.";
constexpr wchar_t kRomFileRequired[] =
    L"A ROM file has not been selected.\r\nPlease select a ROM file to program into the TRV2K.";
constexpr wchar_t kOpenFailedPrefix[] = L"Failed to open ";
constexpr wchar_t kCloseFailedPrefix[] = L"Failed to close ";
constexpr wchar_t kSyncFailed[] =
    L"Failed to synchronise with TRV2K-3B.\r\nCheck programming jumper setting if available and "
    L"reset or re-power the TRV2K.";
constexpr wchar_t kAckFailed[] = L"Failed to read ACK.";
constexpr wchar_t kVerifyFailedPrefix[] = L"Failed Flash verification. (Address ";
constexpr wchar_t kProgrammed[] = L"TRV2K-3B Flash reprogrammed and verified.";
// The start-up report when no QBLINK.DLL can be found where the program looks for it.
constexpr wchar_t kLibraryMissing[] =
    L"QBLINK.DLL was not found (Windows error 126).\r\nIt must be in the program's folder or in "
    L"the Windows system folder: install the adapter's driver, or copy the file into the "
    L"program's folder.";

// The stand-in's one adapter when QBSIM_ADAPTERS is not set.
constexpr wchar_t kDefaultAdapter[] = L"QB USB Serial Adapter";

}  // namespace e2e
