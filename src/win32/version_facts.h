// The versions a report for whoever supports the bench names: Windows' own, and a file's.
#pragma once

#include <string>

namespace trv::win32 {

// The version of Windows as the system itself states it, "10.0 build 19045", with the service
// pack where one is installed ("6.1 build 7601 Service Pack 1"): not the version that the
// compatibility settings may make the program's own calls report.
std::string WindowsVersion();

// The file version in the version resource of the file at `path`, "major.minor.patch.build";
// empty where the file has none, or cannot be read.
std::string FileVersion(const std::wstring& path);

}  // namespace trv::win32
