#include "win32/qblink_library.h"

#include <cstdio>
#include <cstring>
#include <type_traits>

#include "common/operator_texts.h"
#include "win32/entry_points.h"
#include "win32/library_search.h"
#include "win32/win32_text.h"

namespace trv::win32 {
namespace {

void* LibraryHandle(AdapterHandle handle) {
  return reinterpret_cast<void*>(handle);
}

// What Wine reports where Windows reports ERROR_PROC_NOT_FOUND.
constexpr DWORD kWineProcedureNotFound = 317;
// Windows' error codes are below this; a larger code is an exception's, passed on as raised.
constexpr DWORD kFirstExceptionCode = 0x10000;
// How much of a library's file is read for its headers: the DOS header, the PE header that it
// points to near by, and the table of sections after it.
constexpr DWORD kHeadersRead = 4096;

// What a library's file is, from its headers.
enum class LibraryFile { kDamaged, k32Bit, k64Bit };

// Whether each section's data, as the table of sections says where it lies, is within the file's
// `size`: a copy cut short ends before its last section.
bool SectionsWithin(const unsigned char* headers, DWORD read, DWORD table, WORD sections,
                    ULONGLONG size) {
  if (table > read || sections > (read - table) / sizeof(IMAGE_SECTION_HEADER)) {
    return false;
  }
  for (WORD i = 0; i < sections; ++i) {
    IMAGE_SECTION_HEADER section;
    std::memcpy(&section, headers + table + i * sizeof(section), sizeof(section));
    if (ULONGLONG{section.PointerToRawData} + section.SizeOfRawData > size) {
      return false;
    }
  }
  return true;
}

// Damaged where the file is no Windows program or library, or is shorter than its headers say.
LibraryFile JudgeLibraryFile(const std::wstring& path) {
  const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    return LibraryFile::kDamaged;
  }
  unsigned char headers[kHeadersRead];
  DWORD read = 0;
  LARGE_INTEGER size{};
  const BOOL read_ok =
      ReadFile(file, headers, sizeof(headers), &read, nullptr) && GetFileSizeEx(file, &size);
  CloseHandle(file);
  IMAGE_DOS_HEADER dos;
  if (!read_ok || read < sizeof(dos)) {
    return LibraryFile::kDamaged;
  }
  std::memcpy(&dos, headers, sizeof(dos));
  DWORD signature = 0;
  IMAGE_FILE_HEADER header;
  const auto at = static_cast<DWORD>(dos.e_lfanew);
  if (dos.e_magic != IMAGE_DOS_SIGNATURE || at > read - sizeof(signature) - sizeof(header)) {
    return LibraryFile::kDamaged;
  }
  std::memcpy(&signature, headers + at, sizeof(signature));
  std::memcpy(&header, headers + at + sizeof(signature), sizeof(header));
  const DWORD table = at + sizeof(signature) + sizeof(header) + header.SizeOfOptionalHeader;
  if (signature != IMAGE_NT_SIGNATURE ||
      !SectionsWithin(headers, read, table, header.NumberOfSections,
                      static_cast<ULONGLONG>(size.QuadPart))) {
    return LibraryFile::kDamaged;
  }
  switch (header.Machine) {
    case IMAGE_FILE_MACHINE_I386:
      return LibraryFile::k32Bit;
    case IMAGE_FILE_MACHINE_AMD64:
    case IMAGE_FILE_MACHINE_ARM64:
    case IMAGE_FILE_MACHINE_IA64:
      return LibraryFile::k64Bit;
    default:
      return LibraryFile::kDamaged;
  }
}

// The report for the library's file `found` that failed to load with the system's `error`.
const char* ReportFor(DWORD error, const std::wstring& found) {
  if (error >= kFirstExceptionCode) {
    return texts::kLibraryStartCrashedReport;
  }
  switch (error) {
    case ERROR_MOD_NOT_FOUND:  // a library it needs, as the file itself is there
      return texts::kLibraryDependencyMissingReport;
    case ERROR_BAD_EXE_FORMAT:  // the file itself, or a library it needs
      switch (JudgeLibraryFile(found)) {
        case LibraryFile::k32Bit:
          return texts::kLibraryDependencyNot32BitReport;
        case LibraryFile::k64Bit:
          return texts::kLibrary64BitReport;
        default:
          return texts::kLibraryDamagedReport;
      }
    case ERROR_FILE_INVALID:  // an empty file, on some systems
      return texts::kLibraryDamagedReport;
    case ERROR_PROC_NOT_FOUND:
    case kWineProcedureNotFound:
      return texts::kLibraryDependencyTooOldReport;
    case ERROR_DLL_INIT_FAILED:
    case ERROR_NOACCESS:        // its start-up crashed on an access violation
    case ERROR_STACK_OVERFLOW:  // or overflowed its stack
      return texts::kLibraryStartFailedReport;
    default:
      return texts::kLibraryNotLoadedReport;
  }
}

// An exception's code as Windows names it in its reports of crashes: 0xC0000094.
std::string ExceptionCode(DWORD code) {
  char hex[11];
  std::snprintf(hex, sizeof(hex), "0x%08lX", static_cast<unsigned long>(code));
  return hex;
}

}  // namespace

