// Who reports a failure: the reporting class and the interface whose method failed.
// The COM binding may build its own identities from the type library's GUIDs; the
// plain services default to the ones below.
#pragma once

#include "services/guid.h"

namespace TAVQ {

struct ServiceIdentity {
  Guid classId;
  Guid interfaceId;
  // The versioned ProgID the class registers; the error record's source where the
  // platform has no registry to look it up in.
  const char16_t* progId;
};

const ServiceIdentity& DocReadServiceIdentity();
const ServiceIdentity& SmartCardServiceIdentity();

}  // namespace TAVQ
