// Makes every allocation of the process fail while a scope is alive. The source
// replaces the global operator new, so link it only into a test program of its own.
#pragma once

namespace Fakes {

class FailingAllocation {
 public:
  FailingAllocation();
  ~FailingAllocation();
  FailingAllocation(const FailingAllocation&) = delete;
  FailingAllocation& operator=(const FailingAllocation&) = delete;

  // Allocations refused since the scope began.
  static int Refused();
};

}  // namespace Fakes