std::wstring QblinkLibrary::LoadFailureReport(const wchar_t* library_name, DWORD error) {
  const std::wstring found = FoundInProgramOrSystemFolder(library_name);
  if (found.empty()) {
    return WideFromUtf8(texts::FilledIn(texts::kLibraryNotFoundReport,
                                        {Utf8FromWide(library_name), std::to_string(error)}));
  }
  const std::string code =
      error >= kFirstExceptionCode ? ExceptionCode(error) : std::to_string(error);
  return WideFromUtf8(texts::FilledIn(ReportFor(error, found), {Utf8FromWide(found), code}));
}

std::unique_ptr<QblinkLibrary> QblinkLibrary::Load(const wchar_t* library_name,
                                                   std::wstring* problem) {
  const HMODULE module = LoadFromProgramOrSystemFolder(library_name);
  if (module == nullptr) {
    *problem = LoadFailureReport(library_name, GetLastError());
    return nullptr;
  }
  Entries entries{};
  const char* missing = nullptr;
  auto bind = [&](const char* name, auto* entry) {
    *entry = ExportedEntry<std::remove_pointer_t<decltype(entry)>>(module, name);
    if (*entry == nullptr && missing == nullptr) {
      missing = name;
    }
  };
  bind("QB_CreateDeviceInfoList", &entries.create_device_info_list);
  bind("QB_GetDeviceInfoList", &entries.get_device_info_list);
  bind("QB_OpenEx", &entries.open_ex);
  bind("QB_Close", &entries.close);
  bind("QB_SetBitMode", &entries.set_bit_mode);
  bind("QB_SetRts", &entries.set_rts);
  bind("QB_SetDtr", &entries.set_dtr);
  bind("QB_SetBaudRate", &entries.set_baud_rate);
  bind("QB_SetDataCharacteristics", &entries.set_data_characteristics);
  bind("QB_SetFlowControl", &entries.set_flow_control);
  bind("QB_SetTimeouts", &entries.set_timeouts);
  bind("QB_GetQueueStatus", &entries.get_queue_status);
  bind("QB_Read", &entries.read);
  bind("QB_Write", &entries.write);
  if (missing != nullptr) {
    *problem = WideFromUtf8(texts::FilledIn(texts::kLibraryEntryMissingReport,
                                            {Utf8FromWide(ModulePath(module)), missing}));
    FreeLibrary(module);
    return nullptr;
  }
  return std::unique_ptr<QblinkLibrary>(new QblinkLibrary(module, entries));
}

QblinkLibrary::~QblinkLibrary() {
  FreeLibrary(module_);
}

StatusResult QblinkLibrary::QB_CreateDeviceInfoList(std::uint32_t* count) {
  return entries_.create_device_info_list(count);
}

StatusResult QblinkLibrary::QB_GetDeviceInfoList(AdapterInfoRecord* records, std::uint32_t* count) {
  return entries_.get_device_info_list(records, count);
}

StatusResult QblinkLibrary::QB_OpenEx(const char* description, std::uint32_t flags,
                                      AdapterHandle* handle) {
  Handle opened = nullptr;
  const StatusResult status = entries_.open_ex(description, flags, &opened);
  *handle = reinterpret_cast<AdapterHandle>(opened);
  return status;
}

StatusResult QblinkLibrary::QB_Close(AdapterHandle handle) {
  return entries_.close(LibraryHandle(handle));
}

StatusResult QblinkLibrary::QB_SetBitMode(AdapterHandle handle, std::uint8_t mask,
                                          std::uint8_t mode) {
  return entries_.set_bit_mode(LibraryHandle(handle), mask, mode);
}

StatusResult QblinkLibrary::QB_SetRts(AdapterHandle handle) {
  return entries_.set_rts(LibraryHandle(handle));
}

StatusResult QblinkLibrary::QB_SetDtr(AdapterHandle handle) {
  return entries_.set_dtr(LibraryHandle(handle));
}

StatusResult QblinkLibrary::QB_SetBaudRate(AdapterHandle handle, std::uint32_t baud) {
  return entries_.set_baud_rate(LibraryHandle(handle), baud);
}

StatusResult QblinkLibrary::QB_SetDataCharacteristics(AdapterHandle handle,
                                                      std::uint8_t word_length,
                                                      std::uint8_t stop_bits, std::uint8_t parity) {
  return entries_.set_data_characteristics(LibraryHandle(handle), word_length, stop_bits, parity);
}

StatusResult QblinkLibrary::QB_SetFlowControl(AdapterHandle handle, std::uint16_t flow,
                                              std::uint8_t xon, std::uint8_t xoff) {
  return entries_.set_flow_control(LibraryHandle(handle), flow, xon, xoff);
}

StatusResult QblinkLibrary::QB_SetTimeouts(AdapterHandle handle, std::uint32_t read_ms,
                                           std::uint32_t write_ms) {
  return entries_.set_timeouts(LibraryHandle(handle), read_ms, write_ms);
}

StatusResult QblinkLibrary::QB_GetQueueStatus(AdapterHandle handle, std::uint32_t* waiting) {
  return entries_.get_queue_status(LibraryHandle(handle), waiting);
}

StatusResult QblinkLibrary::QB_Read(AdapterHandle handle, void* buffer, std::uint32_t count,
                                    std::uint32_t* read) {
  return entries_.read(LibraryHandle(handle), buffer, count, read);
}

StatusResult QblinkLibrary::QB_Write(AdapterHandle handle, const void* buffer, std::uint32_t count,
                                     std::uint32_t* written) {
  return entries_.write(LibraryHandle(handle), buffer, count, written);
}

}  // namespace trv::win32
