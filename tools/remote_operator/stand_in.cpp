#include "remote_operator/stand_in.h"

#include <stdexcept>
#include <vector>

#include "remote_operator/win_helpers.h"

namespace trv::remote {

void SetStandInFaults(const std::wstring& fault_file, const std::string& faults) {
  if (faults.empty()) {
    DeleteFileW(fault_file.c_str());
  } else if (!WriteWholeFile(fault_file,
                             std::vector<unsigned char>(faults.begin(), faults.end()))) {
    throw std::runtime_error("cannot write the fault file " + Narrow(fault_file));
  }
}

}  // namespace trv::remote
