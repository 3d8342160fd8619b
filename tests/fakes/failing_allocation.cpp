#include "fakes/failing_allocation.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<bool> failing{false};
std::atomic<int> refused{0};

}  // namespace

void* operator new(std::size_t size) {
  if (failing.load()) {
    ++refused;
    throw std::bad_alloc();
  }
  if (void* memory = std::malloc(size == 0 ? 1 : size)) return memory;
  throw std::bad_alloc();
}

void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }

namespace Fakes {

FailingAllocation::FailingAllocation() {
  refused = 0;
  failing = true;
}

FailingAllocation::~FailingAllocation() { failing = false; }

int FailingAllocation::Refused() { return refused.load(); }

}  // namespace Fakes
