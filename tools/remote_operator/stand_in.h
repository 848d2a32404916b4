// The stand-in QBLINK.DLL beside the programmer, as the remote operator sets it: through the
// programmer's environment when it starts (QBSIM_FLASH, QBSIM_LOG, ...; see sim/README.md), and
// through a fault file between runs.
#pragma once

#include <string>

namespace trv::remote {

// The adapter latency the stand-in is given (QBSIM_LATENCY_MS): small, so that a whole run takes
// seconds.
constexpr unsigned kStandInLatencyMs = 1;

// Writes `faults` ("name=value,...") into the fault file that the stand-in reads at the next
// QB_OpenEx (QBSIM_FAULTS_FILE), or removes the file when there are none. Throws
// std::runtime_error when the file cannot be written.
void SetStandInFaults(const std::wstring& fault_file, const std::string& faults);

}  // namespace trv::remote
