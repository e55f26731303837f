// The faults a walk through a save tries: every counted call failing, and
// every write cut short (FaultKind::kFail, kShortWrite); or every call
// ending the process, and every write torn by the end (kCrash, kTornWrite).
#ifndef TALIQ_TESTS_SUPPORT_FAULT_CASES_H_
#define TALIQ_TESTS_SUPPORT_FAULT_CASES_H_

#include <string>
#include <vector>

#include "tests/support/fault_platform.h"

namespace taliq::test {

struct FaultCase {
  int at = 0;  // the call, 1-based
  FaultKind kind = FaultKind::kFail;
  CallKind call = CallKind::kOpen;

  // "call 7 (write): short write"
  std::string Describe() const {
    return "call " + std::to_string(at) + " (" + CallKindName(call) + "): " + FaultKindName(kind);
  }
};

// For the calls of a save in `log` (FaultPlatform::log() of a run without
// a fault): the failing cases (`crash` false) or the crashing ones.
inline std::vector<FaultCase> FaultCasesOf(const std::vector<CallKind>& log, bool crash) {
  std::vector<FaultCase> cases;
  for (size_t i = 0; i < log.size(); ++i) {
    const int at = static_cast<int>(i) + 1;
    cases.push_back({at, crash ? FaultKind::kCrash : FaultKind::kFail, log[i]});
    if (log[i] == CallKind::kWrite) {
      cases.push_back({at, crash ? FaultKind::kTornWrite : FaultKind::kShortWrite, log[i]});
    }
  }
  return cases;
}

}  // namespace taliq::test

#endif  // TALIQ_TESTS_SUPPORT_FAULT_CASES_H_
