// The counting of the Wine test programs: one line per failed check, and a last line
// "N passed, N failed" that tests/server/run-wine-tests reads.
#pragma once

#include <cstdio>
#include <string>

namespace Checks {

inline int passed = 0;
inline int failed = 0;

inline void Check(bool ok, const std::string& what, long got = 0) {
  if (ok) {
    ++passed;
  } else {
    ++failed;
    std::printf("FAILED: %s (got 0x%08lX)\n", what.c_str(), static_cast<unsigned long>(got));
  }
}

inline void CheckHr(long got, long expected, const std::string& what) { Check(got == expected, what, got); }

inline int Report() {
  std::printf("%d passed, %d failed\n", passed, failed);
  return failed == 0 ? 0 : 1;
}

}  // namespace Checks
