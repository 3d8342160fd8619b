// A null result pointer is reported with the system's text for E_POINTER; when even
// that text cannot be allocated, the method returns E_OUTOFMEMORY instead of raising.
// A program of its own: it replaces the global operator new.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "fakes/failing_allocation.h"
#include "services/doc_read_service.h"

using namespace TAVQ;

namespace {

TEST(NullResultOutOfMemory, EveryNullResultPathReturnsOutOfMemory) {
  CDocReadService service;
  const std::function<HRESULT()> methods[] = {
      [&] { return service.ReadZKDocumentData(static_cast<std::unique_ptr<ZK::DocumentBlockObject>*>(nullptr)); },
      [&] { return service.VerifyZKDocumentData(nullptr); },
  };
  for (const auto& method : methods) {
    HRESULT status = S_OK;
    {
      Fakes::FailingAllocation noMemory;
      EXPECT_NO_THROW(status = method());
    }
    EXPECT_EQ(status, E_OUTOFMEMORY);
    EXPECT_GT(Fakes::FailingAllocation::Refused(), 0);
    EXPECT_EQ(method(), E_POINTER) << "with memory the same call reports the null pointer";
  }
}

}  // namespace
