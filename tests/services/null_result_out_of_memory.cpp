// A null result pointer is reported with the system's text for E_POINTER; when even
// that text cannot be allocated, the method returns E_OUTOFMEMORY instead of raising.
// A program of its own: it replaces the global operator new.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

#include "fakes/failing_allocation.h"
#include "services/doc_read_service.h"

using namespace TAVQ;

namespace {

// The method's status with every allocation failing, or a failure when it raised.
HRESULT WithoutMemory(const std::function<HRESULT()>& method) {
  bool raised = false;
  HRESULT status = S_OK;
  {
    Fakes::FailingAllocation noMemory;
    try {
      status = method();
    } catch (...) {
      raised = true;
    }
  }
  EXPECT_FALSE(raised) << "an exception left the method";
  return status;
}

TEST(NullResultOutOfMemory, EveryNullResultPathReturnsOutOfMemory) {
  CDocReadService service;
  const std::vector<std::pair<const char*, std::function<HRESULT()>>> methods{
      {"ReadZKDocumentData", [&] { return service.ReadZKDocumentData(static_cast<std::unique_ptr<ZK::DocumentBlockObject>*>(nullptr)); }},
      {"ReadZKVariableAdminData", [&] { return service.ReadZKVariableAdminData(static_cast<std::unique_ptr<ZK::VariableAdminBlockObject>*>(nullptr)); }},
      {"VerifyZKDocumentData", [&] { return service.VerifyZKDocumentData(nullptr); }},
      {"VerifyZKVariablePersoData", [&] { return service.VerifyZKVariablePersoData(nullptr); }},
  };
  for (const auto& [name, method] : methods) {
    SCOPED_TRACE(name);
    EXPECT_EQ(WithoutMemory(method), E_OUTOFMEMORY);
    EXPECT_GT(Fakes::FailingAllocation::Refused(), 0);
    // With memory the same call reports the null pointer.
    EXPECT_EQ(method(), E_POINTER);
  }
}

}  // namespace
